#include "measures/modal_fit.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "measures/modal_identification.hpp"
#include "measures/pair_spectra.hpp"
#include "measures/response_spectrum.hpp"

namespace accprep {
namespace {

constexpr double kStep = 0.01;

std::vector<double> WhiteNoise(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::vector<double> values(count);
  for (double& v : values) v = normal(random);
  return values;
}

// A single oscillator on a shaken base: its absolute acceleration over the base's, a record
// that starts at rest and ends in the middle of the motion.
TEST(ModalFit, FindsTheFrequencyAndDampingOfAnOscillator) {
  const std::vector<double> base = WhiteNoise(6000, 1);
  for (double frequency : {0.8, 2.0, 5.0, 12.0}) {
    for (double damping : {0.01, 0.02, 0.05, 0.1}) {
      const std::vector<double> roof =
          TrackOscillator(base, kStep, 1.0 / frequency, damping).absoluteAcceleration;
      const std::optional<ModalFit> fit =
          FitMode(ComputePairSpectra(base, roof, kStep), frequency / 1.2, frequency * 1.2);
      ASSERT_TRUE(fit) << frequency << " Hz, " << damping;
      EXPECT_NEAR(fit->frequency, frequency, 1e-4 * frequency) << damping;
      EXPECT_NEAR(fit->damping, damping, 5e-3 * damping) << frequency << " Hz";
    }
  }
}

TEST(ModalFit, RefusesBandsItCannotFit) {
  const std::vector<double> base = WhiteNoise(1000, 2);
  const std::vector<double> roof = TrackOscillator(base, kStep, 0.5, 0.02).absoluteAcceleration;
  const PairSpectra spectra = ComputePairSpectra(base, roof, kStep);  // 0.1 Hz bins
  EXPECT_FALSE(FitMode(spectra, 1.9, 2.4));                           // six bins
  EXPECT_FALSE(FitMode(spectra, 2.4, 1.9));
  EXPECT_FALSE(FitMode(spectra, 0.0, 3.0));
  EXPECT_TRUE(FitMode(spectra, 1.6, 2.4));
}

// Identification: the modes of a two-mode output stand clear; an output that does not follow
// its input at all has none.
TEST(ModalIdentification, FindsPeaksThatStandClearAndNoneInNoise) {
  const std::vector<double> base = WhiteNoise(12000, 3);
  const std::vector<double> first =
      TrackOscillator(base, kStep, 1.0 / 1.5, 0.02).absoluteAcceleration;
  const std::vector<double> second =
      TrackOscillator(base, kStep, 1.0 / 4.5, 0.04).absoluteAcceleration;
  std::vector<double> roof(base.size());
  for (std::size_t i = 0; i < roof.size(); ++i)
    roof[i] = first[i] + 0.5 * second[i] - 0.5 * base[i];
  const std::vector<IdentifiedMode> modes = IdentifyModes(ComputePairSpectra(base, roof, kStep));
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_NEAR(modes[0].frequency, 1.5, 1e-3);
  EXPECT_NEAR(modes[0].damping, 0.02, 1e-3);
  EXPECT_DOUBLE_EQ(modes[0].period, 1.0 / modes[0].frequency);
  EXPECT_NEAR(modes[1].frequency, 4.5, 5e-3);
  EXPECT_NEAR(modes[1].damping, 0.04, 2e-3);

  EXPECT_TRUE(IdentifyModes(ComputePairSpectra(base, WhiteNoise(12000, 4), kStep)).empty());
}

}  // namespace
}  // namespace accprep
