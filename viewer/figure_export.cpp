#include "viewer/figure_export.hpp"

#include <qcustomplot.h>

#include <QFileInfo>

#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "viewer/channel_figure.hpp"
#include "viewer/plot_picture.hpp"

namespace accprep {

QString FigureTitle(const ConversionFiles& files, const ChannelNames& names, int channel,
                    const QString& quantity) {
  return QFileInfo(QString::fromStdString(files.stem)).fileName() + "  " +
         QString::fromStdString(ChannelLabel(names, channel)) + "  " + quantity;
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

void ExportChannelView(const ConversionData& data, const ChannelNames& names, int channel,
                       double damping, const std::string& path, PageSize page, int dpi) {
  QCustomPlot plot;
  const PageLayout layout = LandscapePage(page, dpi);
  plot.resize(layout.layoutWidth, layout.layoutHeight);
  ChannelFigure figure(&plot, ChannelFigure::kTimeHistories | ChannelFigure::kFourierSpectra |
                                  ChannelFigure::kResponseSpectra);
  figure.ShowChannel(data, channel, QString::fromStdString(ChannelLabel(names, channel)));
  QString notice;
  const std::optional<ResponseSpectrum> response = ChannelResponse(data, channel, damping, notice);
  figure.ShowResponse(response ? &*response : nullptr, damping, notice);
  figure.ResetView();
  SavePicture({FigureTitle(data.files, names, channel, figure.Quantity()), {&plot}}, path, page,
              dpi);
}

}  // namespace accprep
