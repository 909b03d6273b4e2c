// The response tab's RotD curves: each component's PSA is w^2 Sd of that channel's own
// response spectrum and lies between RotD00 and RotD100; motion along one line gives RotD100
// = that line's PSA; what cannot be computed is said; the copied table names the channels.
#include "viewer/rotd_curves.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "measures/response_spectrum.hpp"

namespace accprep {
namespace {

constexpr double kStep = 0.01;

// `rows` samples: channel c a decaying pair of sines of its own.
ChannelTable MakeRecord(std::int64_t rows) {
  ChannelTable table(rows);
  for (std::int64_t i = 0; i < rows; ++i) {
    const double t = static_cast<double>(i) * kStep;
    table.column(0)[i] = t;
    for (int c = 1; c < kTableFileColumns; ++c) {
      table.column(c)[i] = std::exp(-0.3 * t) * (std::sin((1.0 + 0.7 * c) * t) +
                                                 0.4 * std::cos((9.0 + 1.3 * c) * t + c));
    }
  }
  return table;
}

TEST(RotDCurves, ComponentsArePsaOfEachChannelAndLieBetweenRotD00AndRotD100) {
  const ChannelTable record = MakeRecord(1500);
  for (const HorizontalPair pair : {HorizontalPair{1, 2}, HorizontalPair{40, 3}}) {
    for (double damping : {0.0, 0.05, 0.2}) {
      const RotDCurves curves = ComputeRotDCurves(&record, "r_acc.csv", pair, damping);
      ASSERT_EQ(curves.notice, "");
      EXPECT_EQ(curves.spectrum.periods, ResponsePeriods());
      const ResponseSpectrum one = ComputeResponseSpectrum(record.column(pair.horizontal1), kStep,
                                                           ResponsePeriods(), damping);
      const ResponseSpectrum two = ComputeResponseSpectrum(record.column(pair.horizontal2), kStep,
                                                           ResponsePeriods(), damping);
      for (std::size_t k = 0; k < one.periods.size(); ++k) {
        const double w = 2.0 * std::numbers::pi / one.periods[k];
        const RotDValues& v = curves.spectrum.values[k];
        EXPECT_NEAR(v.horizontal1, w * w * one.relativeDisplacement[k], 1e-9 * v.horizontal1) << k;
        EXPECT_NEAR(v.horizontal2, w * w * two.relativeDisplacement[k], 1e-9 * v.horizontal2) << k;
        EXPECT_LE(v.rotd00, std::min(v.horizontal1, v.horizontal2)) << k;
        EXPECT_GE(v.rotd100, std::max(v.horizontal1, v.horizontal2)) << k;
        EXPECT_LE(v.rotd00, v.rotd50) << k;
        EXPECT_LE(v.rotd50, v.rotd100) << k;
      }
    }
  }
}

TEST(RotDCurves, MotionAlongOneLineHasItsPsaAsRotD100) {
  // Channel 2 = channel 1: the motion runs along the line at 45 degrees, on the 1-degree grid,
  // where its PSA is sqrt(2) times each component's; across it the projection is zero.
  ChannelTable record = MakeRecord(800);
  for (std::int64_t i = 0; i < record.rows(); ++i) record.column(2)[i] = record.column(1)[i];
  const RotDCurves curves = ComputeRotDCurves(&record, "r_acc.csv", {1, 2}, 0.05);
  ASSERT_EQ(curves.notice, "");
  for (std::size_t k = 0; k < curves.spectrum.periods.size(); ++k) {
    const RotDValues& v = curves.spectrum.values[k];
    EXPECT_NEAR(v.rotd100, std::numbers::sqrt2 * v.horizontal1, 1e-9 * v.rotd100) << k;
    EXPECT_NEAR(v.horizontal2, v.horizontal1, 1e-9 * v.rotd100) << k;
    EXPECT_NEAR(v.rotd00, 0.0, 1e-9 * v.rotd100) << k;
  }
}

TEST(RotDCurves, WhatCannotBeComputedIsSaidAndTheTableNamesTheChannels) {
  EXPECT_EQ(ComputeRotDCurves(nullptr, "r_acc.csv", {1, 2}, 0.05).notice,
            "加速度ファイルがないため計算できません");
  ChannelTable uneven = MakeRecord(50);
  uneven.column(0)[20] += 0.5 * kStep;
  const RotDCurves failed = ComputeRotDCurves(&uneven, "r_acc.csv", {1, 2}, 0.05);
  EXPECT_TRUE(failed.notice.starts_with("計算できません: ")) << failed.notice;
  EXPECT_NE(failed.notice.find("r_acc.csv"), std::string::npos) << failed.notice;
  EXPECT_TRUE(failed.spectrum.periods.empty());
  EXPECT_EQ(RotDTableText(failed),
            "周期 (s)\t1ch PSA (gal)\t2ch PSA (gal)\tRotD50 (gal)\tRotD100 (gal)\n");

  RotDCurves curves{
      {7, 9}, 0.05, {{0.5, 2.0}, {{1, 2, 3, 1.5, 2.5}, {0.1, 0.2, 0.3, 0.125, 0.25}}}, {}};
  EXPECT_EQ(RotDTableText(curves),
            "周期 (s)\t7ch PSA (gal)\t9ch PSA (gal)\tRotD50 (gal)\tRotD100 (gal)\n"
            "0.5\t1.5\t2.5\t2\t3\n"
            "2\t0.125\t0.25\t0.2\t0.3\n");
}

}  // namespace
}  // namespace accprep
