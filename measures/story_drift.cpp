#include "measures/story_drift.hpp"

#include <cmath>
#include <limits>

namespace accprep {
namespace {

// Displacements are in cm, heights in m.
constexpr double kCentimetresPerMetre = 100.0;

}  // namespace

StoryDrift PeakStoryDrift(std::span<const double> lower, std::span<const double> upper,
                          std::span<const double> times, double storyHeight) {
  PeakSearch search;
  for (std::size_t i = 0; i < lower.size(); ++i) search.Add(upper[i] - lower[i], times[i]);
  StoryDrift drift;
  drift.peak = search.peak();
  drift.angle = storyHeight > 0 ? std::fabs(drift.peak.value) / (kCentimetresPerMetre * storyHeight)
                                : std::numeric_limits<double>::quiet_NaN();
  return drift;
}

std::vector<double> DriftHistory(std::span<const double> lower, std::span<const double> upper) {
  std::vector<double> drift(lower.size());
  for (std::size_t i = 0; i < lower.size(); ++i) drift[i] = upper[i] - lower[i];
  return drift;
}

long long DriftAngleDenominator(double angle) {
  constexpr double kLargest = 1e15;  // far beyond any drift worth a figure, well within long long
  if (!(angle > 0) || 1.0 / angle > kLargest) return 0;
  return std::llround(1.0 / angle);
}

}  // namespace accprep
