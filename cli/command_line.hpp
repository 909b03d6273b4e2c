#pragma once
// How the tool's command-line programs (accprep-cli, accprep-knet) handle their options with
// CLI11, so that they read alike: a usage mistake prints "error: <what>" and the usage and
// exits 2; --help and --version exit 0. Include where CLI11 is linked.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/cli_options.hpp"

namespace accprep {

// The failure message: "error: <what>", then the usage.
inline std::string UsageFailure(const CLI::App* app, const CLI::Error& error) {
  return std::string("error: ") + error.what() + "\n" + app->help();
}

// An option whose value must not be the empty text.
inline CLI::Validator NotEmpty() {
  return CLI::Validator(
      [](const std::string& value) {
        return value.empty() ? std::string("must not be empty") : std::string();
      },
      "");
}

// Prints what `error` calls for (help, version or the usage failure) and returns the exit
// code: 0 for --help and --version, kExitUsage for a mistake. CLI11 numbers its own failures
// from 100 on; a usage mistake is 2 here, as for other command-line tools.
inline int ExitForParseError(const CLI::App& app, const CLI::ParseError& error, std::ostream& out,
                             std::ostream& err) {
  return app.exit(error, out, err) == 0 ? kExitSuccess : kExitUsage;
}

}  // namespace accprep
