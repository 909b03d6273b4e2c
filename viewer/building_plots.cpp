#include "viewer/building_plots.hpp"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "measures/story_drift.hpp"
#include "viewer/intensity_plots.hpp"

namespace accprep {
namespace {

const QColor kLimit(200, 30, 30);

QCPAxis* Bottom(QCPAxisRect* rect) { return rect->axis(QCPAxis::atBottom); }
QCPAxis* Left(QCPAxisRect* rect) { return rect->axis(QCPAxis::atLeft); }

// The plot's axis rects after the first, in a row or a column.
void AddRects(QCustomPlot* plot, int count, bool inRow) {
  for (int i = 1; i <= count; ++i) {
    auto* rect = new QCPAxisRect(plot);
    plot->plotLayout()->addElement(inRow ? 0 : i, inRow ? i : 0, rect);
  }
}

void Clear(QCustomPlot* plot) {
  plot->clearPlottables();
  plot->clearItems();
  plot->legend->setVisible(false);
}

QString Name(const LayoutDirection& direction) { return QString::fromStdString(direction.name); }

// The text of `value` at `decimals`, or a dash for a value that does not exist.
QString Number(double value, int decimals) {
  return std::isfinite(value) ? QString::number(value, 'f', decimals) : QStringLiteral("—");
}

QCPCurve* Curve(QCPAxisRect* rect, QColor colour, const QString& name) {
  auto* curve = new QCPCurve(Bottom(rect), Left(rect));
  curve->setPen(QPen(colour, 1.6));
  curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 6));
  curve->setName(name);
  curve->removeFromLegend();
  return curve;
}

QCPItemText* Label(QCustomPlot* plot, QCPAxisRect* rect, const QString& text, QColor colour) {
  auto* label = new QCPItemText(plot);
  label->position->setAxes(Bottom(rect), Left(rect));
  label->setClipAxisRect(rect);
  label->setText(text);
  label->setColor(colour);
  return label;
}

// A line across `rect` at `value` of its bottom axis (vertical) or of its left axis.
QCPItemStraightLine* Line(QCustomPlot* plot, QCPAxisRect* rect, double value, bool vertical,
                          QPen pen) {
  auto* line = new QCPItemStraightLine(plot);
  for (QCPItemPosition* point : {line->point1, line->point2})
    point->setAxes(Bottom(rect), Left(rect));
  line->setClipAxisRect(rect);
  line->point1->setCoords(vertical ? value : 0.0, vertical ? 0.0 : value);
  line->point2->setCoords(vertical ? value : 1.0, vertical ? 1.0 : value);
  line->setPen(pen);
  return line;
}

void ShowLegend(QCustomPlot* plot, const std::vector<QCPAbstractPlottable*>& entries) {
  for (QCPAbstractPlottable* entry : entries) entry->addToLegend();
  plot->legend->setVisible(!entries.empty());
  // Below right: the profiles and the drift rise to the upper right.
  plot->axisRect(0)->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
}

// A level's place on the height axis: its height, or its place in the layout where heights
// are not known (a pair).
double LevelHeight(const LayoutDirection& direction, std::size_t level) {
  const double height = direction.levels[level].height;
  return std::isfinite(height) ? height : static_cast<double>(level);
}

bool HeightsKnown(const BuildingLayout& layout) {
  return !layout.directions.empty() && std::isfinite(layout.directions.front().base().height);
}

// The pair's two places named on the height axis.
void NamePairPlaces(QCPAxis* axis, const BuildingLayout& layout) {
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  const LayoutDirection& direction = layout.directions.front();
  ticker->addTick(0.0, QStringLiteral("入力 ") + QString::fromStdString(direction.base().location));
  ticker->addTick(1.0, QStringLiteral("出力 ") + QString::fromStdString(direction.top().location));
  axis->setTicker(ticker);
  axis->setRange(-0.3, 1.3);
}

void FitRange(QCPAxis* axis, double lowest, double highest) {
  if (!(highest > lowest)) highest = lowest + 1.0;
  const double margin = (highest - lowest) * 0.08;
  axis->setRange(lowest - margin, highest + margin);
}

}  // namespace

