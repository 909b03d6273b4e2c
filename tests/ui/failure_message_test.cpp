#include "ui/failure_message.hpp"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

namespace accprep {
namespace {

RunInputs With(const std::string& inputPath) { return {inputPath, "b1", "comment"}; }

EngineError AtStep(EngineError error, int step, const char* name) {
  error.SetStep(step, name);
  return error;
}

TEST(FailureMessage, NamesTheInputProblems) {
  const EngineError missing = AtStep(
      EngineError(ErrorKind::kIo, "No such file or directory", "/data/site1.csv"), 4, "read");
  EXPECT_EQ(FailureSentence(missing, With("/data/site1.csv")), QStringLiteral("入力ファイルを読み込めません"));
  // Start armed by an edit of the output name alone: no file was ever chosen.
  const EngineError unchosen =
      AtStep(EngineError(ErrorKind::kRefused, "no input file chosen"), 4, "read");
  EXPECT_EQ(FailureSentence(unchosen, With("")), QStringLiteral("入力ファイルが選ばれていません"));
  const EngineError full = AtStep(
      EngineError(ErrorKind::kCapacity, "more than 450000 records", "/data/a.csv", 450003), 4,
      "read");
  EXPECT_EQ(FailureSentence(full, With("/data/a.csv")), QStringLiteral("入力ファイルのレコードが多すぎます"));
  const EngineError syntax = AtStep(
      EngineError(ErrorKind::kInput, "not a number: \"x\"", "/tmp/velout.csv", 3, 2), 16,
      "read velocity");
  EXPECT_EQ(FailureSentence(syntax, With("/data/a.csv")), QStringLiteral("積分ジョブの結果を読み込めません"));
}

TEST(FailureMessage, TellsAMissingOutFolderFromAFileThatCannotBeWritten) {
  QTemporaryDir exchange;
  ASSERT_TRUE(exchange.isValid());
  const std::string matrix = exchange.path().toStdString() + "/out/b1_accmat.prn";
  const EngineError error =
      AtStep(EngineError(ErrorKind::kIo, "No such file or directory", matrix), 6, "create");
  EXPECT_EQ(FailureSentence(error, With("/data/a.csv")), QStringLiteral("out フォルダがありません"));

  std::filesystem::create_directory(exchange.path().toStdString() + "/out");
  const EngineError refused =
      AtStep(EngineError(ErrorKind::kIo, "Permission denied", matrix), 6, "create");
  EXPECT_EQ(FailureSentence(refused, With("/data/a.csv")), QStringLiteral("行列ファイルを書き出せません"));

  const EngineError publicCsv = AtStep(
      EngineError(ErrorKind::kIo, "No space left on device", "/nowhere/site1_acc.csv"), 11, "");
  EXPECT_EQ(FailureSentence(publicCsv, With("/nowhere/site1.csv")),
            QStringLiteral("保存先のフォルダがありません"));
}

TEST(FailureMessage, NamesJobAndCleanUpFailures) {
  const EngineError job =
      AtStep(EngineError(ErrorKind::kJob, "exit code 1", "/bin/fftvel.bat"), 14, "job");
  EXPECT_EQ(FailureSentence(job, With("/data/a.csv")), QStringLiteral("積分ジョブが失敗しました"));
  const EngineError gone = AtStep(
      EngineError(ErrorKind::kIo, "No such file or directory", "/tmp/amp3.csv"), 19, "delete");
  EXPECT_EQ(FailureSentence(gone, With("/data/a.csv")), QStringLiteral("受け渡しファイルを削除できません"));
  const EngineError noRows =
      AtStep(EngineError(ErrorKind::kArithmetic, "no data rows to average"), 7, "baseline");
  EXPECT_EQ(FailureSentence(noRows, With("/data/a.csv")), QStringLiteral("基線補正の計算ができません"));
}

TEST(FailureMessage, TextCarriesTheRunsOwnDetailsAfterTheSentence) {
  const EngineError error = AtStep(
      EngineError(ErrorKind::kInput, "not a number: \"x\"", "/data/site1.csv", 12, 3), 4,
      "reading the acceleration record");
  const QString text = FailureText(error, With("/data/site1.csv"));
  EXPECT_TRUE(text.startsWith(QStringLiteral("入力ファイルを読み込めません\n\n"))) << text.toStdString();
  EXPECT_TRUE(text.endsWith(QString::fromUtf8(error.what()))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("/data/site1.csv")));
  EXPECT_TRUE(text.contains(QStringLiteral("12")));
}

TEST(FailureMessage, NamesTheInputARunRefusedBeforeItBegan) {
  const EngineError refused(ErrorKind::kRefused, "refused");
  EXPECT_EQ(FailureSentence(refused, {"", "b1", ""}), QStringLiteral("入力ファイルが選ばれていません"));
  EXPECT_EQ(FailureSentence(refused, {"a.c", "b1", ""}), QStringLiteral("入力ファイル名が短すぎます"));
  // Four characters are enough: the stem is then empty, and the run goes on.
  EXPECT_EQ(FailureSentence(refused, {"a.cs", "", ""}),
            QStringLiteral("保存ファイル名が入力されていません"));
  EXPECT_EQ(FailureSentence(refused, {"/data/a.csv", "", ""}),
            QStringLiteral("保存ファイル名が入力されていません"));
  EXPECT_EQ(FailureSentence(refused, {"/data/a.csv", "sub/b1", ""}),
            QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません"));
  EXPECT_EQ(FailureSentence(refused, {"/data/a.csv", "b1", "one\ntwo"}),
            QStringLiteral("コメントは1行にしてください"));
  // Characters, not bytes: three characters are too short however many bytes they take.
  EXPECT_EQ(FailureSentence(refused, {"記.c", "b1", ""}), QStringLiteral("入力ファイル名が短すぎます"));
}

}  // namespace
}  // namespace accprep
