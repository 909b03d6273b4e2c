#include "engine/number_format.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace accprep {
namespace {

TEST(NumberFormat, WritesRoundedChannelValuesWithoutNoise) {
  EXPECT_EQ(FormatNumber(0.1235), "0.1235");
  EXPECT_EQ(FormatNumber(-0.0762), "-0.0762");
  EXPECT_EQ(FormatNumber(12.5), "12.5");
  EXPECT_EQ(FormatNumber(1235.0 / 10000.0), "0.1235");
  EXPECT_EQ(FormatNumber(-1.0 / 10000.0), "-0.0001");
  EXPECT_EQ(FormatNumber(100000.0), "100000");
  EXPECT_EQ(FormatNumber(0.01 * 3), "0.03");  // 0.03 reads back as the same double
}

TEST(NumberFormat, WritesZeroOfEitherSignAsZero) {
  EXPECT_EQ(FormatNumber(0.0), "0");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(-0.0, NumberForm{","}), "0");
}

TEST(NumberFormat, SwitchesToExponentFormOutsidePlainRange) {
  EXPECT_EQ(FormatNumber(1e-5), "0.00001");
  EXPECT_EQ(FormatNumber(-1.25e-5), "-0.0000125");
  EXPECT_EQ(FormatNumber(9.5e-6), "9.5e-06");
  EXPECT_EQ(FormatNumber(1.5e-7), "1.5e-07");
  EXPECT_EQ(FormatNumber(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatNumber(1e15), "1e+15");
  EXPECT_EQ(FormatNumber(-2.5e15), "-2.5e+15");
  EXPECT_EQ(FormatNumber(1e305), "1e+305");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::denorm_min()), "5e-324");
}

TEST(NumberFormat, UsesTheGivenDecimalSeparatorInMantissaAndPlainForm) {
  const NumberForm comma{","};
  EXPECT_EQ(FormatNumber(-0.0762, comma), "-0,0762");
  EXPECT_EQ(FormatNumber(12.0, comma), "12");
  EXPECT_EQ(FormatNumber(1.5e-7, comma), "1,5e-07");
  EXPECT_EQ(FormatNumber(2.5, NumberForm{"\xd9\xab"}),
            "2\xd9\xab"
            "5");  // a two-byte separator
}

TEST(NumberFormat, RoundsToSignificantDigitsAndDropsTrailingZeros) {
  char text[kMaxNumberText];
  auto nine = [&](double v) {
    return std::string(text, FormatSignificant(text, v, 9, NumberForm::Point()));
  };
  EXPECT_EQ(nine(0.1234567891234), "0.123456789");
  EXPECT_EQ(nine(12.5), "12.5");
  EXPECT_EQ(nine(1.23456789123e-6), "1.23456789e-06");
  EXPECT_EQ(nine(-9.9999999996), "-10");
  EXPECT_EQ(nine(123456789012.0), "123456789000");
  EXPECT_EQ(nine(-0.0), "0");
}

TEST(NumberFormat, EnvironmentLocaleGivesItsSeparatorOrThePoint) {
  const char* saved = std::getenv("LC_ALL");
  const std::string restore = saved ? saved : "";
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(NumberForm::FromEnvironment().decimalSeparator, ".");
  ::setenv("LC_ALL", "no_such_locale.UTF-8", 1);
  EXPECT_EQ(NumberForm::FromEnvironment().decimalSeparator, ".");
  if (saved)
    ::setenv("LC_ALL", restore.c_str(), 1);
  else
    ::unsetenv("LC_ALL");
}

// Shortest digits must read back to the very same double, for any finite double, in both
// forms (the comma form read back after swapping the separator).
TEST(NumberFormat, EveryFormattedDoubleReadsBackExactly) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200000; ++i) {
    double value;
    std::uint64_t pattern = bits(random);
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value)) continue;
    for (const NumberForm& form : {NumberForm::Point(), NumberForm{","}}) {
      std::string text = FormatNumber(value, form);
      ASSERT_EQ(text.find_first_of(" \t\r\n\""), std::string::npos) << text;
      for (char& ch : text)
        if (ch == ',') ch = '.';
      double back = 0;
      std::from_chars(text.data(), text.data() + text.size(), back);
      ASSERT_EQ(back, value == 0 ? 0.0 : value) << text;
    }
  }
}

TEST(NumberParse, AcceptsDecimalNumbersAsFromChars) {
  for (const char* text : {"0", "-1.5", "12.", ".5", "-.25", "3e-4", "2.5E+10", "1e308", "007"}) {
    double expected = 0;
    std::from_chars(text, text + std::strlen(text), expected);
    const ParseResult result = ParseNumber(text);
    EXPECT_EQ(result.error, ParseError::kNone) << text;
    EXPECT_EQ(result.value, expected) << text;
  }
  EXPECT_EQ(ParseNumber("+2").value, 2.0);
  EXPECT_EQ(ParseNumber("+2").error, ParseError::kNone);
}

TEST(NumberParse, KeepsNumbersTooSmallForADoubleAsTheNearestDouble) {
  EXPECT_EQ(ParseNumber("1e-400").error, ParseError::kNone);
  EXPECT_EQ(ParseNumber("1e-400").value, 0.0);
  EXPECT_EQ(ParseNumber("4e-324").value, std::numeric_limits<double>::denorm_min());
}

TEST(NumberParse, RefusesWhatIsNotAFiniteDecimalNumber) {
  EXPECT_EQ(ParseNumber("").error, ParseError::kEmpty);
  for (const char* text :
       {"abc", "1.2.3", "1e", "--1", "+-1", "+", "-", ".", "1,5", "0x10", "\"1\"", "1 2", "e5"})
    EXPECT_EQ(ParseNumber(text).error, ParseError::kNotANumber) << text;
  for (const char* text : {"nan", "NaN", "inf", "-inf", "Infinity", "1e309", "-1e400"})
    EXPECT_EQ(ParseNumber(text).error, ParseError::kNotFinite) << text;
}

}  // namespace
}  // namespace accprep
