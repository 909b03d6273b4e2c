#include "measures/response_spectrum.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

#include "measures/band_limited_resampling.hpp"
#include "measures/real_fft.hpp"
#include "measures/wide_vectors.hpp"
#include "signals.hpp"

namespace accprep {
namespace {

using testing::Harmonic;
using testing::kPi;

// Amplitude and phase lag of `values` against sin(2 pi f t), from the last `cycles` whole
// cycles of the record (Fourier projection).
struct Fit {
  double amplitude;
  double lag;
};
Fit FitHarmonic(const std::vector<double>& values, double frequency, double step, int cycles) {
  const auto perCycle = static_cast<std::size_t>(std::llround(1.0 / (frequency * step)));
  const std::size_t count = perCycle * cycles;
  double s = 0.0;
  double c = 0.0;
  for (std::size_t i = values.size() - count; i < values.size(); ++i) {
    const double phase = 2 * kPi * frequency * step * static_cast<double>(i);
    s += values[i] * std::sin(phase);
    c += values[i] * std::cos(phase);
  }
  s *= 2.0 / count;
  c *= 2.0 / count;
  // values ~ P sin(wt - lag) = P cos(lag) sin(wt) - P sin(lag) cos(wt)
  return {std::hypot(s, c), std::atan2(-c, s)};
}

struct HarmonicCase {
  double ratio;  // forcing frequency / oscillator frequency
  double damping;
};

class SteadyState : public ::testing::TestWithParam<HarmonicCase> {};

// Long harmonic ground acceleration -> steady relative displacement of amplitude
// A / (w^2 sqrt((1 - r^2)^2 + (2 h r)^2)), lagging the forcing -A sin(Wt) by
// atan2(2 h r, 1 - r^2); the absolute acceleration's amplitude is that times
// w^2 sqrt(1 + (2 h r)^2).
TEST_P(SteadyState, AmplitudeAndPhaseMatchTheClosedForm) {
  const HarmonicCase param = GetParam();
  const double period = 0.5;
  const double w = 2 * kPi / period;
  const double forcing = param.ratio / period;  // Hz
  const double step = 0.001;
  const double amplitude = 100.0;  // gal
  // 60 s: the transient decays as exp(-h w t), far below the tolerance by the end.
  const std::vector<double> ground = Harmonic(amplitude, forcing, step, 60000);
  const OscillatorHistory history = TrackOscillator(ground, step, period, param.damping);

  const double r = param.ratio;
  const double h = param.damping;
  const double gain = 1.0 / std::sqrt((1 - r * r) * (1 - r * r) + (2 * h * r) * (2 * h * r));
  const double expectedX = amplitude / (w * w) * gain;
  // x follows -A sin(Wt) with lag phi, i.e. sin(Wt) with lag phi + pi (mod 2 pi).
  const double phi = std::atan2(2 * h * r, 1 - r * r);
  const int cycles = static_cast<int>(std::floor(10 * forcing));
  const Fit x = FitHarmonic(history.displacement, forcing, step, cycles);
  // The linear reading of the sampled sine shortens it by about (W dt)^2 / 12.
  const double tolerance = std::pow(2 * kPi * forcing * step, 2) / 12 + 1e-6;
  EXPECT_NEAR(x.amplitude / expectedX, 1.0, tolerance);
  EXPECT_NEAR(std::remainder(x.lag - (phi + kPi), 2 * kPi), 0.0, 1e-4);

  const Fit acc = FitHarmonic(history.absoluteAcceleration, forcing, step, cycles);
  EXPECT_NEAR(acc.amplitude / (expectedX * w * w * std::sqrt(1 + 4 * h * h * r * r)), 1.0,
              tolerance);
}

INSTANTIATE_TEST_SUITE_P(AtAndOffResonance, SteadyState,
                         ::testing::Values(HarmonicCase{1.0, 0.05}, HarmonicCase{1.0, 0.2},
                                           HarmonicCase{0.5, 0.05}, HarmonicCase{2.0, 0.05},
                                           HarmonicCase{2.5, 0.02}));

TEST(ResponseSpectrum, ResonantPeakIsTheSteadyAmplitude) {
  // Starting from rest at resonance the amplitude only grows, so Sa is the steady value
  // A sqrt(1 + 4h^2) / 2h.
  const double step = 0.002;
  const std::vector<double> ground = Harmonic(50.0, 1.0, step, 100000);
  const double periods[] = {1.0};
  const ResponseSpectrum spectrum = ComputeResponseSpectrum(ground, step, periods, 0.05);
  EXPECT_NEAR(spectrum.absoluteAcceleration[0] / (50.0 * std::sqrt(1.01) / 0.1), 1.0, 1e-4);
  EXPECT_NEAR(spectrum.relativeDisplacement[0] / (50.0 / 0.1 / std::pow(2 * kPi, 2)), 1.0, 1e-4);
  EXPECT_NEAR(spectrum.relativeVelocity[0] / (50.0 / 0.1 / (2 * kPi)), 1.0, 1e-4);
}

TEST(ResponseSpectrum, ZeroInputGivesZeroResponse) {
  const std::vector<double> ground(5000, 0.0);
  const std::vector<double> periods = ResponsePeriods();
  const ResponseSpectrum spectrum = ComputeResponseSpectrum(ground, 0.01, periods, 0.05);
  for (std::size_t k = 0; k < periods.size(); ++k) {
    EXPECT_EQ(spectrum.absoluteAcceleration[k], 0.0);
    EXPECT_EQ(spectrum.relativeVelocity[k], 0.0);
    EXPECT_EQ(spectrum.relativeDisplacement[k], 0.0);
  }
  const std::vector<double> one = {5.0};
  EXPECT_EQ(ComputeResponseSpectrum(one, 0.01, periods, 0.05).absoluteAcceleration[0], 0.0);
}

// Reference: classical Runge-Kutta with 400 sub-steps per sample on the same piecewise-linear
// ground motion. Its own error is far below the tolerance for every period used here.
struct Reference {
  double sa = 0, sv = 0, sd = 0;
};
Reference FineStepReference(const std::vector<double>& ground, double step, double period,
                            double h) {
  const double w = 2 * kPi / period;
  const int sub = 400;
  const double dt = step / sub;
  double x = 0, v = 0;
  Reference peaks;
  auto accel = [&](double xx, double vv, double a) { return -a - 2 * h * w * vv - w * w * xx; };
  for (std::size_t i = 0; i + 1 < ground.size(); ++i) {
    for (int k = 0; k < sub; ++k) {
      auto ground_at = [&](double f) { return ground[i] + (ground[i + 1] - ground[i]) * f; };
      const double f0 = static_cast<double>(k) / sub;
      const double fm = (k + 0.5) / sub;
      const double f1 = (k + 1.0) / sub;
      const double k1x = v, k1v = accel(x, v, ground_at(f0));
      const double k2x = v + 0.5 * dt * k1v,
                   k2v = accel(x + 0.5 * dt * k1x, v + 0.5 * dt * k1v, ground_at(fm));
      const double k3x = v + 0.5 * dt * k2v,
                   k3v = accel(x + 0.5 * dt * k2x, v + 0.5 * dt * k2v, ground_at(fm));
      const double k4x = v + dt * k3v, k4v = accel(x + dt * k3x, v + dt * k3v, ground_at(f1));
      x += dt / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
      v += dt / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    peaks.sd = std::max(peaks.sd, std::fabs(x));
    peaks.sv = std::max(peaks.sv, std::fabs(v));
    peaks.sa = std::max(peaks.sa, std::fabs(2 * h * w * v + w * w * x));
  }
  return peaks;
}

TEST(ResponseSpectrum, AgreesWithFineStepIntegrationOnARandomRecord) {
  std::mt19937 random(8);
  std::normal_distribution<double> noise(0.0, 80.0);
  std::vector<double> ground(600);
  for (double& value : ground) value = noise(random);
  const double step = 0.01;
  const std::vector<double> periods = {0.02, 0.05, 0.1, 0.3, 1.0, 3.0, 10.0};
  double worst = 0.0;
  // Periods under ten samples see the record resampled; the reference follows the same one.
  const ResampledRecord record(ground, step, periods);
  for (double damping : {0.0, 0.05, 0.3}) {
    const ResponseSpectrum spectrum = ComputeResponseSpectrum(ground, step, periods, damping);
    for (std::size_t k = 0; k < periods.size(); ++k) {
      const std::span<const double> samples = record.Samples(periods[k]);
      const Reference reference = FineStepReference({samples.begin(), samples.end()},
                                                    record.Step(periods[k]), periods[k], damping);
      SCOPED_TRACE(::testing::Message() << "T " << periods[k] << " h " << damping);
      // The reference's own error is about 4e-8 at 0.02 s undamped, less elsewhere.
      EXPECT_NEAR(spectrum.absoluteAcceleration[k] / reference.sa, 1.0, 1e-7);
      EXPECT_NEAR(spectrum.relativeVelocity[k] / reference.sv, 1.0, 1e-7);
      EXPECT_NEAR(spectrum.relativeDisplacement[k] / reference.sd, 1.0, 1e-7);
      worst = std::max({worst, std::fabs(spectrum.absoluteAcceleration[k] / reference.sa - 1),
                        std::fabs(spectrum.relativeVelocity[k] / reference.sv - 1),
                        std::fabs(spectrum.relativeDisplacement[k] / reference.sd - 1)});
    }
  }
  RecordProperty("worst_relative_difference", std::to_string(worst));
  std::printf("worst relative difference from the fine-step reference: %.3g\n", worst);
}

TEST(ResponseSpectrum, SamplingAPiecewiseLinearSignalMoreFinelyChangesNothing) {
  // The same piecewise-linear motion given at 50 Hz and, with the midpoints added, at 100 Hz.
  std::mt19937 random(3);
  std::uniform_real_distribution<double> value(-200.0, 200.0);
  std::vector<double> coarse(1500);
  for (double& v : coarse) v = value(random);
  std::vector<double> fine;
  for (std::size_t i = 0; i + 1 < coarse.size(); ++i) {
    fine.push_back(coarse[i]);
    fine.push_back(0.5 * (coarse[i] + coarse[i + 1]));
  }
  fine.push_back(coarse.back());
  // At the shared sample times the two responses are the same motion, to rounding.
  for (double period : {0.02, 0.1, 0.7, 4.0}) {
    const OscillatorHistory a = TrackOscillator(coarse, 0.02, period, 0.05);
    const OscillatorHistory b = TrackOscillator(fine, 0.01, period, 0.05);
    const double scale = *std::max_element(a.displacement.begin(), a.displacement.end());
    for (std::size_t i = 0; i < coarse.size(); ++i) {
      ASSERT_NEAR(b.displacement[2 * i], a.displacement[i], 1e-9 * scale) << period << " " << i;
    }
  }
}

TEST(ResponseSpectrum, PeriodsSpanTwoHundredthsToTenSecondsEvenlyInLogarithm) {
  const std::vector<double> periods = ResponsePeriods();
  ASSERT_EQ(periods.size(), 100u);
  EXPECT_EQ(periods.front(), 0.02);
  EXPECT_EQ(periods.back(), 10.0);
  const double ratio = std::pow(500.0, 1.0 / 99.0);
  for (std::size_t k = 1; k < periods.size(); ++k) {
    EXPECT_NEAR(periods[k] / periods[k - 1], ratio, 1e-12) << k;
  }
}

TEST(ResponseSpectrum, AllChannelsOnTwoThreadsMatchOneChannelAtATime) {
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0.0, 30.0);
  std::vector<std::vector<double>> channels(40, std::vector<double>(700));
  for (int c = 1; c <= 40; ++c) {
    for (double& value : channels[c - 1]) value = noise(random) * c;
  }
  const std::vector<std::span<const double>> spans(channels.begin(), channels.end());
  // 0.03 s: the short periods are resampled, each channel once.
  const std::vector<double> periods = ResponsePeriods();
  const auto spectra = ComputeAccelerationSpectra(spans, 0.03, periods, 0.05, 2);
  ASSERT_EQ(spectra.size(), 40u);
  for (int c = 1; c <= 40; ++c) {
    const ResponseSpectrum one = ComputeResponseSpectrum(channels[c - 1], 0.03, periods, 0.05);
    EXPECT_EQ(spectra[c - 1], one.absoluteAcceleration) << c;
  }
}

TEST(ResponseSpectrum, PeriodsOfTenSamplesOrMoreSeeTheRecordAsItIs) {
  // Their peaks are those of the recurrence on the record's own samples, bit for bit, as the
  // spectra were before short periods were resampled.
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0.0, 50.0);
  std::vector<double> ground(3000);
  for (double& value : ground) value = noise(random);
  const double step = 0.01;
  const std::vector<double> periods = ResponsePeriods();
  const ResponseSpectrum spectrum = ComputeResponseSpectrum(ground, step, periods, 0.05);
  int unchanged = 0;
  for (std::size_t k = 0; k < periods.size(); ++k) {
    if (periods[k] < 10 * step) continue;
    const OscillatorHistory history = TrackOscillator(ground, step, periods[k], 0.05);
    double sa = 0.0, sv = 0.0, sd = 0.0;
    for (std::size_t i = 0; i < ground.size(); ++i) {
      sa = std::max(sa, std::fabs(history.absoluteAcceleration[i]));
      sv = std::max(sv, std::fabs(history.velocity[i]));
      sd = std::max(sd, std::fabs(history.displacement[i]));
    }
    EXPECT_EQ(spectrum.absoluteAcceleration[k], sa) << periods[k];
    EXPECT_EQ(spectrum.relativeVelocity[k], sv) << periods[k];
    EXPECT_EQ(spectrum.relativeDisplacement[k], sd) << periods[k];
    ++unchanged;
  }
  EXPECT_EQ(unchanged, 74);  // 0.1036 s .. 10 s
}

TEST(ResponseSpectrum, ShortPeriodsOfAHarmonicWithFiveSamplesACycleMatchTheClosedForm) {
  // 20 Hz at 100 Hz, faded in and out over 2 s so that the oscillators follow it in their
  // steady state: Sa = A sqrt(1 + (2hr)^2) / sqrt((1 - r^2)^2 + (2hr)^2), r = T f. Read as
  // linear between its own samples the record would be a zigzag, and T = 0.02 s would see two
  // samples a cycle.
  const double step = 0.01;
  const double frequency = 20.0;
  const double amplitude = 100.0;
  std::vector<double> ground = Harmonic(amplitude, frequency, step, 2000);
  for (std::size_t i = 0; i < ground.size(); ++i) {
    const double t =
        std::min(static_cast<double>(i), static_cast<double>(ground.size() - 1 - i)) * step;
    if (t < 2.0) ground[i] *= 0.5 - 0.5 * std::cos(kPi * t / 2.0);
  }
  const double h = 0.05;
  const std::vector<double> periods = {0.02, 0.025, 0.03};
  const ResponseSpectrum spectrum = ComputeResponseSpectrum(ground, step, periods, h);
  double worst = 0.0;
  for (std::size_t k = 0; k < periods.size(); ++k) {
    const double r = periods[k] * frequency;
    const double expected = amplitude * std::sqrt(1 + 4 * h * h * r * r) /
                            std::sqrt((1 - r * r) * (1 - r * r) + 4 * h * h * r * r);
    EXPECT_NEAR(spectrum.absoluteAcceleration[k] / expected, 1.0, 0.01) << periods[k];
    worst = std::max(worst, std::fabs(spectrum.absoluteAcceleration[k] / expected - 1.0));
  }
  RecordProperty("worst_relative_difference", std::to_string(worst));
  std::printf("short-period Sa of a 5-samples-a-cycle harmonic: worst relative difference %.3g\n",
              worst);
}

// The spectra as they were computed before the oscillators ran in vectors: the record
// resampled through one transform F times as long with zeros above the old Nyquist frequency
// (half the Nyquist bin on each side), and each oscillator stepped alone.
ResponseSpectrum OneByOne(const std::vector<double>& ground, double step,
                          const std::vector<double>& periods, double damping) {
  const ResampledRecord record(ground, step, periods);
  int common = 1;
  for (double period : periods) common = std::max(common, record.Factor(period));
  std::vector<double> finest = ground;
  if (common > 1) {
    RealFft coarse(FastFftLength(ground.size()));
    std::fill(std::copy(ground.begin(), ground.end(), coarse.signal().begin()),
              coarse.signal().end(), 0.0);
    coarse.Forward();
    RealFft fine(coarse.length() * common);
    std::fill(fine.spectrum().begin(), fine.spectrum().end(), 0.0);
    std::copy(coarse.spectrum().begin(), coarse.spectrum().end(), fine.spectrum().begin());
    fine.spectrum()[coarse.length() / 2] *= 0.5;
    fine.Inverse();
    finest.resize(common * (ground.size() - 1) + 1);
    for (std::size_t i = 0; i < finest.size(); ++i) finest[i] = fine.signal()[i] / coarse.length();
  }
  ResponseSpectrum spectrum;
  for (double period : periods) {
    const int factor = record.Factor(period);
    std::vector<double> samples;
    for (std::size_t i = 0; i < finest.size(); i += common / factor) samples.push_back(finest[i]);
    const OscillatorHistory history = TrackOscillator(samples, step / factor, period, damping);
    double sa = 0.0, sv = 0.0, sd = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      sa = std::max(sa, std::fabs(history.absoluteAcceleration[i]));
      sv = std::max(sv, std::fabs(history.velocity[i]));
      sd = std::max(sd, std::fabs(history.displacement[i]));
    }
    spectrum.absoluteAcceleration.push_back(sa);
    spectrum.relativeVelocity.push_back(sv);
    spectrum.relativeDisplacement.push_back(sd);
  }
  return spectrum;
}

