#include "ui/failure_message.hpp"

#include <filesystem>
#include <system_error>

namespace accprep {

namespace {

QString RefusalSentence(Refusal refusal) {
  switch (refusal) {
    case Refusal::kNoInputChosen:
      return QStringLiteral("入力ファイルが選ばれていません");
    case Refusal::kInputPathTooShort:
      return QStringLiteral("入力ファイル名が短すぎます");
    case Refusal::kEmptyBaseName:
      return QStringLiteral("保存ファイル名が入力されていません");
    case Refusal::kBaseNameHasSeparator:
    case Refusal::kBaseNameHasControl:
      return QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません");
    case Refusal::kCommentNotOneLine:
      return QStringLiteral("コメントは1行にしてください");
    case Refusal::kExchangeFolderBusy:
      return QStringLiteral(
          "このプログラムのフォルダで別の変換が実行中です。終わってからもう一度はじめてください");
    case Refusal::kNameTooLong:
      return QStringLiteral("保存ファイル名または入力ファイル名が長すぎます");
    case Refusal::kInputIsExchangeFile:
      return QStringLiteral(
          "入力ファイルは変換のたびに削除される受け渡しファイルです。別の場所にコピーしてから選んで"
          "ください");
    case Refusal::kOutputIsInput:
      return QStringLiteral(
          "出力ファイルが入力ファイルそのものです。入力ファイルを上書きしてしまいます");
  }
  return QStringLiteral("この入力では変換を始められません");
}

// The sentence for a file whose folder does not exist, or an empty text when it does.
QString MissingFolderSentence(const std::string& file) {
  if (file.empty()) return {};
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (folder.empty()) return {};
  std::error_code ignored;
  if (std::filesystem::is_directory(folder, ignored)) return {};
  if (folder.filename() == "out") return QStringLiteral("out フォルダがありません");
  return QStringLiteral("保存先のフォルダがありません");
}

// A file of the step could not be read, written, copied or deleted.
QString FileSentence(RunStep step) {
  switch (step) {
    case RunStep::kReadRecord:
      return QStringLiteral("入力ファイルを読み込めません");
    case RunStep::kReadVelocityResult:
    case RunStep::kReadDisplacementResult:
      return QStringLiteral("積分ジョブの結果を読み込めません");
    case RunStep::kCreateAccelerationMatrix:
    case RunStep::kWriteAccelerationMatrix:
    case RunStep::kWriteVelocityMatrix:
    case RunStep::kWriteDisplacementMatrix:
      return QStringLiteral("行列ファイルを書き出せません");
    case RunStep::kWritePublicCsv:
      return QStringLiteral("公開データを書き出せません");
    case RunStep::kWriteExchangeCsv:
      return QStringLiteral("受け渡しファイルを書き出せません");
    case RunStep::kCopyVelocityResults:
    case RunStep::kCopyDisplacementResults:
      return QStringLiteral("積分ジョブの結果をコピーできません");
    case RunStep::kDeleteVelocityFiles:
    case RunStep::kDeleteDisplacementFiles:
    case RunStep::kDeleteExchangeCsv:
      return QStringLiteral("受け渡しファイルを削除できません");
    case RunStep::kRunVelocityJob:
    case RunStep::kRunDisplacementJob:
    case RunStep::kCreateTable:
    case RunStep::kRemoveBaseline:
    case RunStep::kNameChannelFiles:
      break;
  }
  return QStringLiteral("ファイルを読み書きできません");
}

bool IsResultRead(RunStep step) {
  return step == RunStep::kReadVelocityResult || step == RunStep::kReadDisplacementResult;
}

}  // namespace

QString FailureSentence(const EngineError& error) {
  if (const std::optional<Refusal> refusal = error.refusal()) return RefusalSentence(*refusal);
  const std::optional<RunStep> step = error.runStep();
  switch (error.kind()) {
    case ErrorKind::kInterrupted:
      return QStringLiteral("変換が中断されました");
    case ErrorKind::kJob:
      return QStringLiteral("積分ジョブが失敗しました");
    case ErrorKind::kCapacity:
      return step && IsResultRead(*step) ? QStringLiteral("積分ジョブの結果のレコードが多すぎます")
                                         : QStringLiteral("入力ファイルのレコードが多すぎます");
    case ErrorKind::kArithmetic:
      return step && IsResultRead(*step) ? FileSentence(*step)
                                         : QStringLiteral("基線補正の計算ができません");
    case ErrorKind::kInput:
      return step && IsResultRead(*step) ? FileSentence(*step)
                                         : QStringLiteral("入力ファイルを読み込めません");
    case ErrorKind::kIo:
    case ErrorKind::kRefused: {
      const QString missing = MissingFolderSentence(error.file());
      if (!missing.isEmpty() && step != RunStep::kReadRecord && (!step || !IsResultRead(*step)))
        return missing;
      return step ? FileSentence(*step) : QStringLiteral("ファイルを読み書きできません");
    }
  }
  return QStringLiteral("変換に失敗しました");
}

QString FailureText(const EngineError& error) {
  return FailureSentence(error) + QStringLiteral("\n\n") + QString::fromUtf8(error.what());
}

QString UnexpectedFailureText(const char* what) {
  return QStringLiteral("変換中に予期しないエラーが起きました\n\n") + QString::fromUtf8(what);
}

}  // namespace accprep
