#pragma once
// The JMA seismic intensity scale: from the computed instrumental intensity to the value
// reported and its class (0, 1, 2, 3, 4, 5 lower, 5 upper, 6 lower, 6 upper, 7).

#include <string_view>

namespace accprep {

enum class IntensityClass { k0, k1, k2, k3, k4, k5Lower, k5Upper, k6Lower, k6Upper, k7 };

// The computed intensity rounded half up at the third decimal, then truncated to one decimal
// (4.494 -> 4.4, 4.495 -> 4.5, 4.4949 -> 4.4). The digits are those of the shortest decimal
// text of `computed`, as a person or a spreadsheet reads it: the double nearest 4.495 lies
// just below it, yet it reports 4.5. A negative value is rounded and truncated on its
// magnitude (-0.125 -> -0.1). Non-finite values come back as they are.
double ReportedIntensity(double computed);

// The class of a reported value: 0 below 0.5; 1, 2, 3, 4 from 0.5, 1.5, 2.5, 3.5; 5 lower
// from 4.5, 5 upper from 5.0, 6 lower from 5.5, 6 upper from 6.0, 7 from 6.5.
IntensityClass IntensityClassOf(double reported);

// "0" .. "4", "5弱", "5強", "6弱", "6強", "7" (UTF-8), as the window shows it.
std::string_view IntensityClassName(IntensityClass intensityClass);
// The same in ASCII for the tables scripts read: "5-", "5+", "6-", "6+" for lower and upper.
std::string_view IntensityClassCode(IntensityClass intensityClass);

}  // namespace accprep
