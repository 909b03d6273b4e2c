#pragma once
// One number form per column of a table on screen: a column of peaks or measures is read
// down, so every value in it shows the same decimals (a PGA of 12.35 above one of 3.10, not
// 12.3456 above 3.1), and times show the decimals of the sampling step.

#include <span>
#include <string>

namespace accprep {

// The decimals that give the column's largest magnitude `significant` significant digits
// (0 for large values, at most 12). Values that are not finite are left out; a column of
// zeros, or none, takes `significant` - 1 decimals.
int ColumnDecimals(std::span<const double> values, int significant);

// The decimals that write every multiple of `step` (a sampling interval) exactly: 2 for
// 0.01 s, 3 for 0.005 s, 0 for 1 s; at most 9, which also covers a step that is no short
// decimal (1/3 s).
int StepDecimals(double step);

// `value` with `decimals` fixed decimals, point as separator; an empty text for a value that
// is not finite. A value that rounds to zero shows as zero without a sign.
std::string FixedText(double value, int decimals);

}  // namespace accprep
