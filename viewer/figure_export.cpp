#include "viewer/figure_export.hpp"

#include <qcustomplot.h>

#include <QFileInfo>

#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "viewer/channel_figure.hpp"

namespace accprep {

std::string FigureTitle(const ConversionData& data, int channel) {
  return QFileInfo(QString::fromStdString(data.files.stem)).fileName().toStdString() + "  " +
         std::to_string(channel) + "ch";
}

namespace {

// The response spectra of the channel, or why there are none.
std::optional<ResponseSpectrum> ChannelResponse(const ConversionData& data, int channel,
                                                double damping, QString& notice) {
  const ChannelTable* acc = data.table(ConversionFile::kAcceleration);
  if (acc == nullptr) {
    notice = QStringLiteral("加速度ファイルがないため計算できません");
    return std::nullopt;
  }
  try {
    const double step = UniformTimeStep(
        acc->column(0), data.files.path(ConversionFile::kAcceleration), acc->firstLine());
    const std::vector<double> periods = ResponsePeriods();
    return ComputeResponseSpectrum(acc->column(channel), step, periods, damping);
  } catch (const DataError& error) {
    notice = QString::fromStdString(error.what());
    return std::nullopt;
  }
}

}  // namespace

void ExportChannelView(const ConversionData& data, int channel, double damping,
                       const std::string& path, bool pdf) {
  QCustomPlot plot;
  plot.resize(kExportWidth, kExportHeight);
  ChannelFigure figure(&plot,
                       ChannelFigure::kTimeHistories | ChannelFigure::kFourierSpectra |
                           ChannelFigure::kResponseSpectra,
                       true);
  figure.SetTitle(QString::fromStdString(FigureTitle(data, channel)));
  figure.ShowChannel(data, channel);
  QString notice;
  const std::optional<ResponseSpectrum> response = ChannelResponse(data, channel, damping, notice);
  figure.ShowResponse(response ? &*response : nullptr, damping, notice);
  figure.ResetView();
  const QString file = QString::fromStdString(path);
  const bool saved = pdf ? plot.savePdf(file, kExportWidth, kExportHeight)
                         : plot.savePng(file, kExportWidth, kExportHeight);
  if (!saved) {
    // QCustomPlot gives no reason; the usual ones are a missing folder or no permission.
    const QFileInfo folder(QFileInfo(file).absolutePath());
    const std::string reason = !folder.exists()       ? "No such file or directory"
                               : !folder.isWritable() ? "Permission denied"
                                                      : "the picture could not be written";
    throw DataError(DataErrorKind::kIo, reason, path);
  }
}

}  // namespace accprep
