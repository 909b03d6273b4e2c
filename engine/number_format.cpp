#include "engine/number_format.hpp"

#include <langinfo.h>
#include <locale.h>
#include <bit>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace accprep {
namespace {

// Plain notation covers exponents -5..14 of the leading digit; outside it, exponent form.
constexpr int kLowestPlainExponent = -5;
constexpr int kFirstExponentForm = 15;
constexpr std::size_t kMaxSeparator = 8;

char* Append(char* out, const std::string& text) {
  if (text.size() == 1) {  // the usual point or comma
    *out = text[0];
    return out + 1;
  }
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of 0 < value < 10^count, exactly `count` of them, two at a time.
void WriteDigits(char* digits, std::uint64_t value, int count) {
  if (count == 9) {
    // The results' nine digits, as two independent halves of 32-bit arithmetic rather than
    // one chain of divisions.
    const auto whole = static_cast<std::uint32_t>(value);
    const std::uint32_t last8 = whole % 100000000;
    const std::uint32_t high = last8 / 10000;
    const std::uint32_t low = last8 % 10000;
    digits[0] = static_cast<char>('0' + whole / 100000000);
    std::memcpy(digits + 1, kDigitPairs + 2 * (high / 100), 2);
    std::memcpy(digits + 3, kDigitPairs + 2 * (high % 100), 2);
    std::memcpy(digits + 5, kDigitPairs + 2 * (low / 100), 2);
    std::memcpy(digits + 7, kDigitPairs + 2 * (low % 100), 2);
    return;
  }
  int i = count;
  while (i >= 2) {
    i -= 2;
    std::memcpy(digits + i, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
  }
  if (i == 1) digits[0] = static_cast<char>('0' + value);
}

// Lays out `count` significant digits (no trailing zeros but for a lone "0") whose leading
// digit has decimal exponent `exponent`, in our notation.
char* LayoutDigits(char* out, bool negative, const char* digits, int count, int exponent,
                   const NumberForm& form) {
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

// Lays out a scientific text "[-]d[.ddd]e±XX" (as std::to_chars writes it) in our notation.
// Trailing zeros of the mantissa are dropped first, so a fixed precision reads like shortest.
char* Layout(char* out, const char* sci, const char* sciEnd, const NumberForm& form) {
  const char* p = sci;
  const bool negative = (*p == '-');
  if (negative) ++p;
  const char* ePos = static_cast<const char*>(std::memchr(p, 'e', sciEnd - p));
  char digits[24];
  int count = 0;
  for (const char* q = p; q < ePos; ++q)
    if (*q != '.') digits[count++] = *q;
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = 0;
  std::from_chars(ePos + 1 + (ePos[1] == '+'), sciEnd, exponent);
  return LayoutDigits(out, negative, digits, count, exponent, form);
}

// Rounding to a few significant digits without the general conversion, which costs several
// times as much (a job writes some 40 million such values). The magnitude is scaled by an
// exact power of ten so that its n digits form the integer part. That single rounded product
// lies within 10^n * 2^-53 (below 1.2e-7 for n <= 9) of the exact one, so wherever the
// fraction is not within 1e-6 of one half, rounding it rounds the exact value the same way.
// Near-ties, magnitudes outside 1e-14..1e30 and scales that are no exact power go the
// general way. Returns nullptr when it does not apply.
constexpr int kFastSignificant = 9;
constexpr double kTieMargin = 1e-6;

// The rounding itself: magnitude to `significantDigits` digits as an integer mantissa in
// [10^(n-1), 10^n) and the decimal exponent k of its leading digit. False where it does not
// apply (see above).
bool RoundToSignificant(double magnitude, int significantDigits, std::uint64_t& mantissa, int& k) {
  if (significantDigits > kFastSignificant || !(magnitude >= 1e-14 && magnitude < 1e30))
    return false;
  // Decimal exponent of the leading digit, estimated from the binary exponent and then set
  // right by where the scaled value lands. Millions of values of every size pass here, so the
  // corrections are arithmetic, not branches the processor would guess wrong half the time.
  const int binaryExponent =
      static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7ff) - 1023;
  k = (binaryExponent * 78913) >> 18;  // floor(binaryExponent * log10(2))
  const double low = kExactPowersOfTen[significantDigits - 1];
  const double high = kExactPowersOfTen[significantDigits];
  auto scale = [&](int exponent) {
    const int shift = significantDigits - 1 - exponent;
    return shift >= 0 ? magnitude * kExactPowersOfTen[shift]
                      : magnitude / kExactPowersOfTen[-shift];
  };
  // The estimate is k or one below it (or one above, where the product rounds below the
  // decade): every shift tried must stay within the table.
  const int shift = significantDigits - 1 - k;
  if (shift + 1 > kLargestExactPowerOfTen || shift - 1 < -kLargestExactPowerOfTen) return false;
  const double estimate = scale(k);
  k += static_cast<int>(estimate >= high) - static_cast<int>(estimate < low);
  const double scaled = scale(k);
  if (!(scaled >= low && scaled < high)) return false;

  // Rounding to the nearest integer by adding and taking away 2^52; an exact half would round
  // to even, but halves and near-halves are left to the general conversion anyway.
  const double truncated = static_cast<double>(static_cast<std::uint64_t>(scaled));
  if (std::fabs(scaled - truncated - 0.5) < kTieMargin) return false;
  mantissa = static_cast<std::uint64_t>((scaled + 0x1p52) - 0x1p52);
  if (static_cast<double>(mantissa) == high) {  // 9.99...95 and up carry into the next decade
    mantissa = static_cast<std::uint64_t>(low);
    ++k;
  }
  return true;
}

// The layouts below build text in 64-bit words, the first character in the lowest byte.
static_assert(std::endian::native == std::endian::little);

// The digits of 0 <= value < 10^8, one a byte (0..9, not yet characters), the leading one in
// the lowest byte, as they stand in memory: the divisions by 10^4, 10^2 and 10 are done on all
// parts at once, each part in a lane of its own of one 64-bit word.
std::uint64_t EightDigitBytes(std::uint32_t value) {
  const std::uint64_t halves = (value / 10000) | (std::uint64_t{value % 10000} << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t quarters = hundreds | ((halves - hundreds * 100) << 16);
  const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000FULL;
  return tens | ((quarters - tens * 10) << 8);
}

// "0", the separator and six more "0": the start of a number below 1, in a word.
std::uint64_t PointAndZeros(unsigned char separator) {
  return 0x3030303030300030ULL | (std::uint64_t{separator} << 8);
}

// The plain layouts of a nine-digit mantissa with a one-byte separator: tens of millions of
// job results take this way. The digits stay in registers and go to `out` in a few
// overlapping stores, never through memory that is read back (a load of bytes stored
// separately just before waits for the stores to drain). The caller's buffer has room for
// kMaxNumberText bytes, of which up to 18 may be written here past what is returned. nullptr
// for the layouts LayoutDigits writes: the exponent form and integers of over nine digits.
char* LayoutNineDigits(char* out, bool negative, std::uint64_t mantissa, int k, char separator) {
  if (k < kLowestPlainExponent || k > 8) return nullptr;
  const auto whole = static_cast<std::uint32_t>(mantissa);
  const std::uint64_t tail = EightDigitBytes(whole % 100000000);
  // Zeros at the end of the nine digits are the zero bytes at the top of the last eight.
  const int count = 9 - (tail == 0 ? 8 : __builtin_clzll(tail) / 8);
  const char lead = static_cast<char>('0' + whole / 100000000);
  const std::uint64_t rest = tail | 0x3030303030303030ULL;
  *out = '-';
  out += negative;
  if (k < 0) {  // "0." and -1-k zeros, then the digits
    const std::uint64_t zeros = PointAndZeros(static_cast<unsigned char>(separator));
    std::memcpy(out, &zeros, 8);
    const int prefix = 1 - k;
    out[prefix] = lead;
    std::memcpy(out + prefix + 1, &rest, 8);
    return out + prefix + count;
  }
  // All nine digits, then the separator after k + 1 of them and the digits after it again,
  // one place on.
  const int integerDigits = k + 1;
  out[0] = lead;
  std::memcpy(out + 1, &rest, 8);
  out[integerDigits] = separator;
  const std::uint64_t fraction = rest >> (8 * ((integerDigits - 1) & 7));
  std::memcpy(out + integerDigits + 1, &fraction, 8);
  return out + (count > integerDigits ? count + 1 : integerDigits);
}

char* LayoutMantissa(char* out, bool negative, std::uint64_t mantissa, int significantDigits, int k,
                     const NumberForm& form) {
  if (significantDigits == 9 && form.decimalSeparator.size() == 1) {
    if (char* end = LayoutNineDigits(out, negative, mantissa, k, form.decimalSeparator[0]))
      return end;
  }
  char digits[24];
  WriteDigits(digits, mantissa, significantDigits);
  int count = significantDigits;
  while (count > 1 && digits[count - 1] == '0') --count;
  return LayoutDigits(out, negative, digits, count, k, form);
}

char* FormatFewSignificant(char* out, double value, int significantDigits, const NumberForm& form) {
  std::uint64_t mantissa = 0;
  int k = 0;
  if (!RoundToSignificant(std::fabs(value), significantDigits, mantissa, k)) return nullptr;
  return LayoutMantissa(out, value < 0, mantissa, significantDigits, k, form);
}

// The shortest digits of a value that nine digits hold, as the job results' values are: round
// to nine digits and keep them if they read back to the value. A shorter text that reads back
// would lie within half a unit in the last place of the value, far inside half a unit of the
// ninth digit, so the nine-digit rounding is that text with zeros appended, which are dropped.
// The read back is exact: mantissa and power are exact doubles, so one multiplication or
// division rounds the decimal correctly, as a reader does.
char* FormatShortestInNineDigits(char* out, double value, const NumberForm& form) {
  const double magnitude = std::fabs(value);
  std::uint64_t mantissa = 0;
  int k = 0;
  if (!RoundToSignificant(magnitude, kFastSignificant, mantissa, k)) return nullptr;
  const int shift = k - (kFastSignificant - 1);
  if (shift > kLargestExactPowerOfTen || shift < -kLargestExactPowerOfTen) return nullptr;
  const double back = shift >= 0 ? static_cast<double>(mantissa) * kExactPowersOfTen[shift]
                                 : static_cast<double>(mantissa) / kExactPowersOfTen[-shift];
  if (back != magnitude) return nullptr;
  return LayoutMantissa(out, value < 0, mantissa, kFastSignificant, k, form);
}

// Most values in our files have few decimals (channel values rounded to four, times to two):
// find the fewest decimals d <= 8 for which m / 10^d gives back the value, m an integer, and
// write m with d decimals. For 1e-5 <= |v| < 1e6 these digits are exactly the shortest ones:
// the quotient is correctly rounded, so the text reads back to v; a spacing of doubles far
// below 10^-d makes m the only candidate; and the product v * 10^d lies well within 0.5 of m,
// so rounding it finds m. Outside that range, or with more decimals, the general path runs.
constexpr int kFastDecimals = 8;

// Writes m / 10^d, m > 0 an integer below 1e14, d <= 8. Up to eight digits and a one-byte
// separator, as the channel values have, are laid out in registers like LayoutNineDigits;
// up to 17 bytes may be written past the returned end.
char* LayoutDecimal(char* out, std::uint64_t m, int d, bool negative, const NumberForm& form) {
  if (m < 100000000 && form.decimalSeparator.size() == 1) {
    const std::uint64_t bytes = EightDigitBytes(static_cast<std::uint32_t>(m));
    const int leadingZeros = __builtin_ctzll(bytes) / 8;  // m > 0: some byte is not zero
    const int count = 8 - leadingZeros;
    const std::uint64_t text = (bytes | 0x3030303030303030ULL) >> (8 * leadingZeros);
    const auto separator = static_cast<unsigned char>(form.decimalSeparator[0]);
    *out = '-';
    out += negative;
    const int integerDigits = count - d;
    if (integerDigits <= 0) {  // "0.", zeros, the digits
      const std::uint64_t zeros = PointAndZeros(separator);
      std::memcpy(out, &zeros, 8);
      std::memcpy(out + 2 - integerDigits, &text, 8);
      return out + 2 - integerDigits + count;
    }
    std::memcpy(out, &text, 8);
    if (d == 0) return out + count;
    out[integerDigits] = static_cast<char>(separator);
    const std::uint64_t fraction = text >> (8 * integerDigits);
    std::memcpy(out + integerDigits + 1, &fraction, 8);
    return out + count + 1;
  }
  char digits[24];
  const int count = static_cast<int>(std::to_chars(digits, digits + sizeof digits, m).ptr - digits);
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

// The four decimals the channel values are rounded to are tried first. A value that has
// fewer decimals has four as well, and m / 10^4 then ends in as many zeros as decimals are
// spare: both decimals read as the one double, so v * 10^4 rounds to the longer one. So
// when four decimals give the value back, its fewest are four less m's zeros at the end; when
// they do not, fewer cannot either, and five to eight are tried.
constexpr int kFirstTriedDecimals = 4;

char* FormatFewDecimals(char* out, double magnitude, bool negative, const NumberForm& form) {
  // Adding and taking away 2^52 rounds to an integer (the product stays below 1e14).
  const double power = kExactPowersOfTen[kFirstTriedDecimals];
  const double four = (magnitude * power + 0x1p52) - 0x1p52;
  if (four / power == magnitude && four > 0.0) {
    auto m = static_cast<std::uint64_t>(four);
    int d = kFirstTriedDecimals;
    while (d > 0 && m % 10 == 0) {
      m /= 10;
      --d;
    }
    return LayoutDecimal(out, m, d, negative, form);
  }
  for (int d = kFirstTriedDecimals + 1; d <= kFastDecimals; ++d) {
    const double scaled = (magnitude * kExactPowersOfTen[d] + 0x1p52) - 0x1p52;
    if (scaled / kExactPowersOfTen[d] != magnitude) continue;
    return LayoutDecimal(out, static_cast<std::uint64_t>(scaled), d, negative, form);
  }
  return nullptr;
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
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    *out++ = '0';
    return out;
  }
  if (magnitude >= 1e-5 && magnitude < 1e6) {
    if (char* end = FormatFewDecimals(out, magnitude, value < 0, form)) return end;
  }
  if (char* end = FormatShortestInNineDigits(out, value, form)) return end;
  return detail::FormatNumberExact(out, value, form);
}

char* FormatSignificant(char* out, double value, int significantDigits, const NumberForm& form) {
  if (!std::isfinite(value)) return FormatNonFinite(out, value);
  if (significantDigits < 1) significantDigits = 1;
  if (significantDigits > 17) significantDigits = 17;
  if (char* end = FormatFewSignificant(out, value, significantDigits, form)) return end;
  return detail::FormatSignificantExact(out, value, significantDigits, form);
}

namespace detail {

char* FormatNumberExact(char* out, double value, const NumberForm& form) {
  if (!std::isfinite(value)) return FormatNonFinite(out, value);
  char sci[32];
  const auto result = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
  return Layout(out, sci, result.ptr, form);
}

char* FormatSignificantExact(char* out, double value, int significantDigits,
                             const NumberForm& form) {
  if (!std::isfinite(value)) return FormatNonFinite(out, value);
  char sci[40];
  const auto result = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific,
                                    significantDigits - 1);
  return Layout(out, sci, result.ptr, form);
}

}  // namespace detail

std::string FormatNumber(double value, const NumberForm& form) {
  char text[kMaxNumberText];
  return std::string(text, FormatNumber(text, value, form));
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Fifteen significant digits and fewer read back unchanged from any normal double they stand
// for: no two such decimals read as one double. Digits laid out as FormatNumber lays them out
// are then the value's shortest, with no conversion to tell; longer ones and subnormals
// (below about 1e-308, where doubles thin out) go to FormatNumber itself.
constexpr int kSafeSignificantDigits = 15;
constexpr int kLowestSafeExponent = -300;

// The layout half of IsCanonicalNumberText, past a minus sign: whether `text` is laid out as
// FormatNumber lays out a value other than zero, with its significant digits and the decimal
// exponent of its leading digit.
bool IsCanonicalLayout(const char* p, const char* end, int& significant, int& exponent) {
  const char* e = static_cast<const char*>(std::memchr(p, 'e', end - p));
  if (e == nullptr) {  // plain: "d", "ddd.dd", "0.000dd"
    const char* point = static_cast<const char*>(std::memchr(p, '.', end - p));
    const char* integerEnd = point != nullptr ? point : end;
    if (integerEnd == p) return false;                                           // ".5"
    if (point != nullptr && (point + 1 == end || end[-1] == '0')) return false;  // "5." "0.50"
    for (const char* c = p; c < end; ++c) {
      if (!IsDigit(*c) && c != point) return false;
    }
    if (*p == '0') {  // below 1: "0." and at most four zeros before the digits
      if (integerEnd - p != 1 || point == nullptr) return false;  // "05", or zero itself
      const char* digit = point + 1;
      while (digit < end && *digit == '0') ++digit;
      const auto zeros = static_cast<int>(digit - (point + 1));
      if (digit == end || zeros > -kLowestPlainExponent - 1) return false;
      exponent = -(zeros + 1);
      significant = static_cast<int>(end - digit);
      return true;
    }
    exponent = static_cast<int>(integerEnd - p) - 1;
    if (exponent >= kFirstExponentForm) return false;
    if (point != nullptr) {
      significant = static_cast<int>(end - p) - 1;
    } else {
      const char* last = end;  // an integer's zeros at its end are no digits of its own
      while (last[-1] == '0') --last;
      significant = static_cast<int>(last - p);
    }
    return true;
  }
  // Exponent form: one digit other than zero, the others after a point without a zero at
  // their end, 'e', a sign and two digits or more (no leading zero beyond two).
  if (e - p < 1 || *p < '1' || *p > '9') return false;
  if (e - p > 1) {
    if (p[1] != '.' || e - p < 3 || e[-1] == '0') return false;
    for (const char* c = p + 2; c < e; ++c) {
      if (!IsDigit(*c)) return false;
    }
  }
  significant = e - p > 1 ? static_cast<int>(e - p) - 1 : 1;
  const char* sign = e + 1;
  if (sign >= end || (*sign != '+' && *sign != '-')) return false;
  const char* digits = sign + 1;
  if (end - digits < 2 || (end - digits > 2 && *digits == '0') || end - digits > 3) return false;
  exponent = 0;
  for (const char* c = digits; c < end; ++c) {
    if (!IsDigit(*c)) return false;
    exponent = exponent * 10 + (*c - '0');
  }
  if (*sign == '-') exponent = -exponent;
  return exponent < kLowestPlainExponent || exponent >= kFirstExponentForm;
}

}  // namespace

bool IsCanonicalNumberText(std::string_view text, double value) {
  if (!std::isfinite(value) || text.empty()) return false;
  if (value == 0.0) return text == "0";
  const char* p = text.data();
  const char* const end = p + text.size();
  if ((*p == '-') != (value < 0.0)) return false;
  if (*p == '-') ++p;
  int significant = 0;
  int exponent = 0;
  if (p == end || !IsCanonicalLayout(p, end, significant, exponent)) return false;
  if (significant <= kSafeSignificantDigits && exponent >= kLowestSafeExponent) return true;
  char written[kMaxNumberText];
  return text == std::string_view(written, FormatNumber(written, value, NumberForm::Point()));
}

bool IsCanonicalNumberText(std::string_view text) {
  const ParseResult parsed = ParseNumber(text);
  return parsed.error == ParseError::kNone && IsCanonicalNumberText(text, parsed.value);
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
  const bool startsLikeNumber =
      (*begin >= '0' && *begin <= '9') || *begin == '.' || (*begin == '-' && begin + 1 < end);
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
