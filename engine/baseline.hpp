#pragma once
// Baseline removal and half-adjust rounding of the acceleration record: every channel is
// shifted so that its mean over the record is zero, then rounded half away from zero to four
// decimals. The time column, the trailing columns and row 0 are never touched.

#include <cstdint>

#include "engine/sample_table.hpp"

namespace accprep {

inline constexpr std::int16_t kKeptDecimals = 4;

// Rounds dValue half away from zero at iDigits decimals, in exactly these double operations:
// scale = 10^iDigits; if dValue > 0: k = floor(dValue * scale + 0.5), else
// k = trunc(dValue * scale - 0.5); result k / scale. The product is a rounded double, so a
// decimal half a double cannot hold may fall either way (0.00015 gives 0.0001). Zero and
// values just above -0.5 units give a zero carrying the minus sign.
// Throws DataError kArithmetic naming the value when the half-adjusted product or the
// quotient overflows, is invalid (NaN) or divides by zero.
double ToHalfAdjust(double dValue, std::int16_t iDigits);

// For each channel c = 1..40 in turn: means[c] = plain running sum of rows 1..n in row order,
// divided by n; then each cell of rows 1..n becomes ToHalfAdjust(cell - means[c], 4).
// Throws DataError kArithmetic: "no data rows" for n <= 0, before any cell changes; a
// rounding failure names the value, the row and the channel.
void RemoveBaseline(SampleTable& table, ChannelMeans& means, std::int32_t n);

}  // namespace accprep
