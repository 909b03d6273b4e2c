#pragma once
// Whether a process still runs, as /proc tells it. A process that has ended but waits to be
// reaped by a parent that never reaps (init in some containers adopts the orphans of a killed
// run and leaves them so) runs nothing: it writes no file and holds no lock, so it counts as
// gone.

#include <sys/types.h>

#include <optional>

namespace accprep {

struct ProcessStatus {
  char state = 0;  // R, S, D, Z (ended, not reaped), X (dead), ...
  pid_t group = 0;
};

// The status of `pid` from /proc/<pid>/stat; none when it cannot be read (no such process).
std::optional<ProcessStatus> ReadProcessStatus(pid_t pid);

// True unless `pid` is gone or has ended and waits only to be reaped.
bool ProcessRuns(pid_t pid);

// True while a process of `group` (a process group id) runs, in the sense above.
bool GroupRuns(pid_t group);

}  // namespace accprep
