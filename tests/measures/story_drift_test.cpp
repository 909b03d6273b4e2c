#include "measures/story_drift.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "measures/peak_profile.hpp"

namespace accprep {
namespace {

TEST(StoryDrift, PeakOfTheDifferenceWithItsTimeAndAngle) {
  const std::vector<double> times = {0.0, 0.5, 1.0, 1.5};
  const std::vector<double> lower = {0.0, 1.0, -2.0, 0.5};
  const std::vector<double> upper = {0.5, 1.5, -4.5, 3.0};  // drift 0.5, 0.5, -2.5, 2.5
  const StoryDrift drift = PeakStoryDrift(lower, upper, times, 3.5);
  EXPECT_EQ(drift.peak.value, -2.5);  // the earliest of two equal magnitudes
  EXPECT_EQ(drift.peak.time, 1.0);
  EXPECT_DOUBLE_EQ(drift.angle, 2.5 / 350.0);  // cm over m
  EXPECT_EQ(DriftAngleDenominator(drift.angle), 140);
  EXPECT_EQ(DriftHistory(lower, upper), (std::vector<double>{0.5, 0.5, -2.5, 2.5}));

  EXPECT_TRUE(std::isnan(PeakStoryDrift(lower, upper, times, NAN).angle));
  EXPECT_TRUE(std::isnan(PeakStoryDrift(lower, upper, times, 0.0).angle));
  EXPECT_FALSE(PeakStoryDrift({}, {}, {}, 3.0).peak.found);
  EXPECT_EQ(DriftAngleDenominator(1.0 / 199.6), 200);
  EXPECT_EQ(DriftAngleDenominator(0.0), 0);
  EXPECT_EQ(DriftAngleDenominator(1e-300), 0);
}

TEST(PeakProfile, MagnitudesAndAmplificationOverTheBase) {
  const std::vector<double> base = {1.0, -2.0, 0.5};
  const std::vector<double> roof = {3.0, -5.0, 1.0};
  const std::vector<double> velocity = {0.1, -0.3, 0.2};
  const std::vector<LevelRecords> levels = {{base, velocity, {}}, {roof, velocity, {}}};
  const std::vector<LevelPeaks> profile = PeakProfile(levels);
  ASSERT_EQ(profile.size(), 2u);
  EXPECT_EQ(profile[0].acceleration, 2.0);
  EXPECT_EQ(profile[1].acceleration, 5.0);
  EXPECT_EQ(profile[1].velocity, 0.3);
  EXPECT_TRUE(std::isnan(profile[1].displacement));
  EXPECT_EQ(profile[0].amplification, 1.0);
  EXPECT_EQ(profile[1].amplification, 2.5);

  const std::vector<double> still = {0.0, 0.0};
  const std::vector<LevelRecords> quiet = {{still, {}, {}}, {roof, {}, {}}};
  EXPECT_TRUE(std::isnan(PeakProfile(quiet)[1].amplification));
}

}  // namespace
}  // namespace accprep
