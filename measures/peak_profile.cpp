#include "measures/peak_profile.hpp"

#include <cmath>
#include <limits>

#include "measures/peak_search.hpp"

namespace accprep {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

double PeakMagnitude(std::span<const double> values) {
  PeakSearch search;
  for (double v : values) search.Add(v, 0.0);
  return search.peak().found ? std::fabs(search.peak().value) : kNan;
}

}  // namespace

std::vector<LevelPeaks> PeakProfile(std::span<const LevelRecords> levels) {
  std::vector<LevelPeaks> profile;
  for (const LevelRecords& level : levels) {
    profile.push_back({PeakMagnitude(level.acceleration), PeakMagnitude(level.velocity),
                       PeakMagnitude(level.displacement), kNan});
  }
  if (!profile.empty() && profile.front().acceleration > 0) {
    for (LevelPeaks& level : profile) {
      level.amplification = level.acceleration / profile.front().acceleration;
    }
  }
  return profile;
}

}  // namespace accprep
