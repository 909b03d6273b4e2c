#include "measures/real_fft.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>
#include <vector>

namespace accprep {
namespace {

TEST(FastFftLength, IsTheSmallestEvenFiveSmoothLengthAtLeastTheMinimum) {
  EXPECT_EQ(FastFftLength(0), 2u);
  EXPECT_EQ(FastFftLength(3), 4u);
  EXPECT_EQ(FastFftLength(13), 16u);          // 14 = 2*7 is not 5-smooth
  EXPECT_EQ(FastFftLength(4002), 4050u);      // 4002 = 2*3*23*29
  EXPECT_EQ(FastFftLength(900000), 900000u);  // the largest record's: 2^5 3^2 5^5
  EXPECT_EQ(FastFftLength(1048575), 1048576u);
}

// The plain sum the transform stands for, bin by bin.
std::complex<double> DirectBin(const std::vector<double>& signal, std::size_t k) {
  std::complex<double> sum = 0.0;
  const double n = static_cast<double>(signal.size());
  for (std::size_t t = 0; t < signal.size(); ++t) {
    sum += signal[t] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k * t) / n);
  }
  return sum;
}

TEST(RealFft, ForwardIsTheDirectSumAndInverseScalesBackByTheLength) {
  for (std::size_t length : {2u, 6u, 10u, 16u, 30u, 48u}) {
    RealFft fft(length);
    std::vector<double> signal(length);
    for (std::size_t t = 0; t < length; ++t) signal[t] = std::sin(0.7 * t * t + 0.3) + 0.1 * t;
    std::copy(signal.begin(), signal.end(), fft.signal().begin());
    fft.Forward();
    for (std::size_t k = 0; k < fft.bins(); ++k) {
      EXPECT_NEAR(std::abs(fft.spectrum()[k] - DirectBin(signal, k)), 0.0, 1e-9 * length)
          << "length " << length << ", bin " << k;
    }
    fft.Inverse();
    for (std::size_t t = 0; t < length; ++t) {
      EXPECT_NEAR(fft.signal()[t] / static_cast<double>(length), signal[t], 1e-12);
    }
  }
  EXPECT_THROW(RealFft(7), std::invalid_argument);
  EXPECT_THROW(RealFft(0), std::invalid_argument);
}

TEST(RealFftPlans, PlansMadeAheadAreTheOnesATransformThenTakes) {
  RealFftPlansAhead ahead;
  ahead.Start(6000);
  ahead.Start(4096);  // once started, no other
  const auto made = ahead.Wait();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->length(), 6000u);
  EXPECT_EQ(RealFftPlans::For(6000).get(), made.get());
  RealFftPlansAhead none;
  none.Start(7);  // no plan takes an odd length
  EXPECT_EQ(none.Wait(), nullptr);
}

TEST(RealFftPlans, OneLengthSharesItsPlansWhileTheyAreHeld) {
  const auto first = RealFftPlans::For(4050);
  const auto second = RealFftPlans::For(4050);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_NE(RealFftPlans::For(4096).get(), first.get());

  // Transforms on several threads with the shared plans give what one thread gives.
  std::vector<double> signal(4050);
  for (std::size_t t = 0; t < signal.size(); ++t) signal[t] = std::cos(0.01 * t * t);
  RealFft reference(4050);
  std::copy(signal.begin(), signal.end(), reference.signal().begin());
  reference.Forward();
  std::vector<std::vector<std::complex<double>>> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&signal, &result] {
      RealFft fft(4050);
      std::copy(signal.begin(), signal.end(), fft.signal().begin());
      fft.Forward();
      result.assign(fft.spectrum().begin(), fft.spectrum().end());
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& result : results) {
    EXPECT_TRUE(std::equal(result.begin(), result.end(), reference.spectrum().begin()));
  }
}

}  // namespace
}  // namespace accprep
