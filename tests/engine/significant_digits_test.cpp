// FormatSignificant's fast path for up to nine digits against the general conversion:
// byte for byte, on values chosen to hit every branch and every boundary of the fast path.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "engine/number_format.hpp"

namespace accprep {
namespace {

std::string Fast(double value, int digits = 9) {
  char text[kMaxNumberText];
  return std::string(text, FormatSignificant(text, value, digits, NumberForm::Point()));
}

std::string Engine(double value, int digits = 9) {
  char text[kMaxNumberText];
  return std::string(text,
                     detail::FormatSignificantExact(text, value, digits, NumberForm::Point()));
}

#define EXPECT_SAME_TEXT(value)                                         \
  do {                                                                  \
    const double v_ = (value);                                          \
    ASSERT_EQ(Fast(v_), Engine(v_)) << "value " << std::hexfloat << v_; \
  } while (0)

TEST(SignificantDigits, WritesNineDigitFormOfTypicalResults) {
  EXPECT_EQ(Fast(0.123456789012), "0.123456789");
  EXPECT_EQ(Fast(-12.5), "-12.5");
  EXPECT_EQ(Fast(1.234567891e-6), "1.23456789e-06");
  EXPECT_EQ(Fast(9.9999999996), "10");
  EXPECT_EQ(Fast(123456789012345.0), "123456789000000");
  EXPECT_EQ(Fast(1234567890123456.0), "1.23456789e+15");
  EXPECT_EQ(Fast(0.0), "0");
  EXPECT_EQ(Fast(-0.0), "0");
}

TEST(SignificantDigits, FastPathMatchesGeneralConversionOnEveryMagnitude) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> decade(-20, 35);
  for (int i = 0; i < 1000000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, decade(random));
    EXPECT_SAME_TEXT(i % 2 ? value : -value);
  }
  // Raw bit patterns: every exponent, subnormals, infinities and NaNs included.
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_SAME_TEXT(value);
  }
}

TEST(SignificantDigits, FastPathMatchesGeneralConversionAtTiesAndDecadeEdges) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::uint32_t> nine(100000000u, 999999999u);
  for (int i = 0; i < 200000; ++i) {
    // A nine-digit number and a half, at a random decade, and its neighbours.
    const int k = static_cast<int>(random() % 40) - 16;
    const double tie = (nine(random) + 0.5) * std::pow(10.0, k - 8);
    EXPECT_SAME_TEXT(tie);
    EXPECT_SAME_TEXT(std::nextafter(tie, 0.0));
    EXPECT_SAME_TEXT(std::nextafter(tie, 1e300));
  }
  for (int k = -16; k <= 31; ++k) {
    for (double edge : {std::pow(10.0, k), 9.999999995 * std::pow(10.0, k),
                        9.9999999949999 * std::pow(10.0, k)}) {
      double value = edge;
      for (int step = 0; step < 20; ++step) value = std::nextafter(value, 0.0);
      for (int step = 0; step < 40; ++step) {
        EXPECT_SAME_TEXT(value);
        EXPECT_SAME_TEXT(-value);
        value = std::nextafter(value, 1e300);
      }
    }
  }
}

TEST(SignificantDigits, FastPathMatchesGeneralConversionForFewerDigits) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> decade(-20, 35);
  for (int digits = 1; digits <= 8; ++digits)
    for (int i = 0; i < 50000; ++i) {
      const double value = mantissa(random) * std::pow(10.0, decade(random));
      ASSERT_EQ(Fast(value, digits), Engine(value, digits)) << digits << " " << value;
    }
}

// FormatNumber's fast paths (few decimals, nine digits) against the general shortest
// conversion, on values read from the texts the files hold: short decimals, nine-digit job
// results of every magnitude, and raw bit patterns.
TEST(ShortestDigits, FastPathsMatchGeneralConversion) {
  auto fast = [](double value) {
    char text[kMaxNumberText];
    return std::string(text, FormatNumber(text, value, NumberForm{","}));
  };
  auto general = [](double value) {
    char text[kMaxNumberText];
    return std::string(text, detail::FormatNumberExact(text, value, NumberForm{","}));
  };
  std::mt19937_64 random(13);
  std::uniform_int_distribution<std::uint64_t> nine(1, 999999999);
  std::uniform_int_distribution<int> decade(-22, 30);
  std::uniform_int_distribution<int> length(1, 9);
  for (int i = 0; i < 400000; ++i) {
    const std::string digits =
        std::to_string(nine(random) % static_cast<std::uint64_t>(std::pow(10, length(random))) + 1);
    const std::string text = digits + "e" + std::to_string(decade(random));
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    ASSERT_EQ(fast(value), general(value)) << text;
    ASSERT_EQ(fast(-value), general(-value)) << text;
    const double neighbour = std::nextafter(value, 0.0);
    ASSERT_EQ(fast(neighbour), general(neighbour)) << text;
  }
  for (int i = 0; i < 300000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    ASSERT_EQ(fast(value), general(value));
  }
}

}  // namespace
}  // namespace accprep
