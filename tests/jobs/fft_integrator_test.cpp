// The frequency-domain integration against answers known in closed form.

#include "jobs/fft_integrator.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "closed_form.hpp"

namespace accprep {
namespace {

using testing::Scientific;
using testing::WindowedSine;

struct Comparison {
  double expectedPeak = 0.0;
  double actualPeak = 0.0;
  double largestError = 0.0;  // pointwise, absolute
};

Comparison Compare(const std::vector<double>& actual, const std::vector<double>& expected) {
  Comparison result;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    result.expectedPeak = std::max(result.expectedPeak, std::fabs(expected[i]));
    result.actualPeak = std::max(result.actualPeak, std::fabs(actual[i]));
    result.largestError = std::max(result.largestError, std::fabs(actual[i] - expected[i]));
  }
  return result;
}

struct AccuracyCase {
  IntegrationMode mode;
  double frequency;  // Hz
  double rate;       // samples per s
  double duration;   // s
};

void PrintTo(const AccuracyCase& c, std::ostream* out) {
  *out << (c.mode == IntegrationMode::kVelocity ? "velocity" : "displacement") << " of "
       << c.frequency << " Hz at " << c.rate << " samples/s for " << c.duration << " s";
}

class IntegrationAccuracy : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(IntegrationAccuracy, MatchesClosedFormWithinTolerance) {
  const AccuracyCase& c = GetParam();
  WindowedSine signal;
  signal.frequency = c.frequency;
  signal.centre = c.duration / 2;
  signal.width = c.duration / 10;
  const double step = 1.0 / c.rate;
  const auto n = static_cast<std::size_t>(std::lround(c.duration * c.rate));

  std::vector<double> samples(n), expected(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) * step;
    samples[i] = signal.Acceleration(t);
    expected[i] =
        c.mode == IntegrationMode::kVelocity ? signal.Velocity(t) : signal.Displacement(t);
  }
  FftIntegrator integrator(n, step, c.mode, FilterSettings{});
  integrator.Integrate(samples.data(), 1, nullptr, 1);

  const Comparison result = Compare(samples, expected);
  EXPECT_NEAR(result.actualPeak, result.expectedPeak, 0.005 * result.expectedPeak);
  EXPECT_LT(result.largestError, 0.01 * result.expectedPeak);
  // Far tighter in fact; printed so the figures can be quoted.
  RecordProperty("relative_peak_error",
                 Scientific(std::fabs(result.actualPeak / result.expectedPeak - 1)));
  RecordProperty("relative_pointwise_error", Scientific(result.largestError / result.expectedPeak));
}

INSTANTIATE_TEST_SUITE_P(
    WindowedSines, IntegrationAccuracy,
    ::testing::Values(AccuracyCase{IntegrationMode::kVelocity, 2.0, 100.0, 20.0},
                      AccuracyCase{IntegrationMode::kDisplacement, 2.0, 100.0, 20.0},
                      AccuracyCase{IntegrationMode::kVelocity, 0.8, 200.0, 60.0},
                      AccuracyCase{IntegrationMode::kDisplacement, 0.8, 200.0, 60.0},
                      // An odd record length and a rate that is no power of two.
                      AccuracyCase{IntegrationMode::kVelocity, 5.0, 250.0, 12.004},
                      AccuracyCase{IntegrationMode::kDisplacement, 5.0, 250.0, 12.004}));

TEST(FftIntegrator, ConstantOffsetGivesNoDrift) {
  const std::size_t n = 3000;
  const double step = 0.01;
  WindowedSine signal;
  signal.centre = 15.0;
  signal.width = 3.0;
  for (IntegrationMode mode : {IntegrationMode::kVelocity, IntegrationMode::kDisplacement}) {
    std::vector<double> constant(n, -9.25);  // gal: an uncorrected sensor offset
    std::vector<double> offset(n), clean(n);
    for (std::size_t i = 0; i < n; ++i) {
      clean[i] = signal.Acceleration(static_cast<double>(i) * step);
      offset[i] = clean[i] + 3.5;
    }
    FftIntegrator integrator(n, step, mode, FilterSettings{});
    integrator.Integrate(constant.data(), 1, nullptr, 1);
    integrator.Integrate(offset.data(), 1, nullptr, 1);
    integrator.Integrate(clean.data(), 1, nullptr, 1);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_NEAR(constant[i], 0.0, 1e-12) << "sample " << i;
      ASSERT_NEAR(offset[i], clean[i], 1e-9) << "sample " << i;
    }
  }
}

// A long narrow-band sine at the corner itself comes out at 1/sqrt(2) of its unfiltered
// integral, in phase with it: the magnitude formula and the zero phase in one check.
TEST(FftIntegrator, FilterCornersHalveThePowerWithoutShiftingThePhase) {
  const double step = 0.01;
  const std::size_t n = 24000;
  WindowedSine signal;
  signal.frequency = 1.0;
  signal.centre = 120.0;
  signal.width = 40.0;
  std::vector<double> expected(n);
  for (std::size_t i = 0; i < n; ++i) expected[i] = signal.Velocity(static_cast<double>(i) * step);

  FilterSettings highPassAtSignal{1.0, 4, 0.0, 4};
  FilterSettings lowPassAtSignal{0.0, 4, 1.0, 6};
  for (const FilterSettings& filter : {highPassAtSignal, lowPassAtSignal}) {
    std::vector<double> samples(n);
    for (std::size_t i = 0; i < n; ++i)
      samples[i] = signal.Acceleration(static_cast<double>(i) * step);
    FftIntegrator integrator(n, step, IntegrationMode::kVelocity, filter);
    integrator.Integrate(samples.data(), 1, nullptr, 1);
    for (double& value : expected) value /= std::numbers::sqrt2;
    const Comparison result = Compare(samples, expected);
    for (double& value : expected) value *= std::numbers::sqrt2;
    // The band is 0.008 Hz wide around the corner, where the magnitude changes by ~2 %/0.01 Hz.
    EXPECT_LT(result.largestError, 0.02 * result.expectedPeak)
        << "high-pass " << filter.highPassCorner << " low-pass " << filter.lowPassCorner;
  }
}

