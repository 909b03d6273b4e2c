#include "engine/number_format.hpp"

#include <charconv>
#include <clocale>
#include <cctype>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace accprep {
namespace {

// Plain notation covers exponents -5..14 of the leading digit; outside it, exponent form.
constexpr int kLowestPlainExponent = -5;
constexpr int kFirstExponentForm = 15;
constexpr std::size_t kMaxSeparator = 8;

char* Append(char* out, const std::string& text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// Lays out a scientific text "[-]d[.ddd]e±XX" (as std::to_chars writes it) in our notation.
// Trailing zeros of the mantissa are dropped first, so a fixed precision reads like shortest.
char* Layout(char* out, const char* sci, const char* sciEnd, const NumberForm& form) {
  const char* p = sci;
  const bool negative = (*p == '-');
  if (negative) ++p;
  const char* ePos = static_cast<const char*>(std::memchr(p, 'e', sciEnd - p));
  // Gather the mantissa digits without the point.
  char digits[24];
  int count = 0;
  for (const char* q = p; q < ePos; ++q)
    if (*q != '.') digits[count++] = *q;
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = 0;
  std::from_chars(ePos + 1 + (ePos[1] == '+'), sciEnd, exponent);

  if (count == 1 && digits[0] == '0') {  // zero of either sign
    *out++ = '0';
    return out;
  }
  if (negative) *out++ = '-';
  if (exponent < kLowestPlainExponent || exponent >= kFirstExponentForm) {
    *out++ = digits[0];
    if (count > 1) {
      out = Append(out, form.decimalSeparator);
      std::memcpy(out, digits + 1, count - 1);
      out += count - 1;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) *out++ = '0';
    return std::to_chars(out, out + 4, magnitude).ptr;
  }
  if (exponent < 0) {
    *out++ = '0';
    out = Append(out, form.decimalSeparator);
    for (int i = -1; i > exponent; --i) *out++ = '0';
    std::memcpy(out, digits, count);
    return out + count;
  }
  const int integerDigits = exponent + 1;
  for (int i = 0; i < integerDigits; ++i) *out++ = i < count ? digits[i] : '0';
  if (count > integerDigits) {
    out = Append(out, form.decimalSeparator);
    std::memcpy(out, digits + integerDigits, count - integerDigits);
    out += count - integerDigits;
  }
  return out;
}

// "nan", "inf", "infinity" in any case: worth a clearer message than "not a number".
bool NamesNonFinite(std::string_view word) {
  std::string lower(word.substr(0, 9));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "inf" || lower == "infinity" || lower.starts_with("nan");
}

// Most values in our files have few decimals (channel values rounded to four, times to two):
// find the fewest decimals d <= 8 for which m / 10^d gives back the value, m an integer, and
// write m with d decimals. For 1e-5 <= |v| < 1e6 these digits are exactly the shortest ones:
// the quotient is correctly rounded, so the text reads back to v; a spacing of doubles far
// below 10^-d makes m the only candidate; and the product v * 10^d lies well within 0.5 of m,
// so rounding it finds m. Outside that range, or with more decimals, the general path runs.
constexpr double kPowersOfTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr int kFastDecimals = 8;

char* FormatFewDecimals(char* out, double magnitude, bool negative, const NumberForm& form) {
  for (int d = 0; d <= kFastDecimals; ++d) {
    // Adding and taking away 2^52 rounds to an integer (the product stays below 1e14).
    const double scaled = (magnitude * kPowersOfTen[d] + 0x1p52) - 0x1p52;
    if (scaled / kPowersOfTen[d] != magnitude) continue;
    char digits[24];
    const int count = static_cast<int>(
        std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(scaled)).ptr -
        digits);
    if (negative) *out++ = '-';
    const int integerDigits = count - d;
    if (integerDigits <= 0) {
      *out++ = '0';
    } else {
      std::memcpy(out, digits, integerDigits);
      out += integerDigits;
    }
    if (d > 0) {
      out = Append(out, form.decimalSeparator);
      for (int i = integerDigits; i < 0; ++i) *out++ = '0';
      const int start = integerDigits > 0 ? integerDigits : 0;
      std::memcpy(out, digits + start, count - start);
      out += count - start;
    }
    return out;
  }
  return nullptr;
}

char* FormatNonFinite(char* out, double value) {
  const char* text = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
  const std::size_t size = std::strlen(text);
  std::memcpy(out, text, size);
  return out + size;
}

}  // namespace

