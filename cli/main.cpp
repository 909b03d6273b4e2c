// accprep-cli: the conversion run of accprep with a terminal as its host, for scripts and
// batches. See cli_options.hpp for the command line and cli_batch.hpp for what it does.

#include <unistd.h>

#include <iostream>

#include "cli/cli_batch.hpp"
#include "cli/cli_options.hpp"
#include "engine/conversion_run.hpp"
#include "engine/interruption.hpp"

int main(int argc, char** argv) {
  // First, before any thread: an interrupted conversion stops its job and leaves nothing.
  accprep::HandleInterruptionSignals(nullptr);
  const accprep::ParseOutcome<accprep::CliOptions> parsed =
      accprep::ParseCommandLine(argc, argv, std::cout, std::cerr);
  if (!parsed.options) return parsed.exitCode;
  const accprep::ProgramVoice voice{accprep::kCliProgram};
  return voice.Run(
      [&] {
        const accprep::TerminalOutput output{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
        return accprep::RunBatch(*parsed.options, accprep::ProgramFolder(), output);
      },
      std::cerr);
}
