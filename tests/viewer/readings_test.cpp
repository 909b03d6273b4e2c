// What the window reads out and lists: the sample under the cursor and one number form per
// column.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "viewer/column_format.hpp"
#include "viewer/nearest_sample.hpp"

namespace accprep {
namespace {

// The nearest by a walk over every key, the earlier on a tie.
std::optional<std::size_t> NearestByWalk(const std::vector<double>& keys, double key, bool log) {
  std::optional<std::size_t> best;
  double bestDistance = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (log && !(keys[i] > 0)) continue;
    const double distance = log ? std::fabs(std::log(keys[i]) - std::log(key > 0 ? key : keys[i]))
                                : std::fabs(keys[i] - key);
    if (!best || distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

TEST(NearestSample, AgreesWithAWalkOverEveryKey) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-1.0, 11.0);
  for (int round = 0; round < 2000; ++round) {
    std::vector<double> keys(random() % 6);
    for (double& key : keys) key = std::round(uniform(random) * 4) / 4;  // ties happen
    std::sort(keys.begin(), keys.end());
    const double key = std::round(uniform(random) * 8) / 8;
    for (bool log : {false, true}) {
      if (log && !(key > 0)) continue;
      EXPECT_EQ(NearestSample(keys, key, log), NearestByWalk(keys, key, log))
          << "round " << round << " log " << log << " key " << key << " keys "
          << ::testing::PrintToString(keys);
    }
  }
}

TEST(NearestSample, EdgesAndLogScale) {
  const std::vector<double> times = {0.0, 0.01, 0.02, 0.03};
  EXPECT_EQ(NearestSample(times, -5.0), 0u);
  EXPECT_EQ(NearestSample(times, 99.0), 3u);
  EXPECT_EQ(NearestSample(times, 0.015), 1u);  // a tie takes the earlier sample
  EXPECT_EQ(NearestSample(times, NAN), std::nullopt);
  EXPECT_EQ(NearestSample({}, 1.0), std::nullopt);
  // On a log axis 3 lies nearer 10 than 1 (log 3 = 0.48 of a decade); the zero frequency is
  // never nearest, and a cursor left of every positive key takes the first of them.
  const std::vector<double> frequencies = {0.0, 1.0, 10.0};
  EXPECT_EQ(NearestSample(frequencies, 3.0, true), 1u);
  EXPECT_EQ(NearestSample(frequencies, 3.5, true), 2u);
  EXPECT_EQ(NearestSample(frequencies, 3.0, false), 1u);
  EXPECT_EQ(NearestSample(frequencies, -1.0, true), 1u);
  EXPECT_EQ(NearestSample(std::vector<double>{0.0}, 1.0, true), std::nullopt);
}

TEST(ColumnFormat, OneNumberOfDecimalsForAColumn) {
  EXPECT_EQ(ColumnDecimals(std::vector<double>{312.5, -3.1, 0.2}, 4), 1);  // 312.5, 3.1, 0.2
  EXPECT_EQ(ColumnDecimals(std::vector<double>{0.0762, -0.001}, 3), 4);
  EXPECT_EQ(ColumnDecimals(std::vector<double>{9.9996}, 4), 2);  // rounds up to 10.00
  EXPECT_EQ(ColumnDecimals(std::vector<double>{123456.0}, 4), 0);
  EXPECT_EQ(ColumnDecimals(std::vector<double>{0.0, NAN, INFINITY}, 4), 3);
  EXPECT_EQ(ColumnDecimals({}, 2), 1);
  // The largest value shows four significant digits, whatever its size: as an integer count
  // of the last decimal it lies in [1000, 10000), or above for a value without decimals.
  for (double largest = 1.234e-6; largest < 1e6; largest *= 7.3) {
    const int decimals = ColumnDecimals(std::vector<double>{largest / 3, -largest}, 4);
    const double units = std::round(largest * std::pow(10.0, decimals));
    EXPECT_GE(units, 1000.0) << largest;
    if (decimals > 0) {
      EXPECT_LT(units, 10000.0) << largest;
    }
  }
}

TEST(ColumnFormat, TimesShowTheStepsDecimals) {
  EXPECT_EQ(StepDecimals(0.01), 2);
  EXPECT_EQ(StepDecimals(0.005), 3);
  EXPECT_EQ(StepDecimals(1.0), 0);
  EXPECT_EQ(StepDecimals(0.02), 2);
  EXPECT_EQ(StepDecimals(1.0 / 3.0), 9);
  EXPECT_EQ(StepDecimals(0.0), 0);
  EXPECT_EQ(FixedText(29.8, StepDecimals(0.01)), "29.80");
  EXPECT_EQ(FixedText(-0.0004, 3), "0.000");
  EXPECT_EQ(FixedText(-1.25, 1), "-1.2");  // the C library's rounding of a binary value
  EXPECT_EQ(FixedText(NAN, 2), "");
}

}  // namespace
}  // namespace accprep
