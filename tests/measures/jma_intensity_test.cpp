#include "measures/jma_intensity.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "signals.hpp"

namespace accprep {
namespace {

using testing::Harmonic;
using testing::kPi;

TEST(IntensityFilter, GainIsTheProductOfThePeriodHighCutAndLowCutTerms) {
  for (double f : {0.1, 0.5, 1.0, 2.5, 10.0, 30.0}) {
    const double y = f / 10.0;
    const double f1 = std::pow(1.0 / f, 0.5);
    const double f2 = std::pow(1 + 0.694 * std::pow(y, 2) + 0.241 * std::pow(y, 4) +
                                   0.0557 * std::pow(y, 6) + 0.009664 * std::pow(y, 8) +
                                   0.00134 * std::pow(y, 10) + 0.000155 * std::pow(y, 12),
                               -0.5);
    const double f3 = std::pow(1 - std::exp(-std::pow(f / 0.5, 3)), 0.5);
    EXPECT_NEAR(IntensityFilterGain(f) / (f1 * f2 * f3), 1.0, 1e-14) << f;
  }
  // At the low-cut corner F3 = (1 - 1/e)^1/2; at 10 Hz F2 holds the whole polynomial at y = 1.
  EXPECT_NEAR(IntensityFilterGain(0.5), 1.12340979, 1e-8);  // sqrt(2) 0.99913288 0.79506010
  EXPECT_NEAR(IntensityFilterGain(10.0), std::sqrt(0.1) / std::sqrt(2.001859), 1e-12);
  EXPECT_EQ(IntensityFilterGain(0.0), 0.0);
}

TEST(JmaIntensity, LevelOfALongSinusoidIsItsFilteredAmplitude) {
  // 61 s at 100 Hz, padded to 6144 for the transform: the sinusoid is not periodic there, so
  // its ends ring a little; over 0.3 s of the top the level is A F(f).
  double worst = 0.0;
  for (double f : {0.7, 1.3, 4.0, 9.0}) {
    for (int component = 0; component < 3; ++component) {
      const std::vector<double> wave = Harmonic(80.0, f, 0.01, 6100);
      const std::vector<double> quiet(wave.size(), 0.0);
      const auto& h1 = component == 0 ? wave : quiet;
      const auto& h2 = component == 1 ? wave : quiet;
      const auto& v = component == 2 ? wave : quiet;
      const JmaIntensity result = ComputeJmaIntensity(h1, h2, v, 0.01);
      const double expected = 80.0 * IntensityFilterGain(f);
      EXPECT_NEAR(result.a0 / expected, 1.0, 0.005) << f << " Hz, component " << component;
      worst = std::max(worst, std::fabs(result.a0 / expected - 1.0));
    }
  }
  RecordProperty("worst_relative_difference", std::to_string(worst));
  std::printf("a0 of a long sinusoid against A F(f): worst relative difference %.3g\n", worst);
}

TEST(JmaIntensity, CircularMotionHasAConstantVectorSumThatIsTheLevel) {
  // 60 whole cycles in 6000 samples: periodic for the transform, so the filter gives both
  // components the same gain and phase, and their vector sum stays A F(f) throughout.
  // A = 100 / F(1 Hz) makes a0 = 100 gal: I = 4.94, reported 4.9, class 5 lower.
  const double amplitude = 100.0 / IntensityFilterGain(1.0);
  const std::vector<double> h1 = Harmonic(amplitude, 1.0, 0.01, 6000);
  const std::vector<double> h2 = Harmonic(amplitude, 1.0, 0.01, 6000, kPi / 2);
  const std::vector<double> v(6000, 0.0);
  const JmaIntensity result = ComputeJmaIntensity(h1, h2, v, 0.01);
  double spread = 0.0;
  for (double value : result.vectorSum) spread = std::max(spread, std::fabs(value - 100.0));
  EXPECT_LT(spread, 1e-9);
  EXPECT_NEAR(result.a0, 100.0, 1e-9);
  EXPECT_NEAR(result.computed, 4.94, 1e-12);
  EXPECT_EQ(result.reported, 4.9);
  EXPECT_EQ(result.intensityClass, IntensityClass::k5Lower);
  RecordProperty("vector_sum_spread_gal", std::to_string(spread));
  std::printf("circular motion: vector sum within %.3g gal of its level\n", spread);
}

TEST(JmaIntensity, LevelIsTheValueReachedForThreeTenthsOfASecondInAll) {
  // At 0.01 s, 30 samples make 0.3 s; they need not be contiguous.
  std::vector<double> sum(200, 1.0);
  for (int i = 0; i < 29; ++i) sum[static_cast<std::size_t>(7 * i)] = 10.0 + i;
  EXPECT_EQ(IntensityLevel(sum, 0.01), 1.0);
  sum[199] = 10.0;
  EXPECT_EQ(IntensityLevel(sum, 0.01), 10.0);
  // At 0.1 s three samples are enough: the third largest.
  const std::vector<double> few = {5.0, 1.0, 9.0, 7.0, 3.0};
  EXPECT_EQ(IntensityLevel(few, 0.1), 5.0);
}

TEST(JmaIntensity, MotionlessRecordHasNoIntensityAndComponentsMustMatch) {
  // 30 samples at 0.01 s are just enough for a level.
  const std::vector<double> still(30, 0.0);
  const JmaIntensity result = ComputeJmaIntensity(still, still, still, 0.01);
  EXPECT_EQ(result.a0, 0.0);
  EXPECT_EQ(result.computed, -INFINITY);
  EXPECT_EQ(result.intensityClass, IntensityClass::k0);
  const std::vector<double> other(31, 0.0);
  EXPECT_THROW(FilteredVectorSum(still, other, still, 0.01), std::invalid_argument);
}

}  // namespace
}  // namespace accprep