TEST(FftIntegrator, HighPassRemovesMotionFarBelowItsCorner) {
  const double step = 0.01;
  const std::size_t n = 60000;
  WindowedSine slow;
  slow.frequency = 0.02;  // a fifth of the 0.1 Hz corner: (1/5)^4 = 1/625 of it is left
  slow.centre = 300.0;
  slow.width = 100.0;
  std::vector<double> samples(n);
  double peak = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    samples[i] = slow.Acceleration(static_cast<double>(i) * step);
    peak = std::max(peak, std::fabs(slow.Displacement(static_cast<double>(i) * step)));
  }
  FftIntegrator integrator(n, step, IntegrationMode::kDisplacement, FilterSettings{});
  integrator.Integrate(samples.data(), 1, nullptr, 1);
  double left = 0.0;
  for (double value : samples) left = std::max(left, std::fabs(value));
  EXPECT_LT(left, 0.003 * peak);
  EXPECT_GT(left, 0.0008 * peak);
}

// A sine of amplitude A lasting T seconds has an amplitude spectrum of about A T / 2 at its
// frequency. Fed the acceleration of the velocity A sin(2 pi f t), the velocity job's
// spectrum must show that peak at f.
TEST(FftIntegrator, SpectrumOfASinePeaksAtItsFrequencyWithHalfAmplitudeTimesDuration) {
  const double step = 0.01;
  const std::size_t n = 2000;  // T = 20 s; f falls on a bin of the 4000-point transform
  const double frequency = 5.0;
  const double amplitude = 3.0;
  const double omega = 2.0 * std::numbers::pi * frequency;
  std::vector<double> samples(n);
  for (std::size_t i = 0; i < n; ++i)
    samples[i] = amplitude * omega * std::cos(omega * static_cast<double>(i) * step);

  FftIntegrator integrator(n, step, IntegrationMode::kVelocity, FilterSettings{});
  ASSERT_EQ(integrator.fftLength(), 4000u);
  std::vector<double> spectrum(integrator.spectrumLength());
  integrator.Integrate(samples.data(), 1, spectrum.data(), 1);

  const auto peak = std::max_element(spectrum.begin(), spectrum.end());
  const double peakFrequency =
      static_cast<double>(peak - spectrum.begin() + 1) * integrator.frequencyStep();
  EXPECT_DOUBLE_EQ(peakFrequency, frequency);
  EXPECT_NEAR(*peak, amplitude * 20.0 / 2, 0.02 * amplitude * 20.0 / 2);
  RecordProperty("relative_peak_error", Scientific(*peak / (amplitude * 20.0 / 2) - 1));
}

TEST(FftIntegrator, WorksOnStridedColumnsAndLeavesTheOthersAlone) {
  // Two interleaved channels, as in a table row: integrating one must not touch the other.
  const std::size_t n = 1000;
  const double step = 0.01;
  WindowedSine signal;
  signal.centre = 5.0;
  signal.width = 1.0;
  std::vector<double> rows(2 * n), alone(n);
  for (std::size_t i = 0; i < n; ++i) {
    rows[2 * i] = alone[i] = signal.Acceleration(static_cast<double>(i) * step);
    rows[2 * i + 1] = static_cast<double>(i);
  }
  FftIntegrator integrator(n, step, IntegrationMode::kVelocity, FilterSettings{});
  std::vector<double> spectra(2 * integrator.spectrumLength(), -1.0),
      spectrum(integrator.spectrumLength());
  integrator.Integrate(rows.data(), 2, spectra.data(), 2);
  integrator.Integrate(alone.data(), 1, spectrum.data(), 1);
  for (std::size_t i = 0; i < n; ++i) {
    EXPECT_EQ(rows[2 * i], alone[i]);
    EXPECT_EQ(rows[2 * i + 1], static_cast<double>(i));
  }
  for (std::size_t k = 0; k < spectrum.size(); ++k) {
    EXPECT_EQ(spectra[2 * k], spectrum[k]);
    EXPECT_EQ(spectra[2 * k + 1], -1.0);
  }
}

TEST(FftIntegrator, SpectrumTakenLaterInPlaceIsTheOneIntegrateWrites) {
  // A job writes the integrals first and then puts each channel's spectrum where its integral
  // stood: that spectrum must be the very one Integrate gives beside the integral.
  const std::size_t n = 1000;
  WindowedSine signal;
  signal.centre = 4.0;
  std::vector<double> both(n), later(n);
  for (std::size_t i = 0; i < n; ++i)
    both[i] = later[i] = signal.Acceleration(static_cast<double>(i) * 0.01);
  FftIntegrator integrator(n, 0.01, IntegrationMode::kDisplacement, FilterSettings{});
  std::vector<double> spectrum(integrator.spectrumLength());
  integrator.Integrate(both.data(), 1, spectrum.data(), 1);
  integrator.Integrate(later.data(), 1, nullptr, 1);
  EXPECT_EQ(later, both);
  later.resize(std::max(n, spectrum.size()));
  integrator.AmplitudeSpectrum(later.data(), 1, later.data(), 1);
  later.resize(spectrum.size());
  EXPECT_EQ(later, spectrum);
}

}  // namespace
}  // namespace accprep
