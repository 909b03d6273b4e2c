#include "viewer/finite_result.hpp"

#include <algorithm>
#include <cmath>

#include "engine/data_error.hpp"

namespace accprep {

void RequireFinite(double value, const std::string& measure, const std::string& path) {
  if (std::isfinite(value)) return;
  throw DataError(DataErrorKind::kArithmetic,
                  measure + " is beyond the range of numbers: the record's values are too large",
                  path);
}

void RequireFinite(std::span<const double> values, const std::string& measure,
                   const std::string& path) {
  if (std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) return;
  RequireFinite(INFINITY, measure, path);
}

}  // namespace accprep
