// accprep-view: shows a conversion's records and spectra, or writes its figures and tables.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "engine/conversion_names.hpp"
#include "engine/inputs_in_use.hpp"
#include "engine/interruption.hpp"

#include "ui/japanese_translations.hpp"
#include "viewer/building_outputs.hpp"
#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/conversion_files.hpp"
#include "viewer/figure_export.hpp"
#include "viewer/spectra_outputs.hpp"
#include "viewer/table_outputs.hpp"
#include "viewer/viewer_options.hpp"
#include "viewer/viewer_window.hpp"

namespace {

// Japanese captions need a font that has them; the window's own default may not.
void UseJapaneseFont(QApplication& app) {
  for (const char* family : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic"}) {
    if (QFontDatabase::hasFamily(family)) {
      QFont font(family);
      font.setPointSize(app.font().pointSize());
      app.setFont(font);
      return;
    }
  }
}

// Scripts read the error output for "error: " lines; the platform's notes about its runtime
// folder and fonts are not for them. Critical and fatal messages still get through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

// After an interruption, whatever stopped on the way, the signal is why: the program ends as
// the other programs do, with 128 + the signal.
int Fail(const std::string& message) {
  const accprep::ProgramVoice voice{accprep::kViewerProgram};
  if (accprep::InterruptionRequested()) return voice.Interrupted(std::cerr);
  return voice.Failure(message, std::cerr);
}

// The files the headless outputs must never replace: the record named, every file of its
// conversion, its input record included, the building's layout and the file of periods.
std::vector<std::string> FilesRead(const accprep::ViewerOptions& options,
                                   const accprep::ConversionFiles& files) {
  std::vector<std::string> read = {options.record, accprep::InputRecordOf(options.record, files),
                                   options.building.layoutPath.empty()
                                       ? accprep::LayoutFilePath(files.stem)
                                       : options.building.layoutPath};
  read.insert(read.end(), files.paths.begin(), files.paths.end());
  if (!options.periodsFile.empty()) read.push_back(options.periodsFile);
  return read;
}

// The window: the record given is opened at once (a failure is said in the window), and
// without one the open dialog asks for it.
int RunWindow(int argc, char** argv, const accprep::ViewerOptions& options) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("accprep-view"));
  QApplication::setApplicationVersion(QStringLiteral(ACCPREP_VERSION));
  UseJapaneseFont(app);
  accprep::LoadJapaneseTranslations(app);
  accprep::ViewerWindow window(options.channel, options.damping);
  window.show();
  if (options.record.empty()) {
    QTimer::singleShot(0, &window, &accprep::ViewerWindow::AskForRecord);
  } else {
    window.Open(QString::fromStdString(options.record));
  }
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  const accprep::ParseOutcome<accprep::ViewerOptions> outcome =
      accprep::ParseViewerOptions(argc, argv, std::cout, std::cerr);
  if (!outcome.options) return outcome.exitCode;
  const accprep::ViewerOptions& options = *outcome.options;
  if (!options.Headless()) return RunWindow(argc, argv, options);

  // Before any thread: an interrupted output removes its temporary and names the signal.
  accprep::HandleInterruptionSignals(nullptr);
  const accprep::ConversionFiles files = accprep::FindConversionFiles(options.record);
  if (files.PresentCount() == 0) {
    return Fail(options.record + ": no file of a conversion found (" + files.stem + "_acc.csv, " +
                "_vel.csv, _dis.csv, _velAmp.csv, _disAmp.csv)");
  }
  const accprep::ChannelNames names = accprep::ConversionChannelNames(options.record, files);
  const accprep::InputsInUse inUse(FilesRead(options, files));

  try {
    // Every output is checked before the first is written, so that a refused one leaves none.
    for (const accprep::ViewerOptions::Output& output : options.Outputs()) {
      if (!output.path->empty()) accprep::RefuseInputAsOutput(*output.path);
    }
    if (!options.peaksPath.empty()) {
      accprep::WritePeaksTable(files, names, options.peaksPath, std::cerr);
    }
    if (!options.responsePath.empty()) {
      accprep::WriteResponseTable(files, options.responsePath, options.damping, options.periods);
    }
    if (!options.intensityPath.empty()) {
      accprep::WriteIntensityTable(files, options.intensityPath, options.components);
    }
    if (!options.rotdPath.empty()) {
      accprep::WriteRotdTable(files, options.rotdPath, options.horizontals, options.periods,
                              options.damping);
    }
    if (!options.fasPath.empty()) {
      accprep::WriteFasTable(files, options.fasPath, options.smoothing);
    }
    if (!options.measuresPath.empty()) {
      accprep::WriteMeasuresTable(files, names, options.measuresPath);
    }
    if (options.building.Any()) accprep::WriteBuildingTables(files, options.building, std::cerr);
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  if (options.exportPath.empty()) return accprep::kExitSuccess;

  // The export draws without a display, wherever it runs.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietMessages);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  UseJapaneseFont(app);
  const accprep::ConversionData data = accprep::LoadConversion(files, accprep::kAllConversionFiles);
  for (const std::string& error : data.errors) {
    if (!error.empty()) return Fail(error);
  }
  try {
    accprep::ExportChannelView(data, names, options.channel, options.damping, options.exportPath,
                               options.page, options.dpi);
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return accprep::kExitSuccess;
}
