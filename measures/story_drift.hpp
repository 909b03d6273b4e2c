#pragma once
// Story drift: the displacement of a level relative to the level below it, over time, and the
// drift angle (層間変形角) engineers hold against the design limits (1/200, 1/100).

#include <span>
#include <vector>

#include "measures/peak_search.hpp"

namespace accprep {

struct StoryDrift {
  Peak peak;           // of upper - lower (cm), sign kept, by the one peak rule
  double angle = 0.0;  // |peak| / story height, rad; NaN without a story height > 0
};

// The drift between two displacement records (cm) of one length, `times` as long, of a story
// `storyHeight` m high (NaN or <= 0 when not known). An empty record gives a peak not found.
StoryDrift PeakStoryDrift(std::span<const double> lower, std::span<const double> upper,
                          std::span<const double> times, double storyHeight);

// upper - lower at every sample (cm), for a picture of the drift over time.
std::vector<double> DriftHistory(std::span<const double> lower, std::span<const double> upper);

// N of the angle written as 1/N (1/245 for 0.00408 rad), rounded to the nearest whole number;
// 0 for an angle that is not > 0 or so small that N would pass 10^15.
long long DriftAngleDenominator(double angle);

}  // namespace accprep
