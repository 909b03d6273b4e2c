#pragma once
// The plots of one channel inside a QCustomPlot: the stacked time histories (acceleration,
// velocity, displacement on one shared time axis, each with its peak marked), the Fourier
// amplitude spectra of velocity and displacement (log-log) and the response spectra of the
// acceleration (log period). The window gives each group a plot of its own; the export puts
// all three side by side under a title. A file that is absent or failed to load is said so
// inside its panel instead of a curve.

#include <QObject>
#include <QPoint>
#include <QString>
#include <span>
#include <vector>

#include "measures/response_spectrum.hpp"
#include "viewer/conversion_data.hpp"

class QCustomPlot;
class QCPAxisRect;
class QCPGraph;
class QCPItemText;
class QCPItemTracer;
class QCPLayoutGrid;
class QCPMarginGroup;
class QCPTextElement;

namespace accprep {

class ChannelFigure : public QObject {
  Q_OBJECT

 public:
  enum Panel { kTimeHistories = 1, kFourierSpectra = 2, kResponseSpectra = 4 };

  // Lays the chosen panels out in `plot`, whose layout it replaces, left to right; with
  // `titled` a title row heads them (SetTitle).
  ChannelFigure(QCustomPlot* plot, int panels, bool titled);

  void SetTitle(const QString& title);
  // The traces and spectra of `channel` (1..40). Does not replot.
  void ShowChannel(const ConversionData& data, int channel);
  // The response spectra, or `notice` in their place when there are none. Does not replot.
  void ShowResponse(const ResponseSpectrum* spectrum, double damping, const QString& notice);
  // Every axis back to its data's full range. Does not replot.
  void ResetView();
  // "時刻 12.35 s   加速度 -56.7 gal" for the point under the mouse, empty outside the axes.
  QString Readout(QPoint position) const;

 private:
  struct Trace {
    QCPAxisRect* rect = nullptr;
    QCPGraph* graph = nullptr;
    QCPItemTracer* tracer = nullptr;  // the peak, when the trace has one marked
    QCPItemText* label = nullptr;     // the peak's value and time
    QCPItemText* notice = nullptr;    // "ファイルがありません" and the like
    QString keyName, keyUnit, valueName, valueUnit;
    bool logKey = false;
    bool logValue = false;
  };

  QCPLayoutGrid* AddColumn(const QString& heading, QCPTextElement** headingElement);
  Trace MakeTrace(QCPLayoutGrid* column, int row, const QString& keyName, const QString& keyUnit,
                  const QString& valueName, const QString& valueUnit, bool logKey, bool logValue,
                  bool markPeak);
  void LinkKeyAxes(const std::vector<Trace>& traces);
  void SetTrace(Trace& trace, const ChannelTable* table, int channel, const QString& notice);
  void SetSeries(Trace& trace, std::span<const double> keys, std::span<const double> values,
                 const QString& notice);

  QCustomPlot* plot_;
  QCPTextElement* title_ = nullptr;
  QCPTextElement* responseHeading_ = nullptr;
  QCPLayoutGrid* columns_ = nullptr;
  QCPMarginGroup* marginGroup_ = nullptr;  // of the column being laid out
  std::vector<Trace> timeTraces_;
  std::vector<Trace> fourierTraces_;
  std::vector<Trace> responseTraces_;
};

}  // namespace accprep