QColor DirectionColour(std::size_t index) {
  static const QColor kColours[] = {QColor(20, 70, 160),  QColor(200, 90, 20), QColor(40, 140, 60),
                                    QColor(140, 40, 150), QColor(90, 90, 90),  QColor(0, 150, 160)};
  return kColours[index % std::size(kColours)];
}

void SetUpProfilePlot(QCustomPlot* plot) {
  AddRects(plot, 2, /*inRow=*/true);
  const QString labels[] = {QStringLiteral("最大加速度 (gal)"), QStringLiteral("最大速度 (cm/s)"),
                            QStringLiteral("最大変位 (cm)")};
  for (int i = 0; i < 3; ++i) {
    QCPAxisRect* rect = plot->axisRect(i);
    Bottom(rect)->setLabel(labels[i]);
    Left(rect)->setLabel(QStringLiteral("高さ (m)"));
  }
}

void DrawProfiles(QCustomPlot* plot, const BuildingOverview* overview, const QString& notice) {
  Clear(plot);
  if (overview == nullptr || overview->profiles.empty()) {
    ShowPlotNotice(plot, notice);
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  const bool heights = HeightsKnown(overview->layout);
  std::vector<QCPAbstractPlottable*> legend;
  double lowest = 0.0;
  double highest = 0.0;
  for (int quantity = 0; quantity < 3; ++quantity) {
    QCPAxisRect* rect = plot->axisRect(quantity);
    double largest = 0.0;
    for (std::size_t d = 0; d < overview->profiles.size(); ++d) {
      const DirectionProfile& profile = overview->profiles[d];
      const LayoutDirection& direction = *profile.direction;
      QCPCurve* curve = Curve(rect, DirectionColour(d), Name(direction));
      for (std::size_t level = 0; level < profile.levels.size(); ++level) {
        const LevelPeaks& peaks = profile.levels[level];
        const double value = quantity == 0   ? peaks.acceleration
                             : quantity == 1 ? peaks.velocity
                                             : peaks.displacement;
        if (!std::isfinite(value)) continue;
        const double height = LevelHeight(direction, level);
        curve->addData(value, height);
        largest = std::max(largest, value);
        lowest = std::min(lowest, height);
        highest = std::max(highest, height);
        if (quantity == 0 && level > 0 && std::isfinite(peaks.amplification)) {
          QCPItemText* label =
              Label(plot, rect, QStringLiteral("×") + QString::number(peaks.amplification, 'f', 2),
                    DirectionColour(d));
          label->position->setCoords(value, height);
          label->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
        }
      }
      if (quantity == 0) legend.push_back(curve);
    }
    Bottom(rect)->setRange(0.0, largest > 0.0 ? largest * 1.25 : 1.0);
  }
  for (int quantity = 0; quantity < 3; ++quantity) {
    QCPAxis* axis = Left(plot->axisRect(quantity));
    if (heights) {
      axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
      FitRange(axis, lowest, highest);
    } else {
      NamePairPlaces(axis, overview->layout);
    }
  }
  ShowLegend(plot, legend);
  plot->replot(QCustomPlot::rpQueuedReplot);
}

void SetUpTransferPlot(QCustomPlot* plot) {
  AddRects(plot, 2, /*inRow=*/false);
  const QString labels[] = {QStringLiteral("振幅 (倍)"), QStringLiteral("位相 (度)"),
                            QStringLiteral("コヒーレンス")};
  for (int i = 0; i < 3; ++i) {
    QCPAxisRect* rect = plot->axisRect(i);
    Left(rect)->setLabel(labels[i]);
    QCPAxis* frequency = Bottom(rect);
    frequency->setScaleType(QCPAxis::stLogarithmic);
    frequency->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    frequency->setNumberFormat("gb");
    if (i == 2) frequency->setLabel(QStringLiteral("振動数 (Hz)"));
    rect->setRangeDrag(Qt::Horizontal);
    rect->setRangeZoom(Qt::Horizontal);
    if (i > 0) {
      // The three share their frequency range.
      QObject::connect(Bottom(plot->axisRect(0)),
                       QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), frequency,
                       QOverload<const QCPRange&>::of(&QCPAxis::setRange));
    }
  }
  Left(plot->axisRect(1))->setRange(-180.0, 180.0);
  Left(plot->axisRect(1))->ticker()->setTickCount(4);
  Left(plot->axisRect(2))->setRange(0.0, 1.05);
  plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
}

