#include "measures/transfer_function.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "measures/pair_spectra.hpp"

namespace accprep {
namespace {

constexpr double kStep = 0.01;
// 2^5 5^3: a fast length, so the transform spans the whole record.
constexpr std::size_t kLength = 4000;

std::vector<double> WhiteNoise(std::size_t count, unsigned seed, double deviation = 1.0) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, deviation);
  std::vector<double> values(count);
  for (double& v : values) v = normal(random);
  return values;
}

// An output that is the input times a gain, shifted by whole samples around the record's
// period: H = gain e^(-i 2 pi f delay) exactly at every bin, and the coherence is 1.
TEST(TransferFunction, GainAndDelayWithoutSmoothing) {
  const std::vector<double> input = WhiteNoise(kLength, 1);
  for (std::size_t delay : {0u, 1u, 7u}) {
    std::vector<double> output(kLength);
    for (std::size_t i = 0; i < kLength; ++i) output[(i + delay) % kLength] = 2.5 * input[i];
    const TransferFunction h =
        EstimateTransferFunction(ComputePairSpectra(input, output, kStep), {});
    ASSERT_EQ(h.frequency.size(), kLength / 2);
    EXPECT_DOUBLE_EQ(h.frequency.front(), 1.0 / (kLength * kStep));
    EXPECT_DOUBLE_EQ(h.frequency.back(), 0.5 / kStep);
    for (std::size_t k = 0; k < h.frequency.size(); ++k) {
      EXPECT_NEAR(TransferAmplitude(h.response[k]), 2.5, 1e-9) << k;
      const double phase = std::remainder(-360.0 * h.frequency[k] * delay * kStep, 360.0);
      EXPECT_NEAR(std::remainder(TransferPhaseDegrees(h.response[k]) - phase, 360.0), 0.0, 1e-7);
      EXPECT_EQ(h.coherence[k], 1.0);
    }
  }
}

// Noise on the output alone leaves H1 unbiased, and the coherence falls to the share of the
// output's power that follows the input: g^2 sx^2 / (g^2 sx^2 + sn^2) for white signals.
TEST(TransferFunction, OutputNoiseLowersTheCoherenceButNotTheGain) {
  const std::vector<double> input = WhiteNoise(kLength * 8, 2);
  const std::vector<double> noise = WhiteNoise(kLength * 8, 3, 2.0);
  std::vector<double> output(input.size());
  for (std::size_t i = 0; i < output.size(); ++i) output[i] = 2.0 * input[i] + noise[i];
  const PairSpectra spectra = ComputePairSpectra(input, output, kStep);
  for (const SpectralSmoothing& smoothing :
       {SpectralSmoothing{SpectralSmoothing::Kind::kParzen, 1.0},
        SpectralSmoothing{SpectralSmoothing::Kind::kKonnoOhmachi, 20.0}}) {
    const TransferFunction h = EstimateTransferFunction(spectra, smoothing);
    double gain = 0.0;
    double coherence = 0.0;
    std::size_t count = 0;
    for (std::size_t k = 0; k < h.frequency.size(); ++k) {
      if (h.frequency[k] < 5.0 || h.frequency[k] > 45.0) continue;  // windows wide enough
      gain += TransferAmplitude(h.response[k]);
      coherence += h.coherence[k];
      ++count;
    }
    EXPECT_NEAR(gain / count, 2.0, 0.05) << SmoothingText(smoothing);
    EXPECT_NEAR(coherence / count, 0.5, 0.05) << SmoothingText(smoothing);
  }
}

TEST(TransferFunction, KonnoOhmachiAtTheDefaultCentresAndNothingFromASilentInput) {
  const std::vector<double> input = WhiteNoise(kLength, 4);
  const PairSpectra spectra = ComputePairSpectra(input, input, kStep);
  const TransferFunction ko =
      EstimateTransferFunction(spectra, {SpectralSmoothing::Kind::kKonnoOhmachi, 40.0});
  EXPECT_EQ(ko.frequency, DefaultSmoothingCentres(spectra.frequency(1), 0.5 / kStep));

  const std::vector<double> silent(kLength, 3.0);  // a constant: nothing once its mean is gone
  const TransferFunction none =
      EstimateTransferFunction(ComputePairSpectra(silent, input, kStep), kDefaultTransferSmoothing);
  EXPECT_TRUE(std::isnan(none.response[10].real()));
  EXPECT_TRUE(std::isnan(none.coherence[10]));
}

TEST(TransferFunction, PhaseInDegreesUpToAHalfTurn) {
  EXPECT_DOUBLE_EQ(TransferPhaseDegrees({0.0, -1.0}), -90.0);
  EXPECT_DOUBLE_EQ(TransferPhaseDegrees({-1.0, 0.0}), 180.0);
  EXPECT_DOUBLE_EQ(TransferPhaseDegrees({-1.0, -0.0}), 180.0);
  EXPECT_DOUBLE_EQ(TransferAmplitude({3.0, -4.0}), 5.0);
}

}  // namespace
}  // namespace accprep
