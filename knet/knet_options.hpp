#pragma once
// The command line of accprep-knet:
//   accprep-knet [--output RECORD.csv] FILE...
// parsed with CLI11, so --help, --version, "--" and the usage text behave as usual, and
// answered as every program of the tool answers (cli/command_line.hpp).

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"

namespace accprep {

inline constexpr char kKnetProgram[] = "accprep-knet";

struct KnetOptions {
  std::string output;              // empty: the default name beside the first file
  std::vector<std::string> files;  // at least one, in channel order
};

// Parses argv. --help writes the usage and --version the version to `out`, exit code 0. A
// usage mistake (unknown option, no FILE, an empty --output) writes "error: <what>" and the
// usage to `err`, exit code 2. Too many files is bad input, left to the run.
ParseOutcome<KnetOptions> ParseKnetCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err);

}  // namespace accprep
