#include "ui/failure_message.hpp"

#include <QStringList>

#include <filesystem>
#include <fstream>
#include <string_view>
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

QString JapaneseStepName(RunStep step) {
  switch (step) {
    case RunStep::kCreateTable:
      return QStringLiteral("サンプル表の準備");
    case RunStep::kReadRecord:
      return QStringLiteral("加速度記録の読み込み");
    case RunStep::kCreateAccelerationMatrix:
      return QStringLiteral("加速度の行列ファイルの作成");
    case RunStep::kRemoveBaseline:
      return QStringLiteral("基線補正");
    case RunStep::kWriteAccelerationMatrix:
      return QStringLiteral("加速度の行列ファイルの書き出し");
    case RunStep::kNameChannelFiles:
      return QStringLiteral("チャンネルファイルの名前付け");
    case RunStep::kWritePublicCsv:
      return QStringLiteral("公開データ (_acc.csv) の書き出し");
    case RunStep::kWriteExchangeCsv:
      return QStringLiteral("受け渡しファイル outacc.csv の書き出し");
    case RunStep::kRunVelocityJob:
      return QStringLiteral("速度ジョブ fftvel.bat の実行");
    case RunStep::kCopyVelocityResults:
      return QStringLiteral("速度の結果のコピー");
    case RunStep::kReadVelocityResult:
      return QStringLiteral("速度の結果の読み込み");
    case RunStep::kWriteVelocityMatrix:
      return QStringLiteral("速度の行列ファイルの書き出し");
    case RunStep::kDeleteVelocityFiles:
      return QStringLiteral("速度の受け渡しファイルの削除");
    case RunStep::kRunDisplacementJob:
      return QStringLiteral("変位ジョブ fftdis.bat の実行");
    case RunStep::kCopyDisplacementResults:
      return QStringLiteral("変位の結果のコピー");
    case RunStep::kReadDisplacementResult:
      return QStringLiteral("変位の結果の読み込み");
    case RunStep::kWriteDisplacementMatrix:
      return QStringLiteral("変位の行列ファイルの書き出し");
    case RunStep::kDeleteDisplacementFiles:
      return QStringLiteral("変位の受け渡しファイルの削除");
    case RunStep::kDeleteExchangeCsv:
      return QStringLiteral("受け渡しファイルの削除");
  }
  return {};
}

// The system's and the reader's usual reasons in Japanese; the words as given are kept beside
// them, for a search or a report.
QString JapaneseReason(const std::string& reason) {
  static const std::pair<std::string_view, const char*> kReasons[] = {
      {"No such file or directory", "ファイルまたはフォルダがありません"},
      {"Permission denied", "アクセスする権限がありません"},
      {"No space left on device", "ディスクの空きがありません"},
      {"Read-only file system", "読み取り専用のファイルシステムです"},
      {"Is a directory", "ファイルではなくフォルダです"},
      {"File name too long", "ファイル名が長すぎます"},
      {"Disk quota exceeded", "ディスクの割り当てを超えました"},
      {"not a number", "数値ではありません"},
      {"empty field", "値が空です"},
      {"more than 450000 records", "レコードが 450,000 を超えています"},
      {"no data rows", "データ行がありません"},
      {"exit code", "ジョブがエラーで終わりました"},
      {"signal", "ジョブがシグナルで終わりました"},
  };
  const QString original = QString::fromStdString(reason);
  for (const auto& [english, japanese] : kReasons) {
    if (reason.find(english) != std::string::npos) {
      return QString::fromUtf8(japanese) + " (" + original + ")";
    }
  }
  return original;
}

bool IsOutFolderMissing(const EngineError& error) {
  return MissingFolderSentence(error.file()) == QStringLiteral("out フォルダがありません");
}

}  // namespace

QString FailureSentence(const EngineError& error) {
  if (const std::optional<Refusal> refusal = error.refusal()) return RefusalSentence(*refusal);
  const std::optional<RunStep> step = error.runStep();
  if (step == RunStep::kReadRecord && error.kind() == ErrorKind::kInput &&
      IsRawKnetFile(error.file())) {
    return QStringLiteral("K-NET/KiK-net の元のファイルは、そのままでは変換できません");
  }
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

bool IsRawKnetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char start[11] = {};
  in.read(start, 11);
  return in.gcount() == 11 && std::string_view(start, 11) == "Origin Time";
}

