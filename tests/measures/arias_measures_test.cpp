#include "measures/arias_measures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "signals.hpp"

namespace accprep {
namespace {

using testing::kPi;

constexpr double kAriasPerGal2 = kPi / (2 * kStandardGravity) * 1e-4;  // (gal^2 s) -> m/s

TEST(AriasMeasures, SinusoidOfTenWholeCycles) {
  // A sin(2 pi t), 0 <= t <= 10 s: Ia = pi / 2g A^2 / 2 * 10 s; the integral of a^2 gains
  // alike over every half cycle, so 5 %, 75 % and 95 % fall after 1, 15 and 19 of the 20
  // half cycles: D5-75 = 7 s, D5-95 = 9 s; CAV = 10 * 2A / pi.
  const double amplitude = 150.0;
  const double step = 0.001;
  const std::vector<double> a = testing::Harmonic(amplitude, 1.0, step, 10001);
  const AriasMeasures measures = ComputeAriasMeasures(a, step);
  const double arias = kAriasPerGal2 * amplitude * amplitude / 2 * 10;
  const double cav = 10 * 2 * amplitude / kPi;
  // Read linearly between samples 1000 a cycle, the sine loses (w dt)^2 / 12 ~ 3.3e-6.
  EXPECT_NEAR(measures.arias / arias, 1.0, 1e-5);
  EXPECT_NEAR(measures.cav / cav, 1.0, 1e-5);
  // The 5 %, 75 % and 95 % times fall where a = 0 and the integral of a^2 stands still to
  // third order: a rounding of 1e-16 in its running sum moves them by some 1e-6 s.
  ASSERT_TRUE(measures.d5to75 && measures.d5to95);
  EXPECT_NEAR(*measures.d5to75, 7.0, 1e-5);
  EXPECT_NEAR(*measures.d5to95, 9.0, 1e-5);
  std::printf("sinusoid: Arias %.3g, CAV %.3g relative, D5-75 %.3g s, D5-95 %.3g s off\n",
              measures.arias / arias - 1, measures.cav / cav - 1, *measures.d5to75 - 7.0,
              *measures.d5to95 - 9.0);
}

TEST(AriasMeasures, TrianglePulseIsExactAtItsBreakpoints) {
  // Quiet for 1 s, up to A over T / 2 and down over T / 2, quiet again: linear between
  // samples, so every integral is exact. Ia = pi / 2g A^2 T / 3, CAV = A T / 2; the integral
  // of a^2 reaches the fraction p at t^3 = p T^3 / 4 on the way up and leaves (1 - p) at
  // (T - t)^3 = (1 - p) T^3 / 4 on the way down.
  const double amplitude = 80.0;
  const double step = 0.01;
  const double width = 2.0;
  std::vector<double> a(400, 0.0);
  for (int i = 0; i <= 200; ++i) a[100 + i] = amplitude * (1.0 - std::fabs(i - 100) / 100.0);
  const AriasMeasures measures = ComputeAriasMeasures(a, step);
  const double t5 = width * std::cbrt(0.05 / 4);
  const double t75 = width * (1 - std::cbrt(0.25 / 4));
  const double t95 = width * (1 - std::cbrt(0.05 / 4));
  EXPECT_NEAR(measures.arias / (kAriasPerGal2 * amplitude * amplitude * width / 3), 1.0, 1e-12);
  EXPECT_NEAR(measures.cav / (amplitude * width / 2), 1.0, 1e-12);
  ASSERT_TRUE(measures.d5to75 && measures.d5to95);
  EXPECT_NEAR(*measures.d5to75, t75 - t5, 1e-9);
  EXPECT_NEAR(*measures.d5to95, t95 - t5, 1e-9);
  std::printf("triangle: D5-75 %.3g s, D5-95 %.3g s off\n", *measures.d5to75 - (t75 - t5),
              *measures.d5to95 - (t95 - t5));
}

TEST(AriasMeasures, AbsoluteValueAcrossASignChangeIsTwoTriangles) {
  // 0 -> 3 -> -1 over 1 s steps: |a| is 1.5 + (9 + 1) / (2 * 4).
  const std::vector<double> a = {0.0, 3.0, -1.0};
  EXPECT_DOUBLE_EQ(ComputeAriasMeasures(a, 1.0).cav, 1.5 + 10.0 / 8.0);
}

TEST(AriasMeasures, QuietOrSingleSampleChannelsHaveNoDurations) {
  const std::vector<double> quiet(100, 0.0);
  const AriasMeasures none = ComputeAriasMeasures(quiet, 0.01);
  EXPECT_EQ(none.arias, 0.0);
  EXPECT_EQ(none.cav, 0.0);
  EXPECT_FALSE(none.d5to75.has_value());
  EXPECT_FALSE(none.d5to95.has_value());
  const std::vector<double> one = {12.0};
  EXPECT_EQ(ComputeAriasMeasures(one, 0.01).arias, 0.0);
  EXPECT_THROW(ComputeAriasMeasures(one, 0.0), std::invalid_argument);
}

}  // namespace
}  // namespace accprep
