// accprep-integrate: the program behind the job files fftvel.bat and fftdis.bat. See
// job_options.hpp for its command line and integrate_run.hpp for what one run does.

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "engine/interruption.hpp"
#include "jobs/integrate_run.hpp"
#include "jobs/job_options.hpp"

namespace {

// The run that started us stops us with SIGTERM and kills what is left 2 s later: our own
// last resort comes before that, so that our temporaries never wait for the next run's sweep.
constexpr auto kInterruptionGrace = std::chrono::seconds(1);

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread: an interrupted job removes its half-written results.
  accprep::HandleInterruptionSignals(nullptr, kInterruptionGrace);
  // The job starter quotes our last error lines in its message: each message is one line.
  const accprep::ProgramVoice voice{accprep::kJobProgram, accprep::MessageForm::kNamedLine};
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const accprep::JobOptionsResult parsed = accprep::ParseJobOptions(arguments);
  if (parsed.options.helpWanted) return voice.Help(accprep::kJobUsage, std::cout);
  if (parsed.options.versionWanted) return voice.Version(std::cout);
  if (!parsed.error.empty()) return voice.UsageMistake(parsed.error, accprep::kJobUsage, std::cerr);
  return voice.Run(
      [&] {
        accprep::RunIntegration(parsed.options);
        return accprep::kExitSuccess;
      },
      std::cerr);
}
