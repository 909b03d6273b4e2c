#include "jobs/result_number.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/number_format.hpp"

namespace accprep {
namespace {

constexpr int kDigits = 9;
// The engine's notation: plain for leading-digit exponents -5..14, exponent form outside.
constexpr int kLowestPlainExponent = -5;
constexpr int kFirstExponentForm = 15;
// 10^0..10^22 are exact doubles; the scale 10^(8-k) must be one of them (or its divisor).
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr double kLowestFast = 1e-14;
constexpr double kBeyondFast = 1e30;
constexpr double kTieMargin = 1e-6;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* Engine(char* out, double value) {
  return FormatSignificant(out, value, kDigits, NumberForm::Point());
}

// magnitude * 10^(8 - k) with a single rounding; |8 - k| <= 22 in the fast range.
double Scale(double magnitude, int k) {
  const int shift = kDigits - 1 - k;
  return shift >= 0 ? magnitude * kExactPowers[shift] : magnitude / kExactPowers[-shift];
}

}  // namespace

char* FormatResultNumber(char* out, double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude >= kLowestFast && magnitude < kBeyondFast)) return Engine(out, value);

  // Decimal exponent k of the leading digit: estimated from the binary exponent (bits 52..62;
  // the fast range has no subnormals), then set right by where the scaled value lands.
  const int binaryExponent = static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7ff) - 1023;
  int k = (binaryExponent * 78913) >> 18;  // floor(binaryExponent * log10(2)), |exp| < 1100
  double scaled = Scale(magnitude, k);
  if (scaled >= 1e9) {
    scaled = Scale(magnitude, ++k);
  } else if (scaled < 1e8) {
    scaled = Scale(magnitude, --k);
  }
  if (!(scaled >= 1e8 && scaled < 1e9)) return Engine(out, value);

  // The conversion truncates, which for a positive value is the floor.
  auto mantissa = static_cast<std::uint32_t>(scaled);
  const double fraction = scaled - static_cast<double>(mantissa);
  if (std::fabs(fraction - 0.5) < kTieMargin) return Engine(out, value);
  if (fraction > 0.5) ++mantissa;
  if (mantissa == 1000000000u) {  // 999999999.5 and up carry into the next decade
    mantissa = 100000000u;
    ++k;
  }

  char digits[kDigits];
  digits[0] = static_cast<char>('0' + mantissa / 100000000u);
  std::uint32_t rest = mantissa % 100000000u;
  for (int i = 7; i >= 1; i -= 2) {
    std::memcpy(digits + i, kDigitPairs + 2 * (rest % 100), 2);
    rest /= 100;
  }
  int count = kDigits;
  while (count > 1 && digits[count - 1] == '0') --count;

  if (value < 0) *out++ = '-';
  if (k < kLowestPlainExponent || k >= kFirstExponentForm) {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      std::memcpy(out, digits + 1, count - 1);
      out += count - 1;
    }
    *out++ = 'e';
    *out++ = k < 0 ? '-' : '+';
    const int exponent = k < 0 ? -k : k;  // at most 30 in the fast range
    *out++ = static_cast<char>('0' + exponent / 10);
    *out++ = static_cast<char>('0' + exponent % 10);
    return out;
  }
  if (k < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > k; --i) *out++ = '0';
    std::memcpy(out, digits, count);
    return out + count;
  }
  const int integerDigits = k + 1;
  for (int i = 0; i < integerDigits; ++i) *out++ = i < count ? digits[i] : '0';
  if (count > integerDigits) {
    *out++ = '.';
    std::memcpy(out, digits + integerDigits, count - integerDigits);
    out += count - integerDigits;
  }
  return out;
}

}  // namespace accprep
