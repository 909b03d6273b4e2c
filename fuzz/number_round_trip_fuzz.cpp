// Fuzzes the number forms of the output files and the readers' number parser.
//
// Every finite double, taken from the input's first eight bytes, must format to text that
// parses back to the same double: in the point form of the channel CSVs, in locale forms of
// the matrix files (a comma, and a two-byte separator, read back with the separator turned
// into a point) and at 17 significant digits. The text must hold nothing a reader would take
// for a field or line break, and fit the documented bound.
//
// The fixed-precision form's fast path must write what its general conversion writes.
//
// The whole input, taken as text, goes to the parser: whatever it accepts must be finite,
// must be what strtod makes of the same text, and must survive a round trip of its own.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/number_format.hpp"
#include "fuzz/fuzz_check.hpp"

namespace {

using accprep::FormatNumber;
using accprep::FormatSignificant;
using accprep::NumberForm;
using accprep::ParseError;
using accprep::ParseNumber;

std::string Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

// Zero is written "0" whatever its sign, so a negative zero reads back as +0.
bool SameNumber(double a, double b) {
  if (a == 0.0 && b == 0.0) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckRoundTrip(double value, const NumberForm& form, bool significant) {
  char buffer[accprep::kMaxNumberText + 16];
  std::memset(buffer, '#', sizeof buffer);
  char* end =
      significant ? FormatSignificant(buffer, value, 17, form) : FormatNumber(buffer, value, form);
  const std::size_t length = static_cast<std::size_t>(end - buffer);
  ACCPREP_FUZZ_CHECK(length > 0 && length <= static_cast<std::size_t>(accprep::kMaxNumberText),
                     Bits(value) + " gives " + std::to_string(length) + " bytes");
  std::string text(buffer, length);
  // No field or line break of either file kind; a comma only where it is the separator.
  ACCPREP_FUZZ_CHECK(text.find_first_of("\t\r\n \"") == std::string::npos, text);
  ACCPREP_FUZZ_CHECK(form.decimalSeparator == "," || text.find(',') == std::string::npos, text);
  if (form.decimalSeparator != ".") {
    const std::size_t at = text.find(form.decimalSeparator);
    if (at != std::string::npos) text.replace(at, form.decimalSeparator.size(), ".");
  }
  const accprep::ParseResult back = ParseNumber(text);
  ACCPREP_FUZZ_CHECK(back.error == ParseError::kNone, Bits(value) + " as \"" + text + "\"");
  ACCPREP_FUZZ_CHECK(SameNumber(back.value, value),
                     Bits(value) + " as \"" + text + "\" reads back as " + Bits(back.value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const NumberForm kForms[] = {NumberForm::Point(), NumberForm{","}, NumberForm{"\xd9\xab"}};
  if (size >= sizeof(double)) {
    double value = 0.0;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value)) {
      for (const NumberForm& form : kForms) CheckRoundTrip(value, form, false);
      CheckRoundTrip(value, NumberForm::Point(), true);
    }
    // The fast path of the fixed-precision form (the jobs' nine digits above all) must write
    // exactly what the general conversion writes, for every value and every precision.
    const int digits = size > sizeof(double) ? 1 + data[sizeof(double)] % 17 : 9;
    for (const NumberForm& form : kForms) {
      char fast[accprep::kMaxNumberText];
      char exact[accprep::kMaxNumberText];
      const std::string fastText(fast, FormatSignificant(fast, value, digits, form));
      const std::string exactText(
          exact, accprep::detail::FormatSignificantExact(exact, value, digits, form));
      ACCPREP_FUZZ_CHECK(fastText == exactText, Bits(value) + " at " + std::to_string(digits) +
                                                    " digits: \"" + fastText + "\", not \"" +
                                                    exactText + "\"");
    }
  }

  const std::string text(reinterpret_cast<const char*>(data), size);
  const accprep::ParseResult parsed = ParseNumber(text);
  if (parsed.error != ParseError::kNone) return 0;
  ACCPREP_FUZZ_CHECK(std::isfinite(parsed.value), "accepted \"" + text + "\" as non-finite");
  ACCPREP_FUZZ_CHECK(text.find('\0') == std::string::npos, "accepted a NUL byte");
  char* strtodEnd = nullptr;
  const double reference = std::strtod(text.c_str(), &strtodEnd);
  ACCPREP_FUZZ_CHECK(strtodEnd == text.c_str() + text.size(),
                     "accepted \"" + text + "\", which strtod does not take whole");
  ACCPREP_FUZZ_CHECK(
      std::memcmp(&reference, &parsed.value, sizeof reference) == 0,
      "\"" + text + "\" parses to " + Bits(parsed.value) + ", strtod gives " + Bits(reference));
  for (const NumberForm& form : kForms) CheckRoundTrip(parsed.value, form, false);
  return 0;
}
