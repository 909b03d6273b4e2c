#pragma once
// Peak profiles of a building over height: at each level of one direction the peak
// acceleration, velocity and displacement (the conversion's own three records), and the
// amplification of the level's peak acceleration over its base's.

#include <span>
#include <vector>

namespace accprep {

// One level's records; an empty span stands for a record the conversion does not have.
struct LevelRecords {
  std::span<const double> acceleration;
  std::span<const double> velocity;
  std::span<const double> displacement;
};

struct LevelPeaks {
  // Peak magnitudes (the one peak rule of measures/peak_search.hpp, sign dropped); NaN for an
  // absent record.
  double acceleration = 0.0;
  double velocity = 0.0;
  double displacement = 0.0;
  // acceleration over the base's; NaN where the base has no acceleration peak above 0.
  double amplification = 0.0;
};

// One entry per level of `levels`, whose first entry is the base.
std::vector<LevelPeaks> PeakProfile(std::span<const LevelRecords> levels);

}  // namespace accprep
