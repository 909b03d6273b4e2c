#include "measures/real_fft.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace accprep
