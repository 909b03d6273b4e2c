#include "engine/number_format.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

// The canonical-text test against its definition: the text FormatNumber writes for the value
// the text reads as.
bool WrittenAsItReads(const std::string& text) {
  const ParseResult parsed = ParseNumber(text);
  return parsed.error == ParseError::kNone && FormatNumber(parsed.value) == text;
}

// Values of every kind the files hold and beyond: four decimals, nine significant digits,
// shortest forms of up to seventeen digits, both exponent forms, subnormals, the extremes.
std::vector<double> ValuesOfEveryKind() {
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<std::uint64_t> bits;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> decade(-12, 20);
  std::vector<double> values = {1e-5,
                                9.5e-6,
                                1e15,
                                999999999999999.0,
                                0.1 + 0.2,
                                5e-324,
                                std::numeric_limits<double>::max(),
                                -2.5e-310,
                                123456789.0,
                                100000.0};
  for (int i = 0; i < 20000; ++i) {
    const double plain = unit(random) * std::pow(10.0, decade(random));
    values.push_back(std::round(plain * 1e4) / 1e4);  // a channel value
    char text[kMaxNumberText];
    values.push_back(
        ParseNumber(
            std::string_view(text, FormatSignificant(text, plain, 9, NumberForm::Point()) - text))
            .value);  // a job's value
    values.push_back(plain);
    double raw;
    const std::uint64_t pattern = bits(random);
    std::memcpy(&raw, &pattern, sizeof raw);
    if (std::isfinite(raw)) values.push_back(raw);
  }
  return values;
}

TEST(CanonicalNumberText, HoldsForWhatTheFormatterWrites) {
  EXPECT_TRUE(IsCanonicalNumberText("0"));
  for (const double value : ValuesOfEveryKind()) {
    const std::string text = FormatNumber(value);
    ASSERT_TRUE(IsCanonicalNumberText(text)) << text;
    ASSERT_TRUE(IsCanonicalNumberText(text, value == 0.0 ? 0.0 : value)) << text;
  }
}

// Small changes of written text: the same value laid out otherwise must fail the test, and
// other digits pass it exactly when they are what the formatter writes for their own value.
TEST(CanonicalNumberText, FailsForOtherTextsOfTheSameValueAndMatchesTheFormatterOnOthers) {
  const auto variants = [](const std::string& text) {
    std::vector<std::string> out;
    const std::size_t e = text.find('e');
    const std::string mantissa = text.substr(0, e);
    const std::string exponent = e == std::string::npos ? "" : text.substr(e);
    const bool negative = text[0] == '-';
    const std::string unsignedText = negative ? text.substr(1) : text;
    // The same value, laid out otherwise.
    out.push_back((mantissa.find('.') == std::string::npos ? mantissa + ".0" : mantissa + "0") +
                  exponent);
    out.push_back((negative ? "-0" : "0") + unsignedText);
    if (!negative) out.push_back("+" + text);
    if (!exponent.empty()) {
      out.push_back(mantissa + "E" + exponent.substr(1));
      out.push_back(mantissa + "e" + exponent[1] + "0" + exponent.substr(2));
      if (exponent.size() == 4 && exponent[2] == '0')
        out.push_back(mantissa + "e" + exponent[1] + exponent.substr(3));
    }
    if (text == "0") out.push_back("-0");
    // Other digits: the last one one up or down, one more or one fewer.
    const std::size_t last = (e == std::string::npos ? text.size() : e) - 1;
    for (const char step : {1, -1}) {
      std::string changed = text;
      if (changed[last] + step >= '0' && changed[last] + step <= '9') {
        changed[last] = static_cast<char>(changed[last] + step);
        out.push_back(changed);
      }
    }
    std::string longer = text;
    longer.insert(last + 1,
                  mantissa.find('.') == std::string::npos && e != std::string::npos ? ".1" : "1");
    out.push_back(longer);
    return out;
  };
  int sameValue = 0;
  for (const double value : ValuesOfEveryKind()) {
    for (const std::string& variant : variants(FormatNumber(value))) {
      const bool expected = WrittenAsItReads(variant);
      ASSERT_EQ(IsCanonicalNumberText(variant), expected) << variant;
      const ParseResult parsed = ParseNumber(variant);
      if (parsed.error == ParseError::kNone && parsed.value == value) {
        ++sameValue;
        ASSERT_FALSE(IsCanonicalNumberText(variant, parsed.value)) << variant;
      }
    }
  }
  EXPECT_GT(sameValue, 100000);
  for (const char* never : {"", "-", "1.", ".5", "1e5", "1.5e-7", "0.000001", "1e+07", "inf"}) {
    EXPECT_FALSE(IsCanonicalNumberText(never)) << never;
  }
}

}  // namespace
}  // namespace accprep
