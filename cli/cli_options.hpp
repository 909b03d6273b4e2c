#pragma once
// The command line of accprep-cli:
//   accprep-cli --name BASE [--comment TEXT] [--no-wait] INPUT...
// parsed with CLI11, so --help, --version, "--" and the usage text behave as usual, and
// answered as every program of the tool answers (command_line.hpp).

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"

namespace accprep {

inline constexpr char kCliProgram[] = "accprep-cli";

struct CliOptions {
  std::string baseName;
  std::string comment;              // the empty text when --comment is not given
  std::vector<std::string> inputs;  // at least one, in the order given
  bool noWait = false;  // refuse at once while another conversion holds the program folder
};

// Parses argv. --help writes the usage and --version the version to `out`, exit code 0.
// A usage mistake (unknown option, missing --name or INPUT, an empty --name, two inputs of a
// batch that would get the same base name) writes "error: <what>" and the usage to `err`,
// exit code 2. Nothing is read or written before the options are known to be usable.
ParseOutcome<CliOptions> ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                          std::ostream& err);

}  // namespace accprep
