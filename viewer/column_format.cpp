#include "viewer/column_format.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace accprep {
namespace {
constexpr int kMostDecimals = 12;
constexpr int kMostStepDecimals = 9;
}  // namespace

int ColumnDecimals(std::span<const double> values, int significant) {
  double largest = 0.0;
  for (double value : values) {
    if (std::isfinite(value)) largest = std::max(largest, std::fabs(value));
  }
  if (largest == 0.0) return std::clamp(significant - 1, 0, kMostDecimals);
  // The digits before the point of the largest value once rounded: 9.9996 shows as 10.00.
  int magnitude = static_cast<int>(std::floor(std::log10(largest)));
  const int decimals = std::clamp(significant - 1 - magnitude, 0, kMostDecimals);
  const double scale = std::pow(10.0, decimals);
  if (std::round(largest * scale) >= std::pow(10.0, significant) && decimals > 0) {
    ++magnitude;
  }
  return std::clamp(significant - 1 - magnitude, 0, kMostDecimals);
}

int StepDecimals(double step) {
  if (!(step > 0.0) || !std::isfinite(step)) return 0;
  for (int decimals = 0; decimals < kMostStepDecimals; ++decimals) {
    const double scaled = step * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, scaled)) return decimals;
  }
  return kMostStepDecimals;
}

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result(text);
  // "-0.00": a small negative value rounded to zero is zero.
  if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos) {
    result.erase(0, 1);
  }
  return result;
}

}  // namespace accprep
