#include "measures/long_period_class.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "signals.hpp"

namespace accprep {
namespace {

using testing::Harmonic;
using testing::kPi;

TEST(LongPeriodClass, PeriodsAndClassBounds) {
  const std::vector<double> periods = LongPeriodPeriods();
  ASSERT_EQ(periods.size(), 32u);
  EXPECT_EQ(periods.front(), 1.6);
  EXPECT_EQ(periods[1], 1.8);
  EXPECT_EQ(periods[12], 4.0);
  EXPECT_EQ(periods.back(), 7.8);

  EXPECT_EQ(LongPeriodClassOf(0.0), 0);
  EXPECT_EQ(LongPeriodClassOf(4.999), 0);
  EXPECT_EQ(LongPeriodClassOf(5.0), 1);
  EXPECT_EQ(LongPeriodClassOf(14.999), 1);
  EXPECT_EQ(LongPeriodClassOf(15.0), 2);
  EXPECT_EQ(LongPeriodClassOf(49.999), 2);
  EXPECT_EQ(LongPeriodClassOf(50.0), 3);
  EXPECT_EQ(LongPeriodClassOf(99.999), 3);
  EXPECT_EQ(LongPeriodClassOf(100.0), 4);
}

TEST(LongPeriodClass, SvaOfAResonantHarmonicIsTheSteadyAbsoluteVelocity) {
  // Circular ground motion at 4 s: a1 = A cos wt, a2 = A sin wt, whose ground velocities
  // (A / w) sin wt and (A / w)(1 - cos wt) start at 0. In the steady state each absolute
  // velocity swings by (A / w) sqrt(1 + 4h^2) / 2h about the ground's mean velocity (0 and
  // A / w), and the two swing 90 degrees apart: the vector sum peaks at
  // (A / w)(sqrt(1 + 4h^2) / 2h + 1) where the second's swing and mean add up.
  const double period = 4.0;
  const double w = 2 * kPi / period;
  const double amplitude = 10.0;
  const double step = 0.02;
  const std::size_t count = 20000;  // 400 s: the start's free vibration decays to 1e-14
  const std::vector<double> a1 = Harmonic(amplitude, 1 / period, step, count, kPi / 2);
  const std::vector<double> a2 = Harmonic(amplitude, 1 / period, step, count);
  const LongPeriodMotion motion = ComputeLongPeriodMotion(a1, a2, step);
  const double h = kLongPeriodDamping;
  const double expected = amplitude / w * (std::sqrt(1 + 4 * h * h) / (2 * h) + 1);
  EXPECT_NEAR(motion.sva[12] / expected, 1.0, 1e-3);
  EXPECT_EQ(motion.peakPeriod, 4.0);
  EXPECT_EQ(motion.peakSva, motion.sva[12]);
  EXPECT_EQ(motion.motionClass, 3);  // about 70 cm/s
  RecordProperty("relative_difference", std::to_string(motion.sva[12] / expected - 1));
  std::printf("Sva at resonance: relative difference %.3g\n", motion.sva[12] / expected - 1);
}

TEST(LongPeriodClass, NoMotionIsClassZero) {
  const std::vector<double> still(500, 0.0);
  const LongPeriodMotion motion = ComputeLongPeriodMotion(still, still, 0.01);
  EXPECT_EQ(motion.peakSva, 0.0);
  EXPECT_EQ(motion.peakPeriod, 0.0);
  EXPECT_EQ(motion.motionClass, 0);
  const std::vector<double> shorter(499, 0.0);
  EXPECT_THROW(ComputeLongPeriodMotion(still, shorter, 0.01), std::invalid_argument);
}

}  // namespace
}  // namespace accprep
