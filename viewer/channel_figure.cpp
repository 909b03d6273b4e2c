#include "viewer/channel_figure.hpp"

#include <qcustomplot.h>

#include <cmath>

#include "engine/number_format.hpp"
#include "viewer/column_format.hpp"
#include "viewer/nearest_sample.hpp"
#include "viewer/peaks.hpp"

namespace accprep {
namespace {

QString Number(double value, int digits = 6) {
  char text[kMaxNumberText];
  return QString::fromLatin1(text,
                             FormatSignificant(text, value, digits, NumberForm::Point()) - text);
}

QString Exact(double value) { return QString::fromStdString(FormatNumber(value)); }

QString FileName(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName();
}

// What to say where a file's curve would be.
QString Absence(const ConversionData& data, ConversionFile file) {
  if (!data.error(file).empty()) {
    return QStringLiteral("読み込めません: ") + QString::fromStdString(data.error(file));
  }
  if (!data.files.has(file)) {
    return QStringLiteral("ファイルがありません: ") + FileName(data.files.path(file));
  }
  return {};
}

const QColor kCurve(20, 70, 160);
const QColor kPeak(200, 30, 30);

}  // namespace

ChannelFigure::ChannelFigure(QCustomPlot* plot, int panels) : QObject(plot), plot_(plot) {
  plot_->plotLayout()->clear();
  plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot_->setNoAntialiasingOnDrag(true);
  columns_ = new QCPLayoutGrid;
  plot_->plotLayout()->addElement(0, 0, columns_);
  columns_->setColumnSpacing(12);

  if (panels & kTimeHistories) {
    QCPLayoutGrid* column = AddColumn(QStringLiteral("加速度・速度・変位"), nullptr);
    const QString time = QStringLiteral("時刻");
    timeTraces_.push_back(
        MakeTrace(column, 0, time, "s", QStringLiteral("加速度"), "gal", false, false, true));
    timeTraces_.push_back(
        MakeTrace(column, 1, time, "s", QStringLiteral("速度"), "cm/s", false, false, true));
    timeTraces_.push_back(
        MakeTrace(column, 2, time, "s", QStringLiteral("変位"), "cm", false, false, true));
    LinkKeyAxes(timeTraces_);
  }
  if (panels & kFourierSpectra) {
    QCPLayoutGrid* column = AddColumn(QStringLiteral("フーリエ振幅スペクトル"), nullptr);
    const QString frequency = QStringLiteral("振動数");
    fourierTraces_.push_back(MakeTrace(column, 0, frequency, "Hz", QStringLiteral("速度振幅"),
                                       QStringLiteral("cm/s·s"), true, true, false));
    fourierTraces_.push_back(MakeTrace(column, 1, frequency, "Hz", QStringLiteral("変位振幅"),
                                       QStringLiteral("cm·s"), true, true, false));
    LinkKeyAxes(fourierTraces_);
  }
  if (panels & kResponseSpectra) {
    QCPLayoutGrid* column = AddColumn(QStringLiteral("応答スペクトル"), &responseHeading_);
    const QString period = QStringLiteral("周期");
    responseTraces_.push_back(MakeTrace(column, 0, period, "s", QStringLiteral("絶対加速度 Sa"),
                                        "gal", true, false, false));
    responseTraces_.push_back(MakeTrace(column, 1, period, "s", QStringLiteral("相対速度 Sv"),
                                        "cm/s", true, false, false));
    responseTraces_.push_back(
        MakeTrace(column, 2, period, "s", QStringLiteral("相対変位 Sd"), "cm", true, false, false));
    LinkKeyAxes(responseTraces_);
  }
  ConnectMouse();
}

void ChannelFigure::ConnectMouse() {
  // A drag with Ctrl or Shift draws a box to zoom to; a plain drag moves along the key axis.
  connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
    const bool box = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    plot_->setSelectionRectMode(box ? QCP::srmZoom : QCP::srmNone);
  });
  connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) {
    ResetView();
    plot_->replot(QCustomPlot::rpQueuedReplot);
  });
}

QString ChannelFigure::Quantity() const {
  QStringList parts;
  if (!timeTraces_.empty()) parts << QStringLiteral("時刻歴 (加速度・速度・変位)");
  if (!fourierTraces_.empty()) parts << QStringLiteral("フーリエ振幅スペクトル");
  if (!responseTraces_.empty()) parts << responseHeading_->text();
  return parts.join(QStringLiteral("・"));
}

QCPLayoutGrid* ChannelFigure::AddColumn(const QString& heading, QCPTextElement** headingElement) {
  auto* column = new QCPLayoutGrid;
  columns_->addElement(0, columns_->columnCount(), column);
  // All value axes of a column start at one left edge, so the stacked curves line up.
  marginGroup_ = new QCPMarginGroup(plot_);
  auto* text = new QCPTextElement(plot_, heading, QFont(plot_->font().family(), 11, QFont::Bold));
  column->addElement(0, 0, text);
  column->setRowSpacing(2);
  if (headingElement != nullptr) *headingElement = text;
  return column;
}

