#include "viewer/figure_export.hpp"

#include <qcustomplot.h>

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>

#include "engine/atomic_file.hpp"
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

// The plot as a PNG of the export size at 96 dots per inch.
QByteArray PngOf(QCustomPlot& plot) {
  QImage image = plot.toPixmap(kExportWidth, kExportHeight).toImage();
  constexpr double kDotsPerInch = 96.0;
  constexpr double kMetresPerInch = 0.0254;
  const int dotsPerMetre = qRound(kDotsPerInch / kMetresPerInch);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "PNG")) return {};
  return bytes;
}

// The plot as a one-page vector PDF whose page is the export size in points.
QByteArray PdfOf(QCustomPlot& plot) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSizeF(kExportWidth, kExportHeight), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QCPPainter painter;
    if (!painter.begin(&writer)) return {};
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(0, 0, kExportWidth, kExportHeight);
    plot.toPainter(&painter, kExportWidth, kExportHeight);
    painter.end();
  }
  return bytes;
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
  // Drawn in memory and written as every other output is (engine/atomic_file.hpp): a full
  // disk or an interruption keeps the earlier picture, and a link is replaced, not written
  // through.
  const QByteArray picture = pdf ? PdfOf(plot) : PngOf(plot);
  if (picture.isEmpty())
    throw DataError(DataErrorKind::kIo, "the picture could not be drawn", path);
  WriteFileAtomically(path, std::string_view(picture.constData(), picture.size()));
}

}  // namespace accprep
