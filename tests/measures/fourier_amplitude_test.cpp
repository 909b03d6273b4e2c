#include "measures/fourier_amplitude.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "signals.hpp"

namespace accprep {
namespace {

using testing::kPi;

TEST(FourierAmplitude, MatchesThePlainTransformOnEvenAndOddLengths) {
  std::mt19937 random(6);
  std::normal_distribution<double> noise(0.0, 20.0);
  for (std::size_t n = 1; n <= 41; ++n) {
    std::vector<double> x(n);
    for (double& value : x) value = noise(random);
    const double dt = 0.02;
    const std::vector<double> amplitude = FourierAmplitude(x, dt);
    const std::vector<double> frequencies = FourierFrequencies(n, dt);
    ASSERT_EQ(amplitude.size(), n / 2) << n;
    ASSERT_EQ(frequencies.size(), n / 2) << n;
    for (std::size_t k = 1; k <= n / 2; ++k) {
      std::complex<double> sum = 0.0;
      for (std::size_t i = 0; i < n; ++i) sum += x[i] * std::polar(1.0, -2 * kPi * k * i / n);
      EXPECT_NEAR(amplitude[k - 1], std::abs(sum) * dt, 1e-12 * 20 * n) << n << " " << k;
      EXPECT_DOUBLE_EQ(frequencies[k - 1], k / (n * dt));
    }
  }
}

TEST(FourierAmplitude, HarmonicOfWholeCyclesStandsAtItsBinAlone) {
  // A cos(2 pi m t / T) over whole cycles: |X_m| = A n / 2, so the amplitude is A T / 2 there
  // and nothing elsewhere.
  const std::size_t n = 3000;
  const double dt = 0.01;
  const std::vector<double> x = testing::Harmonic(7.0, 12.0 / (n * dt), dt, n, kPi / 2);
  const std::vector<double> amplitude = FourierAmplitude(x, dt);
  for (std::size_t k = 1; k <= n / 2; ++k) {
    EXPECT_NEAR(amplitude[k - 1], k == 12 ? 7.0 * n * dt / 2 : 0.0, 1e-10) << k;
  }
}

TEST(FourierAmplitude, ManyChannelsMatchOneAtATime) {
  std::mt19937 random(9);
  std::normal_distribution<double> noise(0.0, 5.0);
  std::vector<std::vector<double>> channels(5, std::vector<double>(1001));
  for (auto& channel : channels) {
    for (double& value : channel) value = noise(random);
  }
  const std::vector<std::span<const double>> spans(channels.begin(), channels.end());
  const auto all = FourierAmplitudes(spans, 0.005, 2);
  ASSERT_EQ(all.size(), channels.size());
  for (std::size_t c = 0; c < channels.size(); ++c) {
    EXPECT_EQ(all[c], FourierAmplitude(channels[c], 0.005)) << c;
  }
  EXPECT_THROW(FourierAmplitude(channels[0], 0.0), std::invalid_argument);
}

TEST(SmoothSpectra, KeepsTheBinsOrSmoothsOntoTheirCentres) {
  const std::vector<double> f = FourierFrequencies(4000, 0.01);
  std::vector<double> s(f.size());
  for (std::size_t k = 0; k < s.size(); ++k) s[k] = 1.0 + 0.5 * std::sin(0.3 * k);
  const std::span<const double> one[] = {s};
  const double df = 1.0 / 40.0;
  const SmoothedSpectra none = SmoothSpectra(f, df, 50.0, one, {});
  EXPECT_EQ(none.frequencies, f);
  EXPECT_EQ(none.amplitudes.front(), s);
  const SpectralSmoothing parzen{SpectralSmoothing::Kind::kParzen, 0.2};
  EXPECT_EQ(SmoothSpectra(f, df, 50.0, one, parzen).amplitudes.front(), SmoothParzen(s, df, 0.2));
  const SpectralSmoothing ko{SpectralSmoothing::Kind::kKonnoOhmachi, 40.0};
  const SmoothedSpectra smooth = SmoothSpectra(f, df, 50.0, one, ko);
  EXPECT_EQ(smooth.frequencies, DefaultSmoothingCentres(f.front(), 50.0));
  EXPECT_EQ(smooth.amplitudes.front(), SmoothKonnoOhmachi(f, s, smooth.frequencies, 40.0));
}

}  // namespace
}  // namespace accprep
