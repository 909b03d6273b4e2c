#pragma once
// A measure of values near the double range (1e300 gal) overflows to inf or NaN; written as a
// result it would pass for one. Every headless table checks its values here before it writes.

#include <initializer_list>
#include <span>
#include <string>

namespace accprep {

// Throws DataError kArithmetic "<measure> is beyond the range of numbers: the record's values
// are too large" naming `path` (the acceleration file) when `value` is not finite.
void RequireFinite(double value, const std::string& measure, const std::string& path);
// The same for each of `values`.
void RequireFinite(std::span<const double> values, const std::string& measure,
                   const std::string& path);
inline void RequireFinite(std::initializer_list<double> values, const std::string& measure,
                          const std::string& path) {
  RequireFinite(std::span<const double>(values.begin(), values.size()), measure, path);
}

}  // namespace accprep
