#pragma once
// The command line of accprep-integrate, as the job files spell it out:
//
//   accprep-integrate velocity|displacement FOLDER
//       [--highpass-corner HZ] [--highpass-order N] [--lowpass-corner HZ] [--lowpass-order N]
//
// FOLDER holds outacc.csv and receives the results. A corner of 0 turns its filter off; the
// defaults are a 0.1 Hz 4th-order high-pass and no low-pass. "--name=value" works as well.

#include <string>
#include <vector>

#include "jobs/fft_integrator.hpp"

namespace accprep {

struct JobOptions {
  IntegrationMode mode = IntegrationMode::kVelocity;
  std::string folder;
  FilterSettings filter;
  bool helpWanted = false;     // --help or -h: print kJobUsage and do nothing else
  bool versionWanted = false;  // --version: print the version and do nothing else
};

struct JobOptionsResult {
  JobOptions options;
  std::string error;  // empty on success; else one line naming the offending argument
};

// Parses the arguments after the program name. --version anywhere wins, then --help (or -h),
// as with the other programs; neither is checked further. Otherwise checks: the mode word, one
// folder, each option known and given a value, corners finite and >= 0, orders whole numbers
// 1..kMaxFilterOrder, a low-pass corner above the high-pass corner when both are on.
JobOptionsResult ParseJobOptions(const std::vector<std::string>& arguments);

inline constexpr char kJobProgram[] = "accprep-integrate";
extern const char kJobUsage[];

}  // namespace accprep
