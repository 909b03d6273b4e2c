#include "measures/peak_search.hpp"

namespace accprep {

Peak FindPeak(std::span<const double> values, std::span<const double> times) {
  PeakSearch search;
  for (std::size_t i = 0; i < values.size(); ++i) search.Add(values[i], times[i]);
  return search.peak();
}

}  // namespace accprep
