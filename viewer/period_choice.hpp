#pragma once
// The periods --response and --rotd read their spectra at: the 100 periods by default, or a
// code's or a database's own, given on the command line as "T1,T2,..." or "@FILE" (one period
// in seconds a line).

#include <string>
#include <string_view>
#include <vector>

namespace accprep {

// More would be a mistake, not a spectrum; the bound keeps a wrong file from running for hours.
inline constexpr std::size_t kMostChosenPeriods = 10000;

struct PeriodChoice {
  std::vector<double> periods;  // in the order given; empty on failure
  std::string error;            // on failure: why, for a usage message after "--periods: "
};

// "T1,T2,..." with every period a decimal number > 0 (the engine's number form, nothing
// around it), or "@FILE": the file's lines each hold one such period (blanks and tabs around
// it, CR LF and blank lines are allowed). At most kMostChosenPeriods; the file is read up to
// 1 MB. The error names the file and line where it applies.
PeriodChoice ParsePeriods(std::string_view text);

}  // namespace accprep