QString FailureRemedy(const EngineError& error) {
  if (const std::optional<Refusal> refusal = error.refusal()) {
    switch (*refusal) {
      case Refusal::kNoInputChosen:
        return QStringLiteral("「ファイルを選択」で変換する記録を選んでください。");
      case Refusal::kInputPathTooShort:
        return QStringLiteral("名前 (フォルダを含む) が 4 文字以上のファイルを選んでください。");
      case Refusal::kEmptyBaseName:
        return QStringLiteral("保存ファイル名を .csv を付けずに入力してください。");
      case Refusal::kBaseNameHasSeparator:
      case Refusal::kBaseNameHasControl:
        return QStringLiteral(
            "保存ファイル名には / や \\ を使わず、ファイル名だけを入力してください。");
      case Refusal::kCommentNotOneLine:
        return QStringLiteral("コメントの改行を取り除いてください。");
      case Refusal::kExchangeFolderBusy:
        return QStringLiteral("もう一つの変換が終わってから、もう一度はじめてください。");
    }
  }
  const std::optional<RunStep> step = error.runStep();
  const QString file = QString::fromStdString(error.file());
  if (step == RunStep::kReadRecord && IsRawKnetFile(error.file())) {
    return QStringLiteral(
        "このファイルは K-NET/KiK-net の元のファイルで、そのままでは変換できません。"
        "accprep-knet で観測点の EW・NS・UD のファイルを一つの記録にまとめ "
        "(例: accprep-knet --output 記録.csv ファイル.EW ファイル.NS ファイル.UD)、"
        "その記録を選んでください。");
  }
  switch (error.kind()) {
    case ErrorKind::kInterrupted:
      return QStringLiteral(
          "出来上がったファイルはそのままです。必要ならもう一度はじめてください。");
    case ErrorKind::kJob:
      return QStringLiteral(
          "プログラムのフォルダに fftvel.bat・fftdis.bat と accprep-integrate があり、実行できるか"
          "確かめてください。ジョブのエラー出力は理由に含まれています。");
    case ErrorKind::kCapacity:
      return QStringLiteral("記録を 450,000 レコード以下に分けて変換してください。");
    case ErrorKind::kArithmetic:
      return QStringLiteral("記録にデータ行があるか、桁外れに大きな値がないか確かめてください。");
    case ErrorKind::kInput:
      if (step && IsResultRead(*step)) {
        return QStringLiteral(
            "積分ジョブ (accprep-integrate) とその結果のファイルを確かめてください。");
      }
      return QStringLiteral(
                 "記録の書式を確かめてください: 見出し 2 行のあと、各レコードは時刻・40 "
                 "チャンネル・"
                 "2 つの値の 43 個の数値で、コンマで区切ります。") +
             (error.line() > 0 ? QStringLiteral("%1 行目を見てください。").arg(error.line())
                               : QString());
    case ErrorKind::kIo:
    case ErrorKind::kRefused:
      break;
  }
  if (IsOutFolderMissing(error)) {
    const QString program =
        QString::fromStdString(std::filesystem::path(error.file()).parent_path().parent_path());
    return QStringLiteral(
               "プログラムのフォルダ %1 の中に out という名前のフォルダを作ってから、"
               "もう一度はじめてください。")
        .arg(program);
  }
  if (!MissingFolderSentence(error.file()).isEmpty()) {
    return QStringLiteral("保存先のフォルダ %1 があるか確かめてください。")
        .arg(QString::fromStdString(std::filesystem::path(error.file()).parent_path()));
  }
  if (step == RunStep::kReadRecord) {
    return QStringLiteral("ファイルがあるか、読み取る権限があるか確かめてください。");
  }
  return QStringLiteral("保存先に書き込む権限があるか、ディスクに空きがあるか確かめてください: ") +
         file;
}

QString FailureText(const EngineError& error) {
  QStringList lines;
  if (const std::optional<RunStep> step = error.runStep()) {
    lines << QStringLiteral("手順: %1 (手順 %2)").arg(JapaneseStepName(*step)).arg(error.step());
  }
  if (!error.file().empty())
    lines << QStringLiteral("ファイル: ") + QString::fromStdString(error.file());
  if (error.line() > 0) {
    lines
        << (error.field() > 0
                ? QStringLiteral("位置: %1 行目、%2 番目の値").arg(error.line()).arg(error.field())
                : QStringLiteral("位置: %1 行目").arg(error.line()));
  }
  lines << QStringLiteral("理由: ") + JapaneseReason(error.reason());
  lines << QStringLiteral("対処: ") + FailureRemedy(error);
  return FailureSentence(error) + QStringLiteral("\n\n") + lines.join('\n');
}

QString UnexpectedFailureText(const char* what) {
  return QStringLiteral("変換中に予期しないエラーが起きました\n\n") + QString::fromUtf8(what);
}

}  // namespace accprep
