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

TEST(FailureMessage, DetailsAreInJapaneseWithTheSystemsReasonKept) {
  const EngineError error =
      AtStep(EngineError(ErrorKind::kInput, "not a number: \"x\"", "/data/site1.csv", 12, 3),
             RunStep::kReadRecord);
  EXPECT_EQ(FailureText(error),
            QStringLiteral("入力ファイルを読み込めません\n\n"
                           "手順: 加速度記録の読み込み (手順 4)\n"
                           "ファイル: /data/site1.csv\n"
                           "位置: 12 行目、3 番目の値\n"
                           "理由: 数値ではありません (not a number: \"x\")\n"
                           "対処: 記録の書式を確かめてください: 見出し 2 行のあと、各レコードは"
                           "時刻・40 チャンネル・2 つの値の 43 個の数値で、コンマで区切ります。"
                           "12 行目を見てください。"));
  // No English step name, and every step has a Japanese one.
  for (RunStep step : {RunStep::kCreateTable, RunStep::kRunVelocityJob, RunStep::kDeleteExchangeCsv,
                       RunStep::kWriteDisplacementMatrix}) {
    const QString text =
        FailureText(AtStep(EngineError(ErrorKind::kIo, "Permission denied", "/x/y"), step));
    EXPECT_FALSE(text.contains(QString::fromUtf8(StepName(step)))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("アクセスする権限がありません (Permission denied)")));
    EXPECT_TRUE(text.contains(QStringLiteral("\n対処: ")));
  }
}

TEST(FailureMessage, SaysWhereTheOutFolderBelongs) {
  testing::TemporaryFolder exchange;
  const std::string matrix = exchange.File("out/b1_accmat.prn");
  const QString text =
      FailureText(AtStep(EngineError(ErrorKind::kIo, "No such file or directory", matrix),
                         RunStep::kCreateAccelerationMatrix));
  EXPECT_TRUE(
      text.startsWith(QStringLiteral("out フォルダがありません\n\n手順: 加速度の行列"
                                     "ファイルの作成 (手順 6)\n")))
      << text.toStdString();
  EXPECT_TRUE(
      text.contains(QStringLiteral("理由: ファイルまたはフォルダがありません "
                                   "(No such file or directory)")));
  EXPECT_TRUE(text.endsWith(QStringLiteral("対処: プログラムのフォルダ ") +
                            QString::fromStdString(exchange.path().string()) +
                            QStringLiteral(" の中に out という名前のフォルダを作ってから、"
                                           "もう一度はじめてください。")))
      << text.toStdString();
}

TEST(FailureMessage, NamesARawKnetFileAndTheProgramThatAssemblesIt) {
  testing::TemporaryFolder folder;
  const std::string raw = folder.File("AOM0011801241951.EW");
  testing::WriteWholeFile(raw, "Origin Time       2018/01/24 19:51:00\nLat.              41.0\n");
  const EngineError error =
      AtStep(EngineError(ErrorKind::kInput, "not a number: \"Long. 142.5\"", raw, 3, 1),
             RunStep::kReadRecord);
  EXPECT_TRUE(IsRawKnetFile(raw));
  EXPECT_EQ(FailureSentence(error),
            QStringLiteral("K-NET/KiK-net の元のファイルは、そのままでは変換できません"));
  EXPECT_TRUE(FailureRemedy(error).contains(QStringLiteral("accprep-knet")));
  // A record of this tool's form is not taken for one.
  const std::string record = folder.File("site.csv");
  testing::WriteWholeFile(record, "Origin\ntime,a\n0,x\n");
  EXPECT_FALSE(IsRawKnetFile(record));
  EXPECT_FALSE(IsRawKnetFile(folder.File("absent.csv")));
  const EngineError plain = AtStep(
      EngineError(ErrorKind::kInput, "not a number: \"x\"", record, 3, 2), RunStep::kReadRecord);
  EXPECT_EQ(FailureSentence(plain), QStringLiteral("入力ファイルを読み込めません"));
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