ChannelFigure::Trace ChannelFigure::MakeTrace(QCPLayoutGrid* column, int row,
                                              const QString& keyName, const QString& keyUnit,
                                              const QString& valueName, const QString& valueUnit,
                                              bool logKey, bool logValue, bool markPeak) {
  Trace trace;
  trace.keyName = keyName;
  trace.keyUnit = keyUnit;
  trace.valueName = valueName;
  trace.valueUnit = valueUnit;
  trace.logKey = logKey;
  trace.logValue = logValue;
  trace.rect = new QCPAxisRect(plot_);
  column->addElement(row + 1, 0, trace.rect);  // row 0 holds the heading
  QCPAxis* key = trace.rect->axis(QCPAxis::atBottom);
  QCPAxis* value = trace.rect->axis(QCPAxis::atLeft);
  key->setLabel(keyName + " (" + keyUnit + ")");
  value->setLabel(valueName + " (" + valueUnit + ")");
  if (logKey) {
    key->setScaleType(QCPAxis::stLogarithmic);
    key->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
    key->setNumberFormat("gb");
  }
  if (logValue) {
    value->setScaleType(QCPAxis::stLogarithmic);
    value->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
    value->setNumberFormat("eb");
    value->setNumberPrecision(0);
  }
  trace.rect->setMarginGroup(QCP::msLeft | QCP::msRight, marginGroup_);
  // The wheel and a drag act on the key axis alone: zooming the values would clip the peaks
  // and hide the peak marker.
  trace.rect->setRangeZoom(Qt::Horizontal);
  trace.rect->setRangeDrag(Qt::Horizontal);

  trace.graph = plot_->addGraph(key, value);
  trace.graph->setPen(QPen(kCurve, 1.0));
  trace.graph->setAdaptiveSampling(true);

  if (markPeak) {
    trace.tracer = new QCPItemTracer(plot_);
    trace.tracer->setClipAxisRect(trace.rect);
    trace.tracer->position->setAxes(key, value);
    trace.tracer->setStyle(QCPItemTracer::tsCircle);
    trace.tracer->setSize(9);
    trace.tracer->setPen(QPen(kPeak, 1.6));
    trace.tracer->setVisible(false);

    trace.label = new QCPItemText(plot_);
    trace.label->setClipAxisRect(trace.rect);
    trace.label->position->setAxisRect(trace.rect);
    trace.label->position->setType(QCPItemPosition::ptAxisRectRatio);
    trace.label->position->setCoords(0.99, 0.03);
    trace.label->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    trace.label->setColor(kPeak);
    trace.label->setBrush(QBrush(QColor(255, 255, 255, 220)));
    trace.label->setPadding(QMargins(4, 2, 4, 2));
    trace.label->setVisible(false);
  }

  trace.notice = new QCPItemText(plot_);
  trace.notice->setClipAxisRect(trace.rect);
  trace.notice->position->setAxisRect(trace.rect);
  trace.notice->position->setType(QCPItemPosition::ptAxisRectRatio);
  trace.notice->position->setCoords(0.5, 0.5);
  trace.notice->setColor(QColor(120, 120, 120));
  trace.notice->setVisible(false);
  return trace;
}

void ChannelFigure::LinkKeyAxes(const std::vector<Trace>& traces) {
  // One key range for the whole column: zooming or dragging one trace moves the others,
  // and only the lowest shows its tick labels' axis title to save height.
  for (const Trace& a : traces) {
    for (const Trace& b : traces) {
      if (a.rect == b.rect) continue;
      connect(a.rect->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::rangeChanged),
              b.rect->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::setRange));
    }
  }
  for (std::size_t i = 0; i + 1 < traces.size(); ++i) {
    traces[i].rect->axis(QCPAxis::atBottom)->setLabel(QString());
  }
}

void ChannelFigure::SetSeries(Trace& trace, std::span<const double> keys,
                              std::span<const double> values, const QString& notice) {
  QVector<QCPGraphData> points;
  points.reserve(static_cast<qsizetype>(keys.size()));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    // Log axes cannot show zero or negative numbers (the spectra's zero-frequency line, a
    // zero amplitude); those points are left out rather than drawn at minus infinity.
    if ((trace.logKey && !(keys[i] > 0.0)) || (trace.logValue && !(values[i] > 0.0))) continue;
    points.append(QCPGraphData(keys[i], values[i]));
  }
  trace.graph->data()->set(points, true);
  trace.keys = keys;
  trace.values = values;
  trace.notice->setText(notice);
  trace.notice->setVisible(!notice.isEmpty());
}

