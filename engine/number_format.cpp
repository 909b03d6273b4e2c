#include "engine/number_format.hpp"

#include <charconv>
#include <clocale>
#include <cctype>
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
