// accprep-integrate: the program behind the job files fftvel.bat and fftdis.bat. See
// job_options.hpp for its command line and integrate_run.hpp for what one run does.

#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"
#include "jobs/integrate_run.hpp"
#include "jobs/job_options.hpp"

namespace {

// The job starter quotes our last error lines in its message, so a failure is one line.
int Fail(int code, std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::fprintf(stderr, "accprep-integrate: %s\n", message.c_str());
  return code;
}

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
// The run that started us stops us with SIGTERM and kills what is left 2 s later: our own
// last resort comes before that, so that our temporaries never wait for the next run's sweep.
constexpr auto kInterruptionGrace = std::chrono::seconds(1);

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread: an interrupted job removes its half-written results.
  accprep::HandleInterruptionSignals(nullptr, kInterruptionGrace);
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  accprep::JobOptionsResult parsed = accprep::ParseJobOptions(arguments);
  if (!parsed.error.empty()) return Fail(kBadUsage, parsed.error + " (see --help)");
  if (parsed.options.helpWanted) {
    std::fputs(accprep::kJobUsage, stdout);
    return 0;
  }
  try {
    accprep::RunIntegration(parsed.options);
  } catch (const accprep::EngineError& error) {
    if (error.kind() == accprep::ErrorKind::kInterrupted)
      return Fail(accprep::InterruptedExitCode(), error.what());
    return Fail(kFailed, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(kFailed, "not enough memory for this record");
  } catch (const std::exception& error) {
    return Fail(kFailed, error.what());
  }
  return 0;
}