NumberForm NumberForm::Point() { return NumberForm{}; }

NumberForm NumberForm::FromEnvironment() {
  NumberForm form;
  locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return form;
  const char* radix = ::nl_langinfo_l(RADIXCHAR, locale);
  std::string separator = radix != nullptr ? radix : "";
  ::freelocale(locale);
  // A separator that could be taken for a digit, a sign or a field or line break would make
  // the matrix files unreadable; such a locale gets the point.
  const bool usable = !separator.empty() && separator.size() <= kMaxSeparator &&
                      separator.find_first_of("0123456789+-eE\t\r\n ") == std::string::npos;
  if (usable) form.decimalSeparator = separator;
  return form;
}

char* FormatNumber(char* out, double value, const NumberForm& form) {
  if (!std::isfinite(value)) return FormatNonFinite(out, value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    *out++ = '0';
    return out;
  }
  if (magnitude >= 1e-5 && magnitude < 1e6) {
    if (char* end = FormatFewDecimals(out, magnitude, value < 0, form)) return end;
  }
  char sci[32];
  const auto result = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
  return Layout(out, sci, result.ptr, form);
}

char* FormatSignificant(char* out, double value, int significantDigits, const NumberForm& form) {
  if (!std::isfinite(value)) return FormatNonFinite(out, value);
  if (significantDigits < 1) significantDigits = 1;
  if (significantDigits > 17) significantDigits = 17;
  char sci[40];
  const auto result = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific,
                                    significantDigits - 1);
  return Layout(out, sci, result.ptr, form);
}

std::string FormatNumber(double value, const NumberForm& form) {
  char text[kMaxNumberText];
  return std::string(text, FormatNumber(text, value, form));
}

ParseResult ParseNumber(std::string_view text) {
  ParseResult result;
  if (text.empty()) {
    result.error = ParseError::kEmpty;
    return result;
  }
  const char* begin = text.data();
  const char* end = begin + text.size();
  // std::from_chars takes no plus sign; a second sign after it stays an error.
  if (*begin == '+') {
    ++begin;
    if (begin == end || *begin == '-' || *begin == '+') {
      result.error = ParseError::kNotANumber;
      return result;
    }
  }
  // Only digits, a point, signs and an exponent belong to a decimal number; this also keeps
  // "inf", "nan" and hexadecimal forms out of from_chars' reach of interpretation.
  const bool startsLikeNumber = (*begin >= '0' && *begin <= '9') || *begin == '.' ||
                                (*begin == '-' && begin + 1 < end);
  if (!startsLikeNumber) {
    const bool nonFinite = NamesNonFinite(std::string_view(begin, end - begin));
    result.error = nonFinite ? ParseError::kNotFinite : ParseError::kNotANumber;
    return result;
  }
  const auto parsed = std::from_chars(begin, end, result.value, std::chars_format::general);
  if (parsed.ec == std::errc::result_out_of_range && parsed.ptr == end) {
    // Beyond the double range either way: strtod tells overflow (HUGE_VAL) from underflow,
    // which is kept as the nearest double (zero or subnormal).
    std::string copy(begin, end);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (std::isinf(value)) {
      result.error = ParseError::kNotFinite;
    } else {
      result.value = value;
    }
    return result;
  }
  if (parsed.ec != std::errc() || parsed.ptr != end) {
    result.error = ParseError::kNotANumber;
    return result;
  }
  if (!std::isfinite(result.value)) result.error = ParseError::kNotFinite;
  return result;
}

}  // namespace accprep
