#include "viewer/intensity_plots.hpp"

#include <qcustomplot.h>

#include <algorithm>

#include "engine/number_format.hpp"

namespace accprep {
namespace {

// Class 0 stays white; each class above gets a deeper tint.
const QColor kBandTints[] = {QColor(255, 255, 255), QColor(255, 246, 200), QColor(255, 221, 160),
                             QColor(255, 190, 170), QColor(230, 180, 230)};
const QColor kCurve(20, 70, 160);
const QColor kMark(200, 30, 30);

}  // namespace

void ShowPlotNotice(QCustomPlot* plot, const QString& notice, QCPAxisRect* rect) {
  auto* text = new QCPItemText(plot);
  text->position->setType(QCPItemPosition::ptAxisRectRatio);
  if (rect != nullptr) {
    text->position->setAxisRect(rect);
    text->setClipAxisRect(rect);
  }
  text->position->setCoords(0.5, 0.5);
  text->setText(notice);
  text->setColor(QColor(120, 120, 120));
}

QString SignificantText(double value, int digits) {
  char text[kMaxNumberText];
  return QString::fromLatin1(text,
                             FormatSignificant(text, value, digits, NumberForm::Point()) - text);
}

void SetUpVectorSumPlot(QCustomPlot* plot) {
  plot->xAxis->setLabel(QStringLiteral("時刻 (s)"));
  plot->yAxis->setLabel(QStringLiteral("合成加速度 a(t) (gal)"));
  plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
}

void SetUpSvaPlot(QCustomPlot* plot) {
  plot->xAxis->setLabel(QStringLiteral("周期 (s)"));
  plot->yAxis->setLabel(QStringLiteral("Sva (cm/s)"));
  plot->yAxis->setScaleType(QCPAxis::stLogarithmic);
  plot->yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  plot->yAxis->setNumberFormat("gb");
}

void DrawVectorSum(QCustomPlot* plot, std::span<const double> times, const JmaIntensity* jma,
                   const QString& notice) {
  plot->clearGraphs();
  plot->clearItems();
  if (jma == nullptr) {
    ShowPlotNotice(plot, notice);
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  const std::vector<double>& sum = jma->vectorSum;
  QVector<QCPGraphData> points(static_cast<qsizetype>(sum.size()));
  for (std::size_t i = 0; i < sum.size(); ++i)
    points[static_cast<qsizetype>(i)] = {times[i], sum[i]};
  QCPGraph* graph = plot->addGraph();
  graph->data()->set(points, true);
  graph->setPen(QPen(kCurve, 1.0));
  graph->setAdaptiveSampling(true);

  const double a0 = jma->a0;
  auto* level = new QCPItemStraightLine(plot);
  level->point1->setCoords(0.0, a0);
  level->point2->setCoords(1.0, a0);
  level->setPen(QPen(kMark, 1.4, Qt::DashLine));
  auto* label = new QCPItemText(plot);
  label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
  label->position->setTypeY(QCPItemPosition::ptPlotCoords);
  label->position->setCoords(0.99, a0);
  label->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
  label->setText(QStringLiteral("a0 = ") + SignificantText(a0, 4) + QStringLiteral(" gal"));
  label->setColor(kMark);
  label->setBrush(QBrush(QColor(255, 255, 255, 220)));

  bool found = false;
  plot->xAxis->setRange(graph->getKeyRange(found));
  const double top = std::max(sum.empty() ? 0.0 : *std::max_element(sum.begin(), sum.end()), a0);
  plot->yAxis->setRange(0.0, top > 0.0 ? top * 1.2 : 1.0);
  plot->replot(QCustomPlot::rpQueuedReplot);
}

void DrawSva(QCustomPlot* plot, const LongPeriodMotion* motion, const QString& notice) {
  plot->clearGraphs();
  plot->clearItems();
  if (motion == nullptr || motion->peakSva <= 0.0) {
    ShowPlotNotice(plot, motion == nullptr ? notice : QStringLiteral("揺れがありません"));
    plot->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  const double peak = motion->peakSva;
  // Log scale: small and large motions both fill the plot, and the class floors that lie
  // near the curve stay in view.
  double bottom = peak;
  for (double sva : motion->sva) {
    if (sva > 0.0) bottom = std::min(bottom, sva);
  }
  double top = std::max(peak * 2.0, 8.0);
  // Room above the highest class floor in view for its caption, which would otherwise be cut
  // at the plot's top on a small screen.
  for (double floor : kLongPeriodClassFloors) {
    if (floor < top) top = std::max(top, floor * 2.5);
  }
  // Two decades at least, so that the log axis labels its decades.
  bottom = std::min(bottom / 2.0, top / 100.0);

  const double floors[] = {bottom * 1e-3,
                           kLongPeriodClassFloors[0],
                           kLongPeriodClassFloors[1],
                           kLongPeriodClassFloors[2],
                           kLongPeriodClassFloors[3],
                           top * 1e3};
  for (int band = 0; band < 5; ++band) {
    auto* rect = new QCPItemRect(plot);
    rect->setLayer("background");
    rect->topLeft->setTypeX(QCPItemPosition::ptAxisRectRatio);
    rect->bottomRight->setTypeX(QCPItemPosition::ptAxisRectRatio);
    rect->topLeft->setCoords(0.0, floors[band + 1]);
    rect->bottomRight->setCoords(1.0, floors[band]);
    rect->setPen(Qt::NoPen);
    rect->setBrush(kBandTints[band]);
    if (band == 0) continue;
    auto* caption = new QCPItemText(plot);
    caption->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    // At the right edge: the maximum's label stands at the top left, clear of them.
    caption->position->setCoords(0.995, floors[band]);
    caption->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    caption->setText(QStringLiteral("階級%1 (%2 cm/s 以上)").arg(band).arg(floors[band]));
    caption->setColor(QColor(110, 80, 40));
  }

  QCPGraph* graph = plot->addGraph();
  graph->setData(QVector<double>(motion->periods.begin(), motion->periods.end()),
                 QVector<double>(motion->sva.begin(), motion->sva.end()), true);
  graph->setPen(QPen(kCurve, 1.6));
  graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 4));

  auto* marker = new QCPItemTracer(plot);
  marker->setStyle(QCPItemTracer::tsCircle);
  marker->setSize(10);
  marker->setPen(QPen(kMark, 1.6));
  marker->position->setCoords(motion->peakPeriod, peak);
  auto* label = new QCPItemText(plot);
  label->position->setType(QCPItemPosition::ptAxisRectRatio);
  label->position->setCoords(0.01, 0.02);
  label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setBrush(QBrush(QColor(255, 255, 255, 230)));
  label->setPadding(QMargins(4, 2, 4, 2));
  label->setText(QStringLiteral("最大 ") + SignificantText(peak, 4) + QStringLiteral(" cm/s (") +
                 QString::number(motion->peakPeriod, 'f', 1) + " s)");
  label->setColor(kMark);

  plot->xAxis->setRange(1.5, 7.9);
  plot->yAxis->setRange(bottom, top);
  // Labels at 1, 2, 5 of each decade and at every class floor (5, 15, 50, 100 cm/s): a log
  // ticker labels the decades alone, which leaves the 5 cm/s boundary unnamed.
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  for (double decade = 1e-4; decade <= top * 10; decade *= 10) {
    for (double step : {1.0, 2.0, 5.0}) {
      const double tick = decade * step;
      if (tick >= bottom && tick <= top) ticker->addTick(tick, SignificantText(tick, 3));
    }
  }
  for (double floor : kLongPeriodClassFloors) {
    if (floor >= bottom && floor <= top) ticker->addTick(floor, SignificantText(floor, 3));
  }
  plot->yAxis->setTicker(ticker);
  plot->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace accprep
