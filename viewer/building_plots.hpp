#pragma once
// The plots of the 建物応答 tab, each on a QCustomPlot of its own so that a picture takes it
// whole: the three peak profiles over height side by side; the transfer function's amplitude,
// phase and coherence stacked, the modes marked; the drift angle profile with the 1/200 and
// 1/100 lines beside the time history of each direction's largest story drift; the first
// frequency through the shaking. Set up once, drawn anew for each result.

#include <QColor>
#include <QString>

#include <vector>

#include "viewer/building_overview.hpp"

class QCustomPlot;

namespace accprep {

// The axis rects and titles, once per plot.
void SetUpProfilePlot(QCustomPlot* plot);
void SetUpTransferPlot(QCustomPlot* plot);
void SetUpDriftPlot(QCustomPlot* plot);
void SetUpTrackingPlot(QCustomPlot* plot);

// Each level's peaks over its height (over its place in the pair where heights are not known),
// one curve a direction, the acceleration's points labelled with their amplification. With
// no overview or no profile, `notice` alone.
void DrawProfiles(QCustomPlot* plot, const BuildingOverview* overview, const QString& notice);

// The transfer function named `caption`, the frequencies of `modes` marked; `notice` alone
// without one.
void DrawTransfer(QCustomPlot* plot, const TransferFunction* transfer,
                  const std::vector<IdentifiedMode>& modes, const QString& caption,
                  const QString& notice);

// The drift angle of each story over height with the two limits, and the drift over time of
// each direction's largest story, its peak marked.
void DrawDrifts(QCustomPlot* plot, const BuildingOverview* overview, const QString& notice);

// The tracked first frequency of each direction over time, the whole record's as a dashed
// line.
void DrawTracking(QCustomPlot* plot, const BuildingOverview* overview,
                  const std::vector<DirectionTracking>* tracking, const QString& notice);

// The colour of the index-th direction, the same in every plot.
QColor DirectionColour(std::size_t index);

}  // namespace accprep
