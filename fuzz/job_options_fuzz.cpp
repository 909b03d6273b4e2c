// Fuzzes the command line of accprep-integrate as a job file may spell it: the input is the
// argument list, one argument a line. Parsing must never crash, and options it accepts must
// keep the promises the integrator relies on without checking again.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "jobs/fft_integrator.hpp"
#include "jobs/job_options.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string::npos) {
      if (start < text.size()) arguments.push_back(text.substr(start));
      break;
    }
    arguments.push_back(text.substr(start, newline - start));
    start = newline + 1;
  }

  const accprep::JobOptionsResult result = accprep::ParseJobOptions(arguments);
  if (!result.error.empty() || result.options.helpWanted || result.options.versionWanted) return 0;
  const accprep::FilterSettings& filter = result.options.filter;
  ACCPREP_FUZZ_CHECK(!result.options.folder.empty(), "accepted an empty folder");
  ACCPREP_FUZZ_CHECK(std::isfinite(filter.highPassCorner) && filter.highPassCorner >= 0.0,
                     "high-pass corner");
  ACCPREP_FUZZ_CHECK(std::isfinite(filter.lowPassCorner) && filter.lowPassCorner >= 0.0,
                     "low-pass corner");
  ACCPREP_FUZZ_CHECK(filter.highPassOrder >= 1 && filter.highPassOrder <= accprep::kMaxFilterOrder,
                     "high-pass order");
  ACCPREP_FUZZ_CHECK(filter.lowPassOrder >= 1 && filter.lowPassOrder <= accprep::kMaxFilterOrder,
                     "low-pass order");
  ACCPREP_FUZZ_CHECK(filter.highPassCorner == 0.0 || filter.lowPassCorner == 0.0 ||
                         filter.lowPassCorner > filter.highPassCorner,
                     "low-pass corner at or below the high-pass corner");
  return 0;
}
