#include "measures/intensity_scale.hpp"

#include <algorithm>
#include <cmath>

#include "engine/number_format.hpp"

namespace accprep {

double ReportedIntensity(double computed) {
  if (!std::isfinite(computed)) return computed;
  char text[kMaxNumberText];
  const char* const end = FormatNumber(text, std::fabs(computed), NumberForm::Point());
  // Exponent form means below 1e-5 here (an intensity cannot reach 1e15): it reports 0.
  if (std::find(static_cast<const char*>(text), end, 'e') != end) return 0.0;
  long long whole = 0;
  const char* p = text;
  for (; p != end && *p != '.'; ++p) whole = whole * 10 + (*p - '0');
  int decimals[3] = {0, 0, 0};
  if (p != end) ++p;
  for (int i = 0; i < 3 && p != end; ++i, ++p) decimals[i] = *p - '0';
  const long long hundredths =
      whole * 100 + decimals[0] * 10 + decimals[1] + (decimals[2] >= 5 ? 1 : 0);
  const long long tenths = hundredths / 10;
  const double magnitude = static_cast<double>(tenths) / 10.0;
  return computed < 0.0 && tenths != 0 ? -magnitude : magnitude;
}

IntensityClass IntensityClassOf(double reported) {
  // Compared in whole tenths: a reported value is a multiple of 0.1 that 4.5 or 5.5 hits
  // exactly, but 0.1 steps in binary do not, and a class must not hinge on that.
  if (!(reported >= 0.5)) return IntensityClass::k0;
  const long long tenths = std::llround(std::min(reported, 100.0) * 10.0);
  static constexpr struct {
    long long from;
    IntensityClass intensityClass;
  } kBounds[] = {
      {65, IntensityClass::k7},      {60, IntensityClass::k6Upper}, {55, IntensityClass::k6Lower},
      {50, IntensityClass::k5Upper}, {45, IntensityClass::k5Lower}, {35, IntensityClass::k4},
      {25, IntensityClass::k3},      {15, IntensityClass::k2},      {5, IntensityClass::k1}};
  for (const auto& bound : kBounds) {
    if (tenths >= bound.from) return bound.intensityClass;
  }
  return IntensityClass::k0;
}

std::string_view IntensityClassName(IntensityClass intensityClass) {
  switch (intensityClass) {
    case IntensityClass::k0:
      return "0";
    case IntensityClass::k1:
      return "1";
    case IntensityClass::k2:
      return "2";
    case IntensityClass::k3:
      return "3";
    case IntensityClass::k4:
      return "4";
    case IntensityClass::k5Lower:
      return "5弱";
    case IntensityClass::k5Upper:
      return "5強";
    case IntensityClass::k6Lower:
      return "6弱";
    case IntensityClass::k6Upper:
      return "6強";
    case IntensityClass::k7:
      return "7";
  }
  return {};
}

std::string_view IntensityClassCode(IntensityClass intensityClass) {
  switch (intensityClass) {
    case IntensityClass::k5Lower:
      return "5-";
    case IntensityClass::k5Upper:
      return "5+";
    case IntensityClass::k6Lower:
      return "6-";
    case IntensityClass::k6Upper:
      return "6+";
    default:
      return IntensityClassName(intensityClass);
  }
}

}  // namespace accprep
