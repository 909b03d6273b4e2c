#pragma once
// How the tool's programs (accprep-cli, accprep-knet, accprep-view, accprep-integrate) meet
// their command line, so that they answer alike:
//   --help           the usage on the standard output, exit 0;
//   --version        "<program> <version>" on the standard output, exit 0;
//   a usage mistake  "error: <what>" and the usage on the error output, exit 2;
//   a failure        "error: <what>" on the error output, exit 1.
// The job's program (MessageForm::kNamedLine) writes each message as one line, "<program>:
// <what>", and a usage mistake ends in "(see --help)": the conversion run quotes the last lines
// of a job's error output in its own message, where a usage text would crowd out the reason.
//
// Options are read with CLI11 (ParseArguments); the CLI11 types are only declared here.

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
class Validator;
}  // namespace CLI

namespace accprep {

// A failed run is not a usage mistake, so scripts can tell them apart.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What reading a command line leaves: the options when the program is to go on, else the
// exit code it is to end with (its message written already).
template <typename Options>
struct ParseOutcome {
  std::optional<Options> options;
  int exitCode = kExitSuccess;  // when options is not set
};

enum class MessageForm {
  kErrorLines,  // "error: <what>", a usage mistake followed by the usage
  kNamedLine,   // "<program>: <what>" on one line, a usage mistake ending in "(see --help)"
};

// A program of the tool, as its messages name it.
struct ProgramVoice {
  std::string name;  // "accprep-cli"
  MessageForm form = MessageForm::kErrorLines;

  // "accprep-cli 0.1.0"
  std::string VersionLine() const;
  // Writes `usage` to `out` (--help); returns kExitSuccess.
  int Help(const std::string& usage, std::ostream& out) const;
  // Writes the version line to `out` (--version); returns kExitSuccess.
  int Version(std::ostream& out) const;
  // Writes a usage mistake in the program's form (`usage` follows it in kErrorLines); returns
  // kExitUsage.
  int UsageMistake(const std::string& what, const std::string& usage, std::ostream& err) const;
  // Writes a failure of the program's work in its form; returns kExitFailure.
  int Failure(const std::string& what, std::ostream& err) const;
  // After a signal asked the program to stop (engine/interruption.hpp): "interrupted by
  // SIGTERM" in the program's form; returns 128 + the signal.
  int Interrupted(std::ostream& err) const;
  // Runs `work` and returns its exit code. An exception it throws is a Failure with its
  // what(); running out of memory is "not enough memory for this record"; after a signal,
  // whatever stopped on the way, the program ends Interrupted.
  int Run(const std::function<int()>& work, std::ostream& err) const;
};

// Reads argv (argv[0] the program's name) with `app`, to which it adds --version. Answers
// --help, --version and the mistakes CLI11 finds as `voice` says, and returns the exit code;
// none when the options are there and the program is to go on. A check of the program's own
// after the parse may throw CLI::ValidationError from `check`: it is a usage mistake too.
std::optional<int> ParseArguments(CLI::App& app, const ProgramVoice& voice, int argc,
                                  const char* const* argv, std::ostream& out, std::ostream& err,
                                  const std::function<void()>& check = {});

// An option whose value must not be the empty text.
CLI::Validator NotEmpty();

}  // namespace accprep
