#include "ui/failure_message.hpp"

#include <filesystem>
#include <system_error>

namespace accprep {

namespace {

// The step numbers of the conversion run (its stages, in order).
enum RunStep : int {
  kStepReadInput = 4,
  kStepCreateAccMatrix = 6,
  kStepBaseline = 7,
  kStepWriteAccMatrix = 8,
  kStepNameChannelFiles = 10,
  kStepPublicCsv = 11,
  kStepExchangeCsv = 12,
  kStepVelocityJob = 14,
  kStepCopyVelocity = 15,
  kStepReadVelocity = 16,
  kStepVelocityMatrix = 18,
  kStepDeleteVelocity = 19,
  kStepDisplacementJob = 20,
  kStepCopyDisplacement = 21,
  kStepReadDisplacement = 22,
  kStepDisplacementMatrix = 24,
  kStepDeleteExchange = 25,
};

bool IsMatrixStep(int step) {
  return step == kStepCreateAccMatrix || step == kStepWriteAccMatrix ||
         step == kStepVelocityMatrix || step == kStepDisplacementMatrix;
}

bool IsResultReadStep(int step) {
  return step == kStepReadVelocity || step == kStepReadDisplacement;
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

QString WriteSentence(int step) {
  if (IsMatrixStep(step)) return QStringLiteral("行列ファイルを書き出せません");
  switch (step) {
    case kStepPublicCsv:
      return QStringLiteral("公開データを書き出せません");
    case kStepExchangeCsv:
      return QStringLiteral("受け渡しファイルを書き出せません");
    case kStepCopyVelocity:
    case kStepCopyDisplacement:
      return QStringLiteral("積分ジョブの結果をコピーできません");
    case kStepDeleteVelocity:
    case kStepDeleteExchange:
      return QStringLiteral("受け渡しファイルを削除できません");
    default:
      return QStringLiteral("ファイルを読み書きできません");
  }
}

std::size_t CharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// The inputs a run refuses before it begins, in the order it checks them.
QString RefusedInputSentence(const RunInputs& inputs) {
  if (CharacterCount(inputs.inputPath) < 4) return QStringLiteral("入力ファイル名が短すぎます");
  if (inputs.outputBaseName.empty()) return QStringLiteral("保存ファイル名が入力されていません");
  for (const char c : inputs.outputBaseName) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return QStringLiteral("保存ファイル名にフォルダの区切りや制御文字は使えません");
    }
  }
  if (inputs.comment.find_first_of("\r\n") != std::string::npos) {
    return QStringLiteral("コメントは1行にしてください");
  }
  return {};
}

}  // namespace

QString FailureSentence(const EngineError& error, const RunInputs& inputs) {
  const int step = error.step();
  if (inputs.inputPath.empty() && step <= kStepReadInput) {
    return QStringLiteral("入力ファイルが選ばれていません");
  }
  if (error.kind() == ErrorKind::kRefused) {
    const QString refused = RefusedInputSentence(inputs);
    if (!refused.isEmpty()) return refused;
  }
  if (step == kStepReadInput && error.kind() != ErrorKind::kCapacity) {
    return QStringLiteral("入力ファイルを読み込めません");
  }
  if (IsResultReadStep(step) && error.kind() != ErrorKind::kCapacity) {
    return QStringLiteral("積分ジョブの結果を読み込めません");
  }

  switch (error.kind()) {
    case ErrorKind::kJob:
      return QStringLiteral("積分ジョブが失敗しました");
    case ErrorKind::kCapacity:
      return IsResultReadStep(step) ? QStringLiteral("積分ジョブの結果のレコードが多すぎます")
                                    : QStringLiteral("入力ファイルのレコードが多すぎます");
    case ErrorKind::kArithmetic:
      return QStringLiteral("基線補正の計算ができません");
    case ErrorKind::kInput:
      return QStringLiteral("入力ファイルを読み込めません");
    case ErrorKind::kIo:
    case ErrorKind::kRefused: {
      const QString missing = MissingFolderSentence(error.file());
      if (!missing.isEmpty()) return missing;
      if (step == kStepNameChannelFiles) return QStringLiteral("入力ファイル名が短すぎます");
      if (error.kind() == ErrorKind::kRefused) {
        return QStringLiteral("この入力では変換を始められません");
      }
      return WriteSentence(step);
    }
  }
  return QStringLiteral("変換に失敗しました");
}

QString FailureText(const EngineError& error, const RunInputs& inputs) {
  return FailureSentence(error, inputs) + QStringLiteral("\n\n") +
         QString::fromUtf8(error.what());
}

QString UnexpectedFailureText(const char* what) {
  return QStringLiteral("変換中に予期しないエラーが起きました\n\n") + QString::fromUtf8(what);
}

}  // namespace accprep
