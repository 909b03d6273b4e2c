#pragma once
// The sample a reading refers to: the cursor stands between samples, and a reading of the
// record must give a value the record holds, not the height of the mouse.

#include <cstddef>
#include <optional>
#include <span>

namespace accprep {

// The index of the key nearest to `key` in `keys` (ascending, as times and frequencies are),
// the earlier on a tie; none for no keys or a key that is not a number. With `logScale` the
// distance is taken between logarithms, as a log axis shows it; keys that are not positive
// are then never nearest (none when no key is positive).
std::optional<std::size_t> NearestSample(std::span<const double> keys, double key,
                                         bool logScale = false);

}  // namespace accprep
