// accprep-integrate: the program behind the job files fftvel.bat and fftdis.bat. See
// job_options.hpp for its command line and integrate_run.hpp for what one run does.

#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "jobs/integrate_run.hpp"
#include "jobs/job_options.hpp"

int main(int argc, char** argv) {
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