void DrawTransfer(QCustomPlot* plot, const TransferFunction* transfer,
                  const std::vector<IdentifiedMode>& modes, const QString& caption,
                  const QString& notice) {
  Clear(plot);
  if (transfer == nullptr || transfer->frequency.empty()) {
    ShowPlotNotice(plot, notice);
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  const std::size_t count = transfer->frequency.size();
  QVector<double> frequency(transfer->frequency.begin(), transfer->frequency.end());
  QVector<double> amplitude(static_cast<qsizetype>(count));
  QVector<double> phase(static_cast<qsizetype>(count));
  for (std::size_t i = 0; i < count; ++i) {
    amplitude[static_cast<qsizetype>(i)] = TransferAmplitude(transfer->response[i]);
    phase[static_cast<qsizetype>(i)] = TransferPhaseDegrees(transfer->response[i]);
  }
  const QVector<double> coherence(transfer->coherence.begin(), transfer->coherence.end());
  const QVector<double>* values[] = {&amplitude, &phase, &coherence};
  for (int i = 0; i < 3; ++i) {
    QCPAxisRect* rect = plot->axisRect(i);
    QCPGraph* graph = plot->addGraph(Bottom(rect), Left(rect));
    graph->setData(frequency, *values[i], true);
    graph->setPen(QPen(DirectionColour(0), 1.2));
    graph->setAdaptiveSampling(true);
    if (i == 1) {
      graph->setLineStyle(QCPGraph::lsNone);
      graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, DirectionColour(0), 2));
    }
  }
  // From 0.1 Hz (or the first bin) to the Nyquist frequency.
  const double lowest = std::max(frequency.front(), std::min(0.1, frequency.back() / 10.0));
  Bottom(plot->axisRect(0))->setRange(lowest, frequency.back());
  double top = 0.0;
  for (qsizetype i = 0; i < amplitude.size(); ++i) {
    if (frequency[i] >= lowest && std::isfinite(amplitude[i])) top = std::max(top, amplitude[i]);
  }
  Left(plot->axisRect(0))->setRange(0.0, top > 0.0 ? top * 1.15 : 1.0);

  QCPAxisRect* amplitudeRect = plot->axisRect(0);
  for (std::size_t m = 0; m < modes.size(); ++m) {
    for (int i = 0; i < 3; ++i) {
      Line(plot, plot->axisRect(i), modes[m].frequency, /*vertical=*/true,
           QPen(kLimit, 1.0, Qt::DashLine));
    }
    QCPItemText* label =
        Label(plot, amplitudeRect,
              QStringLiteral("%1次 %2 Hz").arg(m + 1).arg(modes[m].frequency, 0, 'f', 3), kLimit);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->position->setAxisRect(amplitudeRect);
    label->position->setCoords(modes[m].frequency, 0.02 + 0.12 * static_cast<double>(m % 3));
    label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setBrush(QBrush(QColor(255, 255, 255, 220)));
  }
  QCPItemText* title = Label(plot, amplitudeRect, caption, QColor(40, 40, 40));
  title->position->setType(QCPItemPosition::ptAxisRectRatio);
  title->position->setAxisRect(amplitudeRect);
  title->position->setCoords(0.01, 0.02);
  title->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
  title->setBrush(QBrush(QColor(255, 255, 255, 220)));
  plot->replot(QCustomPlot::rpQueuedReplot);
}

