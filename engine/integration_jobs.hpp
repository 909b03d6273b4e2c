#pragma once
// The integration jobs: outside programs in the exchange folder that turn the exchange CSV
// (outacc.csv) into a velocity or displacement record and its amplitude spectrum.
//
// A job is started by its full path, with no arguments and no working folder of its own, and
// waited for without a time limit. Its results are checked, so a job that fails or writes
// nothing stops the run instead of letting an old result pass for the new one.

#include <string>
#include <vector>

#include "engine/conversion_names.hpp"

namespace accprep {

// Removes each of `resultPaths` that exists, starts the job at `jobPath`, waits for it, and
// checks that it ended with exit code 0 and left every one of `resultPaths`. Once the job is
// over, the half-written temporaries of those results (see atomic_file.hpp) whose writer
// no longer runs are removed, so a job killed mid-write leaves nothing behind.
// Throws EngineError kJob naming the job's path and: that it could not be started (and the
// system's reason), that waiting for its end failed (the reason), its exit code or signal
// together with the last lines of its error output, or the result file it left missing. kIo if a
// stale result cannot be removed. kInterrupted when the run is interrupted while the job works: the
// job's process group is stopped first.
void RunIntegrationJob(const std::string& jobPath, const std::vector<std::string>& resultPaths);

namespace detail {

// How a started process ended. The one platform-specific piece of the job starter (fork and
// exec here; CreateProcess on the .bat file would take its place on Windows).
struct ProcessOutcome {
  bool started = false;
  std::string startFailure;  // the system's reason when !started
  int exitCode = -1;         // when it exited normally
  int signal = 0;            // when a signal ended it, else 0
  std::string errorTail;     // the last lines (about 20) it wrote to its error output
  bool interrupted = false;  // the run was interrupted: the job's group was stopped
  std::string waitFailure;   // the system's reason when waiting for its end failed
};

// Starts the job in a process group of its own and waits for it, or, when the run is
// interrupted (interruption.hpp), stops the whole group and returns.
ProcessOutcome StartAndWait(const std::string& path);

// Kills the group of the job under way, if any: the last resort of an interrupted program
// that cannot wait for its run to unwind. Async-signal-safe.
void StopRunningJob() noexcept;

}  // namespace detail
}  // namespace accprep
