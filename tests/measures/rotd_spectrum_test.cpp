#include "measures/rotd_spectrum.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "engine/record_reader.hpp"
#include "measures/band_limited_resampling.hpp"
#include "measures/response_spectrum.hpp"
#include "measures/wide_vectors.hpp"
#include "signals.hpp"

namespace accprep {
namespace {

using testing::kPi;

// The definition run as written: each angle's rotated record through its own oscillator.
std::array<double, kRotationAngles> PsaPerAngle(std::span<const double> a1,
                                                std::span<const double> a2, double step,
                                                double period, double damping) {
  std::array<double, kRotationAngles> psa{};
  const double w = 2 * kPi / period;
  std::vector<double> rotated(a1.size());
  for (int k = 0; k < kRotationAngles; ++k) {
    const double c = std::cos(k * kPi / 180), s = std::sin(k * kPi / 180);
    for (std::size_t i = 0; i < a1.size(); ++i) rotated[i] = a1[i] * c + a2[i] * s;
    const OscillatorHistory history = TrackOscillator(rotated, step, period, damping);
    double peak = 0.0;
    for (double x : history.displacement) peak = std::max(peak, std::fabs(x));
    psa[k] = w * w * peak;
  }
  return psa;
}

// The same through the response spectra's resampling of each component.
RotDValues RotDPerAngle(std::span<const double> a1, std::span<const double> a2, double step,
                        double period, double damping, std::span<const double> periods) {
  const ResampledRecord r1(a1, step, periods);
  const ResampledRecord r2(a2, step, periods);
  return RotDOf(
      PsaPerAngle(r1.Samples(period), r2.Samples(period), r1.Step(period), period, damping));
}

std::vector<double> Noise(std::size_t n, unsigned seed, double sigma) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  std::vector<double> values(n);
  for (double& v : values) v = noise(random);
  return values;
}

void ExpectRelativelyNear(const RotDValues& actual, const RotDValues& expected, double tolerance,
                          const std::string& where) {
  EXPECT_NEAR(actual.rotd00, expected.rotd00, tolerance * expected.rotd00) << where;
  EXPECT_NEAR(actual.rotd50, expected.rotd50, tolerance * expected.rotd50) << where;
  EXPECT_NEAR(actual.rotd100, expected.rotd100, tolerance * expected.rotd100) << where;
}

TEST(RotD, MatchesEveryAngleThroughItsOwnOscillator) {
  // Correlated components, so that the orbit is neither round nor flat; short periods are
  // resampled, long ones hold hundreds of samples a cycle.
  const std::vector<double> a1 = Noise(700, 1, 50.0);
  std::vector<double> a2 = Noise(700, 2, 30.0);
  for (std::size_t i = 0; i < a2.size(); ++i) a2[i] += 0.6 * a1[i];
  const std::vector<double> periods = {0.02, 0.03, 0.05, 0.1, 0.37, 1.0, 2.5};
  for (VectorWidth width : VectorWidthsHere()) {
    LimitVectorWidth(width);
    for (double damping : {0.0, 0.05}) {
      const RotDSpectrum fast = ComputeRotDSpectrum(a1, a2, 0.01, periods, damping);
      ASSERT_EQ(fast.values.size(), periods.size());
      for (std::size_t k = 0; k < periods.size(); ++k) {
        ExpectRelativelyNear(fast.values[k],
                             RotDPerAngle(a1, a2, 0.01, periods[k], damping, periods), 1e-10,
                             "T " + std::to_string(periods[k]) + " h " + std::to_string(damping));
      }
    }
  }
  LimitVectorWidth(VectorWidth::kAvx512);
}

TEST(RotD, LinearlyPolarisedMotionPeaksAlongItsLine) {
  // The record moves along 30 degrees only: PSA(t) = PSA |cos(t - 30)|, so RotD100 is the
  // component's PSA along the line, RotD00 nothing and RotD50 that times cos 45 degrees.
  const std::vector<double> a = Noise(1500, 3, 40.0);
  std::vector<double> a1(a.size()), a2(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    a1[i] = a[i] * std::cos(kPi / 6);
    a2[i] = a[i] * std::sin(kPi / 6);
  }
  const std::vector<double> periods = {0.04, 0.2, 1.3};
  const RotDSpectrum rotd = ComputeRotDSpectrum(a1, a2, 0.01, periods, 0.05);
  const ResponseSpectrum line = ComputeResponseSpectrum(a, 0.01, periods, 0.05);
  for (std::size_t k = 0; k < periods.size(); ++k) {
    const double psa = line.relativeDisplacement[k] * std::pow(2 * kPi / periods[k], 2);
    EXPECT_NEAR(rotd.values[k].rotd100, psa, 1e-9 * psa) << periods[k];
    EXPECT_NEAR(rotd.values[k].rotd50, psa * std::cos(kPi / 4), 1e-9 * psa) << periods[k];
    EXPECT_NEAR(rotd.values[k].rotd00, 0.0, 1e-9 * psa) << periods[k];
  }
}

TEST(RotD, CircularMotionIsTheSameInEveryDirection) {
  // A(cos wt, sin wt) faded in: turning the axes is a shift in time, so once the oscillators
  // are steady every direction peaks alike, to the sampling of the orbit (100 steps a cycle).
  const double step = 0.01;
  std::vector<double> a1(10000), a2(10000);
  for (std::size_t i = 0; i < a1.size(); ++i) {
    const double t = i * step;
    const double fade = t < 30.0 ? 0.5 - 0.5 * std::cos(kPi * t / 30.0) : 1.0;
    a1[i] = 80.0 * fade * std::cos(2 * kPi * t);
    a2[i] = 80.0 * fade * std::sin(2 * kPi * t);
  }
  const std::vector<double> periods = {0.5, 1.0, 2.0};
  const RotDSpectrum rotd = ComputeRotDSpectrum(a1, a2, step, periods, 0.05);
  for (std::size_t k = 0; k < periods.size(); ++k) {
    const RotDValues& v = rotd.values[k];
    EXPECT_GT(v.rotd00, 0.0);
    EXPECT_NEAR(v.rotd100 / v.rotd00, 1.0, 1e-3) << periods[k];
    EXPECT_NEAR(v.rotd50 / v.rotd00, 1.0, 1e-3) << periods[k];
  }
}

TEST(RotD, MatchesTheDefinitionOnStationsOfTheSharedRecord) {
  // The EW and NS components of AOM001, AOM005 and AOM009 (channels 1-2, 13-14, 25-26) about
  // their means, the 30 s around each station's strongest sample. Where a period holds ten
  // samples or more the definition reads the record as it is. Below, the motion is
  // band-limited, and the record resampled four times finer than the response spectra
  // resample it stands for the continuous motion: read at ten samples a period, a peak may
  // fall between samples and come out up to 1 - cos(pi / 10), 4.9 %, low.
  RecordForm form;
  form.headerLines = 2;
  form.fieldsPerRecord = 43;
  std::vector<std::vector<double>> channels(43);
  ReadRecords(ACCPREP_SHARED_DATA_DIR "/knet-aomori-2018.csv", form,
              [&](std::int64_t, const double* values, std::int64_t count) {
                for (std::int64_t i = 0; i < count; ++i) {
                  for (int c = 0; c < 43; ++c) channels[c].push_back(values[i * 43 + c]);
                }
              });
  const double step = 0.01;
  const std::vector<double> periods = {0.02, 0.05, 0.1, 0.3, 1.0, 3.0};
  double worst = 0.0;
  for (int ewChannel : {1, 13, 25}) {
    std::vector<double> ew = channels[ewChannel];
    std::vector<double> ns = channels[ewChannel + 1];
    ASSERT_EQ(ew.size(), 9500u);
    for (std::vector<double>* channel : {&ew, &ns}) {
      const double mean = std::accumulate(channel->begin(), channel->end(), 0.0) / channel->size();
      for (double& v : *channel) v -= mean;
    }
    const auto strongest =
        std::max_element(ew.begin(), ew.end(),
                         [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
        ew.begin();
    const std::size_t first =
        static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(strongest - 1500, 0, 9500 - 3000));
    ew = std::vector<double>(ew.begin() + first, ew.begin() + first + 3000);
    ns = std::vector<double>(ns.begin() + first, ns.begin() + first + 3000);
    const RotDSpectrum rotd = ComputeRotDSpectrum(ew, ns, step, periods, 0.05);
    for (std::size_t k = 0; k < periods.size(); ++k) {
      const double period = periods[k];
      const bool resampled = period < 10 * step;
      const int finer = 4 * SamplingFactorFor(step, period);
      const RotDValues exact =
          resampled
              ? RotDOf(PsaPerAngle(ResampleBandLimited(ew, finer), ResampleBandLimited(ns, finer),
                                   step / finer, period, 0.05))
              : RotDOf(PsaPerAngle(ew, ns, step, period, 0.05));
      ExpectRelativelyNear(rotd.values[k], exact, resampled ? 0.049 : 1e-6,
                           "channel " + std::to_string(ewChannel) + " T " + std::to_string(period));
      if (resampled) {
        worst = std::max({worst, std::fabs(rotd.values[k].rotd00 / exact.rotd00 - 1),
                          std::fabs(rotd.values[k].rotd50 / exact.rotd50 - 1),
                          std::fabs(rotd.values[k].rotd100 / exact.rotd100 - 1)});
      }
    }
  }
  RecordProperty("worst_short_period_difference", std::to_string(worst));
}

TEST(RotD, RefusesComponentsOfDifferentLengthsAndGivesZerosWithoutMotion) {
  const std::vector<double> a(10, 0.0), b(11, 0.0), one(1, 5.0);
  const double periods[] = {0.01, 1.0};
  EXPECT_THROW(ComputeRotDSpectrum(a, b, 0.01, periods, 0.05), std::invalid_argument);
  EXPECT_THROW(ComputeRotDSpectrum(a, a, 0.01, periods, 1.0), std::invalid_argument);
  for (const std::vector<double>* still : {&a, &one}) {
    const RotDSpectrum rotd = ComputeRotDSpectrum(*still, *still, 0.01, periods, 0.05);
    ASSERT_EQ(rotd.values.size(), 2u);
    EXPECT_EQ(rotd.values[0].rotd100, 0.0);
    EXPECT_EQ(rotd.values[1].rotd100, 0.0);
  }
}

TEST(ProjectionPeaks, MatchesEveryDirectionOverEveryPoint) {
  std::mt19937 random(12);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (int trial = 0; trial < 40; ++trial) {
    // Clouds round, flat, on a line through the origin, a single point and none.
    const std::size_t n = trial < 2 ? static_cast<std::size_t>(trial) : 1 + random() % 3000;
    const double flat = trial % 4 == 0 ? 0.0 : trial % 4 == 1 ? 1e-3 : 1.0;
    std::vector<double> x1(n), x2(n);
    for (std::size_t i = 0; i < n; ++i) {
      x1[i] = normal(random);
      x2[i] = 0.7 * x1[i] + flat * normal(random);
    }
    ProjectionPeaks peaks;
    for (std::size_t first = 0; first < n; first += 16) {
      const std::size_t count = std::min<std::size_t>(16, n - first);
      const auto [min1, max1] = std::minmax_element(&x1[first], &x1[first] + count);
      const auto [min2, max2] = std::minmax_element(&x2[first], &x2[first] + count);
      peaks.AddBlock(*min1, *max1, *min2, *max2, &x1[first], &x2[first], count, 1);
    }
    const std::array<double, kRotationAngles> found = peaks.Peaks();
    for (int k = 0; k < kRotationAngles; ++k) {
      const double c = std::cos(k * kPi / 180), s = std::sin(k * kPi / 180);
      double expected = 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        expected = std::max(expected, std::fabs(x1[i] * c + x2[i] * s));
      }
      ASSERT_NEAR(found[k], expected, 1e-14 * expected) << "trial " << trial << " angle " << k;
    }
  }
}

TEST(RotD, PicksTheLeastTheMedianAndTheLargestOfTheAngles) {
  std::array<double, kRotationAngles> psa{};
  for (int k = 0; k < kRotationAngles; ++k) psa[k] = (k * 37) % kRotationAngles + 1.0;
  const RotDValues values = RotDOf(psa);  // 1 .. 180 shuffled
  EXPECT_EQ(values.rotd00, 1.0);
  EXPECT_EQ(values.rotd50, 90.5);
  EXPECT_EQ(values.rotd100, 180.0);
}

}  // namespace
}  // namespace accprep
