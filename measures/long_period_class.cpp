#include "measures/long_period_class.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "measures/band_limited_resampling.hpp"
#include "measures/oscillator_step.hpp"

namespace accprep {
namespace {

// max over time of |v1 + g1, v2 + g2|^2 for one period, from the two components as the
// period needs them sampled.
double PeakSquaredAbsoluteVelocity(std::span<const double> a1, std::span<const double> a2,
                                   double step, double period) {
  const OscillatorStep oscillator = MakeOscillatorStep(period, kLongPeriodDamping, step);
  double x1 = 0.0, v1 = 0.0, ground1 = 0.0;
  double x2 = 0.0, v2 = 0.0, ground2 = 0.0;
  double peak = 0.0;
  for (std::size_t i = 0; i + 1 < a1.size(); ++i) {
    oscillator.Advance(x1, v1, a1[i], a1[i + 1]);
    oscillator.Advance(x2, v2, a2[i], a2[i + 1]);
    // The trapezoid is the exact integral of the acceleration read linearly between samples,
    // the reading the recurrence makes too.
    ground1 += 0.5 * step * (a1[i] + a1[i + 1]);
    ground2 += 0.5 * step * (a2[i] + a2[i + 1]);
    const double u1 = v1 + ground1;
    const double u2 = v2 + ground2;
    peak = std::max(peak, u1 * u1 + u2 * u2);
  }
  return peak;
}

}  // namespace

std::vector<double> LongPeriodPeriods() {
  std::vector<double> periods;
  for (int tenths = 16; tenths <= 78; tenths += 2) periods.push_back(tenths / 10.0);
  return periods;
}

int LongPeriodClassOf(double sva) {
  int motionClass = 0;
  for (double floor : kLongPeriodClassFloors) motionClass += sva >= floor ? 1 : 0;
  return motionClass;
}

LongPeriodMotion ComputeLongPeriodMotion(std::span<const double> horizontal1,
                                         std::span<const double> horizontal2, double timeStep) {
  if (!(timeStep > 0.0) || !std::isfinite(timeStep)) {
    throw std::invalid_argument("the time step must be positive");
  }
  if (horizontal1.size() != horizontal2.size()) {
    throw std::invalid_argument("the two horizontal components must have one length");
  }
  LongPeriodMotion motion;
  motion.periods = LongPeriodPeriods();
  motion.sva.assign(motion.periods.size(), 0.0);
  const ResampledRecord record1(horizontal1, timeStep, motion.periods);
  const ResampledRecord record2(horizontal2, timeStep, motion.periods);
  for (std::size_t k = 0; k < motion.periods.size(); ++k) {
    const double period = motion.periods[k];
    motion.sva[k] = std::sqrt(PeakSquaredAbsoluteVelocity(
        record1.Samples(period), record2.Samples(period), record1.Step(period), period));
    if (motion.sva[k] > motion.peakSva) {
      motion.peakSva = motion.sva[k];
      motion.peakPeriod = period;
    }
  }
  motion.motionClass = LongPeriodClassOf(motion.peakSva);
  return motion;
}

}  // namespace accprep
