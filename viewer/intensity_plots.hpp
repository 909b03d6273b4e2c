#pragma once
// The two plots of the 震度・指標 tab: the filtered vector sum of the seismic intensity with
// its level a0, and the long-period Sva curve over the class bands. Each draws into a
// QCustomPlot of its own and replots it.

#include <QString>

#include <span>

#include "measures/jma_intensity.hpp"
#include "measures/long_period_class.hpp"

class QCPAxisRect;
class QCustomPlot;

namespace accprep {

// Axis titles and scales, once.
void SetUpVectorSumPlot(QCustomPlot* plot);
void SetUpSvaPlot(QCustomPlot* plot);

// a(t) over `times` (as long as the vector sum) with a0 as a dashed line; with no result,
// `notice` alone.
void DrawVectorSum(QCustomPlot* plot, std::span<const double> times, const JmaIntensity* jma,
                   const QString& notice);

// Sva over its periods (log scale) on bands tinted by class, the peak marked; with no
// result, `notice` alone.
void DrawSva(QCustomPlot* plot, const LongPeriodMotion* motion, const QString& notice);

// `notice` in grey at the middle of `rect` (the plot's first axis rect when null), in place of
// what cannot be drawn.
void ShowPlotNotice(QCustomPlot* plot, const QString& notice, QCPAxisRect* rect = nullptr);

// `value` to `digits` significant digits in the engine's point form: "2.383", "0.000775234".
QString SignificantText(double value, int digits);

}  // namespace accprep
