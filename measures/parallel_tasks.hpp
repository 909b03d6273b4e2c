#pragma once
// Independent tasks shared among a few threads: the analyses of a building's directions, each
// a transform and a smoothing of its own, run side by side on the machine's cores.

#include <cstddef>
#include <functional>

namespace accprep {

// Calls task(0) .. task(count - 1), each once, on `threads` threads (the caller's among them;
// fewer than one counts as one), handing the indices out one at a time so that both cores stay
// busy to the end. The first exception a task throws stops the handing out and is rethrown on
// the caller's thread once every thread has finished.
void RunTasks(std::size_t count, int threads, const std::function<void(std::size_t)>& task);

}  // namespace accprep
