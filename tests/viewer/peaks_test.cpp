#include "viewer/peaks.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace accprep {
namespace {

TEST(Peaks, LargestMagnitudeWithItsSignAndTime) {
  const std::vector<double> times = {0.0, 0.01, 0.02, 0.03, 0.04};
  const Peak positive = FindPeak(std::vector<double>{1.0, -2.0, 5.5, 3.0, -5.4}, times);
  EXPECT_TRUE(positive.found);
  EXPECT_EQ(positive.value, 5.5);
  EXPECT_EQ(positive.time, 0.02);
  EXPECT_EQ(positive.index, 2);

  const Peak negative = FindPeak(std::vector<double>{1.0, -2.0, 5.5, 3.0, -7.25}, times);
  EXPECT_EQ(negative.value, -7.25);
  EXPECT_EQ(negative.time, 0.04);
}

TEST(Peaks, EarliestOfEqualMagnitudesWins) {
  const std::vector<double> times = {10.0, 11.0, 12.0, 13.0};
  EXPECT_EQ(FindPeak(std::vector<double>{0.0, 4.0, -4.0, 4.0}, times).time, 11.0);
  const Peak negativeFirst = FindPeak(std::vector<double>{-4.0, 4.0, 1.0, 4.0}, times);
  EXPECT_EQ(negativeFirst.value, -4.0);
  EXPECT_EQ(negativeFirst.time, 10.0);
  // An all-zero trace peaks at its first sample, with a zero value.
  const Peak flat = FindPeak(std::vector<double>{0.0, 0.0, 0.0, 0.0}, times);
  EXPECT_TRUE(flat.found);
  EXPECT_EQ(flat.time, 10.0);
  EXPECT_EQ(flat.value, 0.0);
}

TEST(Peaks, EmptyTraceHasNoPeak) { EXPECT_FALSE(FindPeak({}, {}).found); }

TEST(Peaks, ChannelPeaksTakeEachChannelsOwnColumnAndSkipAbsentFiles) {
  ChannelTable acc(3);
  for (int i = 0; i < 3; ++i) {
    acc.column(0)[i] = 0.5 * i;
    for (int c = 1; c <= 40; ++c) acc.column(c)[i] = (i == c % 3) ? -c : 0.1;
  }
  const auto peaks = FindChannelPeaks(&acc, nullptr, nullptr);
  for (int c = 1; c <= 40; ++c) {
    EXPECT_EQ(peaks[c - 1].acceleration.value, -c) << c;
    EXPECT_EQ(peaks[c - 1].acceleration.time, 0.5 * (c % 3)) << c;
    EXPECT_FALSE(peaks[c - 1].velocity.found);
    EXPECT_FALSE(peaks[c - 1].displacement.found);
  }
}

}  // namespace
}  // namespace accprep
