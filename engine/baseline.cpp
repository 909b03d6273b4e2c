#include "engine/baseline.hpp"

#include <cmath>
#include <string>

#include "engine/engine_error.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

// What the floating-point status would show after an operation: overflow and division by
// zero leave an infinity, an invalid operation a NaN. Testing the result itself is exact and
// does not depend on the compiler keeping status flags in order.
void CheckStatus(double result, double dValue, const char* operation) {
  if (std::isfinite(result)) return;
  const char* what = std::isnan(result) ? "invalid floating-point operation"
                                        : "floating-point overflow";
  throw EngineError(ErrorKind::kArithmetic, std::string(what) + " in " + operation +
                                                " while rounding " + FormatNumber(dValue));
}

}  // namespace

double ToHalfAdjust(double dValue, std::int16_t iDigits) {
  const double scale = std::pow(10.0, static_cast<double>(iDigits));
  double k;
  if (dValue > 0) {
    const double t = dValue * scale + 0.5;
    CheckStatus(t, dValue, "the half adjustment");
    k = std::floor(t);
  } else {
    const double t = dValue * scale - 0.5;
    CheckStatus(t, dValue, "the half adjustment");
    k = std::trunc(t);
  }
  if (scale == 0.0)
    throw EngineError(ErrorKind::kArithmetic,
                      "division by zero while rounding " + FormatNumber(dValue));
  const double result = k / scale;
  CheckStatus(result, dValue, "the division");
  return result;
}

void RemoveBaseline(SampleTable& table, ChannelMeans& means, std::int32_t n) {
  if (n <= 0)
    throw EngineError(ErrorKind::kArithmetic,
                      "no data rows: the record holds no records to average");
  std::int32_t r = 0;
  std::int16_t c = 1;
  try {
    for (c = 1; c <= kChannels; ++c) {
      means[c] = 0.0;
      for (r = 1; r <= n; ++r) means[c] = means[c] + table.at(r, c);
      means[c] = means[c] / static_cast<double>(n);
      for (r = 1; r <= n; ++r) {
        double& cell = table.at(r, c);
        cell = cell - means[c];
        cell = ToHalfAdjust(cell, kKeptDecimals);
      }
    }
  } catch (const EngineError& error) {
    if (error.kind() != ErrorKind::kArithmetic) throw;
    throw EngineError(ErrorKind::kArithmetic, error.reason() + " (row " + std::to_string(r) +
                                                  ", channel " + std::to_string(c) + "ch)");
  }
}

}  // namespace accprep
