#include "measures/band_limited_resampling.hpp"

#include <gtest/gtest.h>

#include <random>

#include "signals.hpp"

namespace accprep {
namespace {

TEST(SamplingFactor, GivesTenSamplesAPeriodAndLeavesTenAlone) {
  EXPECT_EQ(SamplingFactorFor(0.01, 0.1), 1);  // 10 dt / T rounds to just above 1
  EXPECT_EQ(SamplingFactorFor(0.01, 2.0), 1);
  EXPECT_EQ(SamplingFactorFor(0.01, 0.099), 2);
  EXPECT_EQ(SamplingFactorFor(0.01, 0.05), 2);
  EXPECT_EQ(SamplingFactorFor(0.01, 0.03), 4);
  EXPECT_EQ(SamplingFactorFor(0.01, 0.02), 5);
  EXPECT_EQ(SamplingFactorFor(1.0, 1e-12), 1000000);  // bounded, not overflowing
}

TEST(ResampleBandLimited, ReproducesABandLimitedSignalBetweenItsSamples) {
  // 7 whole cycles in 240 samples, a length the transform takes without padding: the record
  // is exactly periodic and band-limited, so the finer samples are the sine itself.
  const std::vector<double> coarse = testing::Harmonic(3.0, 7.0 / 240.0, 1.0, 240, 0.4);
  const std::vector<double> fine = ResampleBandLimited(coarse, 6);
  ASSERT_EQ(fine.size(), 6u * 239 + 1);
  const std::vector<double> expected =
      testing::Harmonic(3.0, 7.0 / 240.0, 1.0 / 6, fine.size(), 0.4);
  for (std::size_t i = 0; i < fine.size(); ++i) ASSERT_NEAR(fine[i], expected[i], 1e-12) << i;

  // Any record, padded or not, keeps its own samples.
  std::mt19937 random(2);
  std::normal_distribution<double> noise(0.0, 10.0);
  std::vector<double> record(1001);
  for (double& value : record) value = noise(random);
  const std::vector<double> thrice = ResampleBandLimited(record, 3);
  for (std::size_t i = 0; i < record.size(); ++i) ASSERT_NEAR(thrice[3 * i], record[i], 1e-11) << i;

  EXPECT_EQ(ResampleBandLimited(record, 1), record);
  EXPECT_THROW(ResampleBandLimited(record, 0), std::invalid_argument);
}

TEST(ResampledRecord, ServesEveryShortPeriodFromOneCommonSampling) {
  std::mt19937 random(4);
  std::normal_distribution<double> noise(0.0, 10.0);
  std::vector<double> record(500);
  for (double& value : record) value = noise(random);
  // At 100 Hz, 0.02 s needs 5 and 0.03 s needs 4: both take the common 6; 0.05 s takes 2.
  const std::vector<double> periods = {0.02, 0.03, 0.05, 0.1, 3.0};
  const ResampledRecord resampled(record, 0.01, periods);
  EXPECT_EQ(resampled.Factor(0.02), 6);
  EXPECT_EQ(resampled.Factor(0.03), 6);
  EXPECT_EQ(resampled.Factor(0.05), 2);
  EXPECT_EQ(resampled.Factor(0.1), 1);
  EXPECT_DOUBLE_EQ(resampled.Step(0.02), 0.01 / 6);
  EXPECT_EQ(resampled.Samples(3.0).data(), record.data());

  const std::vector<double> fine = ResampleBandLimited(record, 6);
  const std::span<const double> finest = resampled.Samples(0.02);
  ASSERT_EQ(finest.size(), fine.size());
  const std::span<const double> half = resampled.Samples(0.05);
  ASSERT_EQ(half.size(), 2u * 499 + 1);
  for (std::size_t i = 0; i < half.size(); ++i) EXPECT_NEAR(half[i], fine[3 * i], 1e-12) << i;
}

}  // namespace
}  // namespace accprep
