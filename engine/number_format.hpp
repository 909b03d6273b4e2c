#pragma once
// The two number-to-text forms of the output files, and the number parser of the readers.
//
// Text form: the shortest digits that read back to the same double; plain decimal notation
// for magnitudes from 1e-5 up to below 1e15 ("0.1235", "-0.0762", "12.5", "100000"), exponent
// form outside it ("1.5e-07", "2e+15"); zero, negative zero included, is "0". The channel CSVs
// always use a point; the matrix files use the decimal separator of the user's numeric locale.
// Neither form uses digit grouping, blanks or quotes.

#include <string>
#include <string_view>
#include <system_error>

namespace accprep {

// Large enough for any double in either form with a separator of up to 8 bytes.
inline constexpr int kMaxNumberText = 40;

// 10^0 .. 10^22, each a double exactly: the powers the exact fast paths of the number forms and
// of the reader may scale by without a rounding of their own.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kLargestExactPowerOfTen = 22;

struct NumberForm {
  std::string decimalSeparator = ".";

  // The point form of the channel CSVs.
  static NumberForm Point();
  // The separator of LC_NUMERIC as the environment sets it (LC_ALL, LC_NUMERIC, LANG), looked
  // up once per call; "." when the environment names no usable locale.
  static NumberForm FromEnvironment();
};

// Writes the text of `value` at `out` (at least kMaxNumberText bytes) and returns the end.
// Never fails and never allocates. Non-finite values, which no reader lets in, come out as
// "nan", "inf" or "-inf".
char* FormatNumber(char* out, double value, const NumberForm& form);

// As FormatNumber, but rounded to `significantDigits` (1..17) significant digits first, with
// trailing zeros dropped: 9 digits give "0.123456789", "12.5" or "1.23456789e-06".
char* FormatSignificant(char* out, double value, int significantDigits, const NumberForm& form);

namespace detail {
// FormatNumber through the general shortest conversion only, without its exact fast paths.
char* FormatNumberExact(char* out, double value, const NumberForm& form);
// FormatSignificant through the general conversion only; FormatSignificant takes a faster
// exact path for up to 9 digits. For tests that hold the two against each other.
char* FormatSignificantExact(char* out, double value, int significantDigits,
                             const NumberForm& form);
}  // namespace detail

// Convenience for tests and messages.
std::string FormatNumber(double value, const NumberForm& form = NumberForm::Point());

// True when `text` is exactly what FormatNumber writes in the point form for `value`, the
// finite value the text reads as (ParseNumber's): "0" alone for zero; otherwise an optional
// minus, the shortest digits without leading or trailing zeros, plain from 1e-5 up to below
// 1e15 and in the exponent form outside. Such text is a written row's own: a reader that meets
// it can pass it on instead of formatting the value again. Never allocates.
bool IsCanonicalNumberText(std::string_view text, double value);
// The same for text that still has to be read; false for anything that is no finite number.
bool IsCanonicalNumberText(std::string_view text);

enum class ParseError {
  kNone,
  kEmpty,       // nothing between the separators
  kNotANumber,  // not the syntax of a decimal number, or trailing characters after it
  kNotFinite,   // "nan", "inf" or a number beyond the double range
};

struct ParseResult {
  double value = 0.0;
  ParseError error = ParseError::kNone;
};

// Parses the whole of `text` (no blanks around it) as a decimal number: optional sign, digits
// with an optional decimal point, optional exponent. A number too small for a double becomes
// 0 or a subnormal, as the nearest double; one too large is kNotFinite. Never allocates.
ParseResult ParseNumber(std::string_view text);

}  // namespace accprep
