#include "measures/arias_measures.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace accprep {
namespace {

// The integral of a^2 over the first s seconds of a step from `a0` to `a1` of length dt.
double SquareIntegral(double a0, double a1, double dt, double s) {
  const double slope = (a1 - a0) / dt;
  return s * (a0 * a0 + s * (a0 * slope + s * slope * slope / 3.0));
}

// The first time at which the running integral of a^2 reaches `target` (0 < target <= total),
// found inside its step: the integral is a cubic there, rising, so bisection to the last bit
// of the step finds it exactly.
double ReachingTime(std::span<const double> a, const std::vector<double>& running, double dt,
                    double target) {
  const auto next = std::lower_bound(running.begin(), running.end(), target);
  const std::size_t i = static_cast<std::size_t>(next - running.begin()) - 1;
  const double wanted = target - running[i];
  double low = 0.0;
  double high = dt;
  for (int iteration = 0; iteration < 100 && low < high; ++iteration) {
    const double middle = 0.5 * (low + high);
    if (middle <= low || middle >= high) break;
    (SquareIntegral(a[i], a[i + 1], dt, middle) < wanted ? low : high) = middle;
  }
  return static_cast<double>(i) * dt + high;
}

}  // namespace

AriasMeasures ComputeAriasMeasures(std::span<const double> acceleration, double timeStep) {
  if (!(timeStep > 0.0) || !std::isfinite(timeStep)) {
    throw std::invalid_argument("the time step must be positive");
  }
  AriasMeasures measures;
  const std::size_t n = acceleration.size();
  if (n < 2) return measures;
  std::vector<double> running(n, 0.0);  // integral of a^2 up to each sample, gal^2 s
  double cav = 0.0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double a0 = acceleration[i];
    const double a1 = acceleration[i + 1];
    running[i + 1] = running[i] + timeStep / 3.0 * (a0 * a0 + a0 * a1 + a1 * a1);
    const double m0 = std::fabs(a0);
    const double m1 = std::fabs(a1);
    // Across a change of sign |a| is two triangles meeting at the zero crossing.
    cav += (a0 < 0.0) == (a1 < 0.0) || m0 + m1 == 0.0
               ? 0.5 * timeStep * (m0 + m1)
               : 0.5 * timeStep * (a0 * a0 + a1 * a1) / (m0 + m1);
  }
  const double total = running.back();
  measures.cav = cav;
  // gal^2 to (m/s^2)^2.
  measures.arias = std::numbers::pi / (2.0 * kStandardGravity) * total * 1e-4;
  if (total > 0.0) {
    const double t5 = ReachingTime(acceleration, running, timeStep, 0.05 * total);
    measures.d5to75 = ReachingTime(acceleration, running, timeStep, 0.75 * total) - t5;
    measures.d5to95 = ReachingTime(acceleration, running, timeStep, 0.95 * total) - t5;
  }
  return measures;
}

}  // namespace accprep
