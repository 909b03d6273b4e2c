// accprep-view: shows a conversion's records and spectra, or writes its figures and tables.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include <cstdio>
#include <cstdlib>
#include <iostream>

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

int Fail(const std::string& message) {
  return accprep::ProgramVoice{accprep::kViewerProgram}.Failure(message, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  const accprep::ParseOutcome<accprep::ViewerOptions> outcome =
      accprep::ParseViewerOptions(argc, argv, std::cout, std::cerr);
  if (!outcome.options) return outcome.exitCode;
  const accprep::ViewerOptions& options = *outcome.options;
  const accprep::ConversionFiles files = accprep::FindConversionFiles(options.record);
  if (files.PresentCount() == 0) {
    return Fail(options.record + ": no file of a conversion found (" + files.stem + "_acc.csv, " +
                "_vel.csv, _dis.csv, _velAmp.csv, _disAmp.csv)");
  }

  try {
    if (!options.peaksPath.empty()) accprep::WritePeaksTable(files, options.peaksPath, std::cerr);
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
    if (!options.measuresPath.empty()) accprep::WriteMeasuresTable(files, options.measuresPath);
    if (options.building.Any()) accprep::WriteBuildingTables(files, options.building, std::cerr);
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  if (!options.Headless()) {
    QApplication app(argc, argv);
    UseJapaneseFont(app);
    accprep::ViewerWindow window(
        files, options.channel, options.damping,
        accprep::ReadChannelNames(accprep::InputRecordOf(options.record, files)));
    window.show();
    return app.exec();
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
    accprep::ExportChannelView(data, options.channel, options.damping, options.exportPath,
                               options.ExportsPdf());
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return accprep::kExitSuccess;
}