void SetUpDriftPlot(QCustomPlot* plot) {
  AddRects(plot, 1, /*inRow=*/true);
  plot->plotLayout()->setColumnStretchFactors({1.0, 2.0});
  Bottom(plot->axisRect(0))->setLabel(QStringLiteral("層間変形角 (rad)"));
  Left(plot->axisRect(0))->setLabel(QStringLiteral("高さ (m)"));
  Bottom(plot->axisRect(1))->setLabel(QStringLiteral("時刻 (s)"));
  Left(plot->axisRect(1))->setLabel(QStringLiteral("層間変位 (cm)"));
  plot->axisRect(1)->setRangeDrag(Qt::Horizontal);
  plot->axisRect(1)->setRangeZoom(Qt::Horizontal);
  plot->axisRect(0)->setRangeDrag(Qt::Orientations());
  plot->axisRect(0)->setRangeZoom(Qt::Orientations());
  plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
}

void DrawDrifts(QCustomPlot* plot, const BuildingOverview* overview, const QString& notice) {
  Clear(plot);
  if (overview == nullptr || overview->drifts.empty()) {
    ShowPlotNotice(plot, notice);
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  QCPAxisRect* profileRect = plot->axisRect(0);
  QCPAxisRect* historyRect = plot->axisRect(1);
  const BuildingLayout& layout = overview->layout;
  std::vector<QCPAbstractPlottable*> legend;

  // The angle of each story held over its height: a step down the building.
  double largestAngle = 0.0;
  double lowest = 0.0;
  double highest = 0.0;
  for (std::size_t d = 0; d < layout.directions.size(); ++d) {
    const LayoutDirection& direction = layout.directions[d];
    QCPCurve* curve = nullptr;
    for (const StoryDriftEntry& entry : overview->drifts) {
      if (entry.direction != &direction || !std::isfinite(entry.drift.angle)) continue;
      if (curve == nullptr) curve = Curve(profileRect, DirectionColour(d), Name(direction));
      curve->addData(entry.drift.angle, entry.lower->height);
      curve->addData(entry.drift.angle, entry.upper->height);
      largestAngle = std::max(largestAngle, entry.drift.angle);
      lowest = std::min(lowest, entry.lower->height);
      highest = std::max(highest, entry.upper->height);
    }
    if (curve != nullptr) {
      curve->setScatterStyle(QCPScatterStyle::ssNone);
      legend.push_back(curve);
    }
  }
  if (legend.empty()) {
    ShowPlotNotice(plot, QStringLiteral("高さが分からないため\n層間変形角は求まりません"),
                   profileRect);
  } else {
    for (const double limit : {1.0 / 200.0, 1.0 / 100.0}) {
      Line(plot, profileRect, limit, /*vertical=*/true, QPen(kLimit, 1.2, Qt::DashLine));
      QCPItemText* label =
          Label(plot, profileRect, QStringLiteral("1/%1").arg(std::lround(1.0 / limit)), kLimit);
      label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
      label->position->setAxisRect(profileRect);
      label->position->setCoords(limit, 0.02);
      label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    Bottom(profileRect)->setRange(0.0, std::max(largestAngle, 1.0 / 100.0) * 1.2);
    FitRange(Left(profileRect), lowest, highest);
  }

  // The largest story's drift over time in each direction.
  const QVector<double> times(overview->driftTimes.begin(), overview->driftTimes.end());
  double extent = 0.0;
  for (const LargestStoryDrift& largest : overview->largest) {
    const StoryDriftEntry& entry = overview->drifts[largest.entry];
    const std::size_t d = static_cast<std::size_t>(entry.direction - layout.directions.data());
    QCPGraph* graph = plot->addGraph(Bottom(historyRect), Left(historyRect));
    graph->setData(times, QVector<double>(largest.history.begin(), largest.history.end()), true);
    graph->setPen(QPen(DirectionColour(d), 1.0));
    graph->setAdaptiveSampling(true);
    graph->setName(Name(*entry.direction) +
                   QStringLiteral(" %1層 (%2–%3)")
                       .arg(entry.story)
                       .arg(QString::fromStdString(entry.lower->location),
                            QString::fromStdString(entry.upper->location)));
    graph->removeFromLegend();
    if (legend.empty()) legend.push_back(graph);
    const Peak& peak = entry.drift.peak;
    auto* marker = new QCPItemTracer(plot);
    marker->setGraph(graph);
    marker->setGraphKey(peak.time);
    marker->setStyle(QCPItemTracer::tsCircle);
    marker->setSize(9);
    marker->setPen(QPen(DirectionColour(d), 1.6));
    marker->setClipAxisRect(historyRect);
    QCPItemText* label =
        Label(plot, historyRect,
              graph->name() +
                  QStringLiteral(": %1 cm (%2 s)").arg(Number(peak.value, 2), Number(peak.time, 2)),
              DirectionColour(d));
    label->position->setType(QCPItemPosition::ptAxisRectRatio);
    label->position->setAxisRect(historyRect);
    label->position->setCoords(0.01, 0.02 + 0.08 * static_cast<double>(d));
    label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setBrush(QBrush(QColor(255, 255, 255, 220)));
    extent = std::max(extent, std::abs(peak.value));
  }
  if (!times.isEmpty()) Bottom(historyRect)->setRange(times.front(), times.back());
  Left(historyRect)->setRange(-extent * 1.5 - 1e-9, extent * 1.5 + 1e-9);
  ShowLegend(plot, legend);
  plot->replot(QCustomPlot::rpQueuedReplot);
}

void SetUpTrackingPlot(QCustomPlot* plot) {
  plot->xAxis->setLabel(QStringLiteral("時刻 (s) (窓の中央)"));
  plot->yAxis->setLabel(QStringLiteral("1次の振動数 (Hz)"));
  plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot->axisRect()->setRangeDrag(Qt::Horizontal);
  plot->axisRect()->setRangeZoom(Qt::Horizontal);
}

void DrawTracking(QCustomPlot* plot, const BuildingOverview* overview,
                  const std::vector<DirectionTracking>* tracking, const QString& notice) {
  Clear(plot);
  if (overview == nullptr || tracking == nullptr || tracking->empty()) {
    ShowPlotNotice(plot, tracking == nullptr || overview == nullptr
                             ? notice
                             : QStringLiteral("1次のモードが見つからないため追跡できません"));
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  std::vector<QCPAbstractPlottable*> legend;
  double lowest = INFINITY;
  double highest = 0.0;
  double first = INFINITY;
  double last = -INFINITY;
  for (std::size_t t = 0; t < tracking->size(); ++t) {
    const DirectionTracking& entry = (*tracking)[t];
    const std::size_t d =
        static_cast<std::size_t>(entry.direction - overview->layout.directions.data());
    const QColor colour = DirectionColour(d);
    QCPGraph* graph = plot->addGraph();
    for (const TrackedFrequency& window : entry.track) {
      // A quiet window leaves a gap in the line.
      graph->addData(window.time, window.frequency.value_or(NAN));
      if (window.frequency) {
        lowest = std::min(lowest, *window.frequency);
        highest = std::max(highest, *window.frequency);
      }
      first = std::min(first, window.time);
      last = std::max(last, window.time);
    }
    graph->setPen(QPen(colour, 1.4));
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 4));
    graph->setName(Name(*entry.direction));
    graph->removeFromLegend();
    legend.push_back(graph);
    const DirectionResponse& response = overview->responses[d];
    if (!response.modes.empty()) {
      const double whole = response.modes.front().frequency;
      Line(plot, plot->axisRect(), whole, /*vertical=*/false, QPen(colour, 1.0, Qt::DashLine));
      lowest = std::min(lowest, whole);
      highest = std::max(highest, whole);
    }
  }
  if (std::isfinite(first)) plot->xAxis->setRange(first, last > first ? last : first + 1.0);
  if (std::isfinite(lowest)) FitRange(plot->yAxis, lowest * 0.95, highest * 1.05);
  ShowLegend(plot, legend);
  plot->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace accprep
