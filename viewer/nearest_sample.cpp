#include "viewer/nearest_sample.hpp"

#include <algorithm>
#include <cmath>

namespace accprep {

std::optional<std::size_t> NearestSample(std::span<const double> keys, double key, bool logScale) {
  if (std::isnan(key)) return std::nullopt;
  std::size_t first = 0;
  if (logScale) {
    // Zero and negative keys lead an ascending series (a spectrum's zero frequency).
    first =
        static_cast<std::size_t>(std::upper_bound(keys.begin(), keys.end(), 0.0) - keys.begin());
  }
  if (first >= keys.size()) return std::nullopt;
  if (logScale && !(key > 0.0)) return first;
  const auto distance = [logScale](double a, double b) {
    return logScale ? std::fabs(std::log(a) - std::log(b)) : std::fabs(a - b);
  };
  const auto at =
      std::lower_bound(keys.begin() + static_cast<std::ptrdiff_t>(first), keys.end(), key);
  const std::size_t after = static_cast<std::size_t>(at - keys.begin());
  if (after == first) return first;
  std::size_t before = after - 1;
  if (after < keys.size() && distance(keys[before], key) > distance(keys[after], key)) {
    return after;
  }
  while (before > first && keys[before - 1] == keys[before]) --before;  // the earliest of equals
  return before;
}

}  // namespace accprep