TEST(ResponseSpectrum, VectorsMatchEveryOscillatorSteppedAlone) {
  // Within 1e-12 of the one-by-one spectra, and bit for bit alike on every width of vectors
  // this processor runs, for one channel and for many on two threads. Records of odd and even
  // lengths, at a step that resamples the short periods up to six times.
  std::mt19937 random(21);
  std::normal_distribution<double> noise(0.0, 60.0);
  const std::vector<double> periods = ResponsePeriods();
  double worst = 0.0;
  for (std::size_t n : {999u, 1200u}) {
    std::vector<std::vector<double>> channels(3, std::vector<double>(n));
    for (auto& channel : channels) {
      for (double& value : channel) value = noise(random);
    }
    const std::vector<std::span<const double>> spans(channels.begin(), channels.end());
    std::vector<std::vector<double>> portable;  // every width gives its very bits
    for (VectorWidth width : VectorWidthsHere()) {
      LimitVectorWidth(width);
      const auto all = ComputeAccelerationSpectra(spans, 0.01, periods, 0.05, 2);
      if (width == VectorWidth::kPortable) portable = all;
      EXPECT_EQ(all, portable) << "width " << static_cast<int>(width);
      for (std::size_t c = 0; c < channels.size(); ++c) {
        const ResponseSpectrum fast = ComputeResponseSpectrum(channels[c], 0.01, periods, 0.05);
        const ResponseSpectrum slow = OneByOne(channels[c], 0.01, periods, 0.05);
        EXPECT_EQ(all[c], fast.absoluteAcceleration);
        for (std::size_t k = 0; k < periods.size(); ++k) {
          SCOPED_TRACE(::testing::Message()
                       << "n " << n << " T " << periods[k] << " width " << static_cast<int>(width));
          EXPECT_NEAR(fast.absoluteAcceleration[k], slow.absoluteAcceleration[k],
                      1e-12 * slow.absoluteAcceleration[k]);
          EXPECT_NEAR(fast.relativeVelocity[k], slow.relativeVelocity[k],
                      1e-12 * slow.relativeVelocity[k]);
          EXPECT_NEAR(fast.relativeDisplacement[k], slow.relativeDisplacement[k],
                      1e-12 * slow.relativeDisplacement[k]);
          worst = std::max(
              worst, std::fabs(fast.absoluteAcceleration[k] / slow.absoluteAcceleration[k] - 1));
        }
      }
    }
  }
  LimitVectorWidth(VectorWidth::kAvx512);
  RecordProperty("worst_relative_difference", std::to_string(worst));
  std::printf("vectors against one by one: worst relative difference of Sa %.3g\n", worst);
}

TEST(ResponseSpectrum, RefusesArgumentsTheRecurrenceCannotTake) {
  const std::vector<double> ground(10, 1.0);
  const double periods[] = {1.0};
  const double badPeriods[] = {0.0};
  EXPECT_THROW(ComputeResponseSpectrum(ground, 0.01, periods, 1.0), std::invalid_argument);
  EXPECT_THROW(ComputeResponseSpectrum(ground, 0.01, periods, -0.1), std::invalid_argument);
  EXPECT_THROW(ComputeResponseSpectrum(ground, 0.0, periods, 0.05), std::invalid_argument);
  EXPECT_THROW(ComputeResponseSpectrum(ground, 0.01, badPeriods, 0.05), std::invalid_argument);
  EXPECT_TRUE(IsUsableDamping(0.0));
  EXPECT_FALSE(IsUsableDamping(std::nan("")));
}

}  // namespace
}  // namespace accprep
