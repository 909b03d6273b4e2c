#include "ui/failure_message.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/conversion_run.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

EngineError AtStep(EngineError error, RunStep step) {
  error.SetStep(step);
  return error;
}

TEST(FailureMessage, NamesTheInputProblems) {
  const EngineError missing =
      AtStep(EngineError(ErrorKind::kIo, "No such file or directory", "/data/site1.csv"),
             RunStep::kReadRecord);
  EXPECT_EQ(FailureSentence(missing), QStringLiteral("入力ファイルを読み込めません"));
  const EngineError full =
      AtStep(EngineError(ErrorKind::kCapacity, "more than 450000 records", "/data/a.csv", 450003),
             RunStep::kReadRecord);
  EXPECT_EQ(FailureSentence(full), QStringLiteral("入力ファイルのレコードが多すぎます"));
  const EngineError syntax =
      AtStep(EngineError(ErrorKind::kInput, "not a number: \"x\"", "/tmp/velout.csv", 3, 2),
             RunStep::kReadVelocityResult);
  EXPECT_EQ(FailureSentence(syntax), QStringLiteral("積分ジョブの結果を読み込めません"));
  const EngineError tooMany =
      AtStep(EngineError(ErrorKind::kCapacity, "more than 450000 records", "/tmp/disout.csv"),
             RunStep::kReadDisplacementResult);
  EXPECT_EQ(FailureSentence(tooMany), QStringLiteral("積分ジョブの結果のレコードが多すぎます"));
}

TEST(FailureMessage, TellsAMissingOutFolderFromAFileThatCannotBeWritten) {
  testing::TemporaryFolder exchange;
  const std::string matrix = exchange.File("out/b1_accmat.prn");
  const EngineError error = AtStep(EngineError(ErrorKind::kIo, "No such file or directory", matrix),
                                   RunStep::kCreateAccelerationMatrix);
  EXPECT_EQ(FailureSentence(error), QStringLiteral("out フォルダがありません"));

  std::filesystem::create_directory(exchange.File("out"));
  const EngineError refused = AtStep(EngineError(ErrorKind::kIo, "Permission denied", matrix),
                                     RunStep::kCreateAccelerationMatrix);
  EXPECT_EQ(FailureSentence(refused), QStringLiteral("行列ファイルを書き出せません"));

  const EngineError publicCsv =
      AtStep(EngineError(ErrorKind::kIo, "No space left on device", "/nowhere/site1_acc.csv"),
             RunStep::kWritePublicCsv);
  EXPECT_EQ(FailureSentence(publicCsv), QStringLiteral("保存先のフォルダがありません"));
}

TEST(FailureMessage, NamesJobAndCleanUpFailures) {
  const EngineError job = AtStep(EngineError(ErrorKind::kJob, "exit code 1", "/bin/fftvel.bat"),
                                 RunStep::kRunVelocityJob);
  EXPECT_EQ(FailureSentence(job), QStringLiteral("積分ジョブが失敗しました"));
  const EngineError gone =
      AtStep(EngineError(ErrorKind::kIo, "No such file or directory", "/tmp/amp3.csv"),
             RunStep::kDeleteVelocityFiles);
  EXPECT_EQ(FailureSentence(gone), QStringLiteral("受け渡しファイルを削除できません"));
  const EngineError noRows =
      AtStep(EngineError(ErrorKind::kArithmetic, "no data rows to average", "/data/a.csv"),
             RunStep::kRemoveBaseline);
  EXPECT_EQ(FailureSentence(noRows), QStringLiteral("基線補正の計算ができません"));
  const EngineError copy =
      AtStep(EngineError(ErrorKind::kIo, "Permission denied", "/tmp/a_vel.csv"),
             RunStep::kCopyDisplacementResults);
  EXPECT_EQ(FailureSentence(copy), QStringLiteral("積分ジョブの結果をコピーできません"));
}

TEST(FailureMessage, TextCarriesTheRunsOwnDetailsAfterTheSentence) {
  const EngineError error =
      AtStep(EngineError(ErrorKind::kInput, "not a number: \"x\"", "/data/site1.csv", 12, 3),
             RunStep::kReadRecord);
  const QString text = FailureText(error);
  EXPECT_TRUE(text.startsWith(QStringLiteral("入力ファイルを読み込めません\n\n")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(QString::fromUtf8(error.what()))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("/data/site1.csv")));
  EXPECT_TRUE(text.contains(QStringLiteral("12")));
}

TEST(FailureMessage, NamesTheReasonARunRefusedItsInputs) {
  const auto sentence = [](Refusal refusal) {
    return FailureSentence(EngineError(refusal, "refused"));
  };
  EXPECT_EQ(sentence(Refusal::kNoInputChosen), QStringLiteral("入力ファイルが選ばれていません"));
  EXPECT_EQ(sentence(Refusal::kInputPathTooShort), QStringLiteral("入力ファイル名が短すぎます"));
  EXPECT_EQ(sentence(Refusal::kEmptyBaseName),
            QStringLiteral("保存ファイル名が入力されていません"));
  EXPECT_EQ(sentence(Refusal::kBaseNameHasSeparator),
            QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません"));
  EXPECT_EQ(sentence(Refusal::kBaseNameHasControl),
            QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません"));
  EXPECT_EQ(sentence(Refusal::kCommentNotOneLine), QStringLiteral("コメントは1行にしてください"));
  EXPECT_TRUE(sentence(Refusal::kExchangeFolderBusy)
                  .startsWith(QStringLiteral("このプログラムのフォルダで別の変換が実行中です")));
}

TEST(FailureMessage, TheRunsOwnChecksPickTheSentence) {
  // The engine decides what is refused; the window only words it.
  const auto sentenceFor = [](RunInputs inputs) {
    inputs.exchangeFolder = "/x";
    const auto error = testing::CatchEngineError([&] { CheckRunInputs(inputs); });
    return error ? FailureSentence(*error) : QString();
  };
  EXPECT_EQ(sentenceFor({"", "b1", ""}), QStringLiteral("入力ファイルが選ばれていません"));
  EXPECT_EQ(sentenceFor({"a.c", "b1", ""}), QStringLiteral("入力ファイル名が短すぎます"));
  // Characters, not bytes: three characters are too short however many bytes they take.
  EXPECT_EQ(sentenceFor({"記.c", "b1", ""}), QStringLiteral("入力ファイル名が短すぎます"));
  // Four characters are enough: the stem is then empty, and the run goes on.
  EXPECT_EQ(sentenceFor({"a.cs", "", ""}), QStringLiteral("保存ファイル名が入力されていません"));
  EXPECT_EQ(sentenceFor({"/data/a.csv", "sub/b1", ""}),
            QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません"));
  EXPECT_EQ(sentenceFor({"/data/a.csv", "b1", "one\ntwo"}),
            QStringLiteral("コメントは1行にしてください"));
  EXPECT_TRUE(sentenceFor({"/data/a.csv", "b1", "one line"}).isEmpty());
}

}  // namespace
}  // namespace accprep
