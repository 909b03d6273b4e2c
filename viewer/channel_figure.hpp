#pragma once
// The plots of one channel inside a QCustomPlot: the stacked time histories (acceleration,
// velocity, displacement on one shared time axis, each with its peak marked), the Fourier
// amplitude spectra of velocity and displacement (log-log) and the response spectra of the
// acceleration (log period). The window gives each group a plot of its own; the export puts
// all three side by side. A file that is absent or failed to load is said so inside its panel
// instead of a curve.
//
// The mouse: the wheel zooms the key axis (time, frequency, period) alone, so the peaks stay
// in view; a drag moves along it; a drag with Ctrl or Shift held zooms to the box drawn; a
// double click shows everything again.

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

  // Lays the chosen panels out in `plot`, whose layout it replaces, left to right.
  ChannelFigure(QCustomPlot* plot, int panels);

  // The traces and spectra of `channel` (1..40), called `label` in the readout ("18ch  AOM006
  // UD"). `data` must stay alive and unchanged until the next ShowChannel: the readout reads
  // its samples. Does not replot.
  void ShowChannel(const ConversionData& data, int channel, const QString& label);
  // The response spectra (copied), or `notice` in their place when there are none. Does not
  // replot.
  void ShowResponse(const ResponseSpectrum* spectrum, double damping, const QString& notice);
  // Every axis back to its data's full range. Does not replot.
  void ResetView();
  // For the sample nearest the mouse in the panel under it: "18ch  AOM006 UD   時刻 46.65 s
  // 加速度 0.2641 gal", the record's own numbers; empty outside the panels or without data.
  QString Readout(QPoint position) const;
  // What the panels show, for a picture's title: "加速度・速度・変位" and the like.
  QString Quantity() const;

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
    std::span<const double> keys, values;  // the samples shown, for the readout
  };

  QCPLayoutGrid* AddColumn(const QString& heading, QCPTextElement** headingElement);
  Trace MakeTrace(QCPLayoutGrid* column, int row, const QString& keyName, const QString& keyUnit,
                  const QString& valueName, const QString& valueUnit, bool logKey, bool logValue,
                  bool markPeak);
  void LinkKeyAxes(const std::vector<Trace>& traces);
  void SetTrace(Trace& trace, const ChannelTable* table, int channel, const QString& notice);
  void SetSeries(Trace& trace, std::span<const double> keys, std::span<const double> values,
                 const QString& notice);

  void ConnectMouse();

  QCustomPlot* plot_;
  QString label_;
  ResponseSpectrum response_;
  QCPTextElement* responseHeading_ = nullptr;
  QCPLayoutGrid* columns_ = nullptr;
  QCPMarginGroup* marginGroup_ = nullptr;  // of the column being laid out
  std::vector<Trace> timeTraces_;
  std::vector<Trace> fourierTraces_;
  std::vector<Trace> responseTraces_;
};

}  // namespace accprep