void ChannelFigure::SetTrace(Trace& trace, const ChannelTable* table, int channel,
                             const QString& notice) {
  if (table == nullptr) {
    SetSeries(trace, {}, {}, notice);
  } else {
    SetSeries(trace, table->column(0), table->column(channel),
              table->rows() == 0 ? QStringLiteral("データ行がありません") : QString());
  }
  if (trace.tracer == nullptr) return;
  const Peak peak = table == nullptr ? Peak{} : FindPeak(table->column(channel), table->column(0));
  trace.tracer->setVisible(peak.found);
  trace.label->setVisible(peak.found);
  if (!peak.found) return;
  trace.tracer->position->setCoords(peak.time, peak.value);
  // The time in the sampling step's decimals, as the peaks table gives it (38.50, not 38.5).
  const std::span<const double> time = table->column(0);
  const int decimals = time.size() >= 2 ? StepDecimals(time[1] - time[0]) : 2;
  trace.label->setText(QStringLiteral("最大値 ") + Number(peak.value) + " " + trace.valueUnit +
                       QStringLiteral("  (") +
                       QString::fromStdString(FixedText(peak.time, decimals)) + " s)");
}

void ChannelFigure::ShowChannel(const ConversionData& data, int channel, const QString& label) {
  label_ = label;
  static constexpr ConversionFile kTimeFiles[] = {
      ConversionFile::kAcceleration, ConversionFile::kVelocity, ConversionFile::kDisplacement};
  for (std::size_t i = 0; i < timeTraces_.size(); ++i) {
    SetTrace(timeTraces_[i], data.table(kTimeFiles[i]), channel, Absence(data, kTimeFiles[i]));
  }
  static constexpr ConversionFile kSpectrumFiles[] = {ConversionFile::kVelocitySpectrum,
                                                      ConversionFile::kDisplacementSpectrum};
  for (std::size_t i = 0; i < fourierTraces_.size(); ++i) {
    SetTrace(fourierTraces_[i], data.table(kSpectrumFiles[i]), channel,
             Absence(data, kSpectrumFiles[i]));
  }
}

void ChannelFigure::ShowResponse(const ResponseSpectrum* spectrum, double damping,
                                 const QString& notice) {
  if (responseHeading_ != nullptr) {
    responseHeading_->setText(QStringLiteral("応答スペクトル (減衰定数 ") +
                              Number(damping * 100, 4) + " %)");
  }
  response_ = spectrum != nullptr ? *spectrum : ResponseSpectrum{};
  for (std::size_t i = 0; i < responseTraces_.size(); ++i) {
    if (spectrum == nullptr) {
      SetSeries(responseTraces_[i], {}, {}, notice);
      continue;
    }
    const std::vector<double>& values = i == 0   ? response_.absoluteAcceleration
                                        : i == 1 ? response_.relativeVelocity
                                                 : response_.relativeDisplacement;
    SetSeries(responseTraces_[i], response_.periods, values, QString());
  }
}

void ChannelFigure::ResetView() {
  for (auto* traces : {&timeTraces_, &fourierTraces_, &responseTraces_}) {
    for (Trace& trace : *traces) {
      bool found = false;
      const QCPRange keys = trace.graph->getKeyRange(found);
      if (found) trace.rect->axis(QCPAxis::atBottom)->setRange(keys);
      trace.graph->rescaleValueAxis(false, false);
      QCPAxis* value = trace.rect->axis(QCPAxis::atLeft);
      if (!trace.logValue) {
        // Room above the curve for the peak label, and a symmetric band around zero for
        // traces that swing both ways.
        const QCPRange range = value->range();
        const double top = std::max(std::fabs(range.lower), std::fabs(range.upper));
        if (trace.tracer != nullptr && top > 0) {
          value->setRange(range.lower < 0 ? -top * 1.25 : 0.0, top * 1.25);
        } else if (top > 0) {
          value->setRange(std::min(0.0, range.lower), range.upper * 1.08);
        } else {
          value->setRange(-1, 1);
        }
      } else if (found) {
        value->scaleRange(1.3, std::sqrt(value->range().lower * value->range().upper));
      }
    }
  }
}

QString ChannelFigure::Readout(QPoint position) const {
  for (auto* traces : {&timeTraces_, &fourierTraces_, &responseTraces_}) {
    for (const Trace& trace : *traces) {
      if (!trace.rect->rect().contains(position)) continue;
      const double key = trace.rect->axis(QCPAxis::atBottom)->pixelToCoord(position.x());
      const std::optional<std::size_t> at = NearestSample(trace.keys, key, trace.logKey);
      if (!at) return {};
      // The numbers as the file holds them, in their shortest exact form.
      return label_ + "   " + trace.keyName + " " + Exact(trace.keys[*at]) + " " + trace.keyUnit +
             "   " + trace.valueName + " " + Exact(trace.values[*at]) + " " + trace.valueUnit;
    }
  }
  return {};
}

}  // namespace accprep
