#pragma once
// Interrupting a run. A signal (SIGINT from a Ctrl-C, SIGTERM from a scheduler or a desktop
// logout, SIGHUP from a closing terminal) asks the run under way to stop. The run looks for
// the request wherever it can stop cleanly (between blocks of records read or written, while
// it waits for a job or for the exchange folder) and unwinds: the writers remove their
// temporary files, the running job is stopped with its process group, and the run removes
// the exchange files it made. Complete outputs and earlier files of the same names stay.

#include <chrono>
#include <functional>
#include <string>

namespace accprep {

// Asks the run under way to stop; `signal` names the signal that asked (0 for none).
void RequestInterruption(int signal) noexcept;
bool InterruptionRequested() noexcept;
// The signal of the request, 0 when none or when no signal asked.
int InterruptionSignal() noexcept;
// "interrupted by SIGTERM", or "interrupted" when no signal asked.
std::string InterruptionReason();
// Throws EngineError kInterrupted (InterruptionReason()) when a request is pending.
void ThrowIfInterrupted();
// Forgets a request, for a program that goes on after an interrupted run (and for tests).
void ClearInterruption() noexcept;
// The exit code of a program ended by the request: 128 + its signal (1 when no signal asked).
int InterruptedExitCode() noexcept;

// For a program whose runs may be interrupted by signals. Blocks SIGINT, SIGTERM and SIGHUP in
// the calling thread and so in every thread started after it (call it first thing in main),
// ignores SIGPIPE (a write to a closed pipe then fails with EPIPE, which its writer reports),
// and starts a thread that waits for them. On a signal it requests the interruption, calls
// onSignal(signal) on that thread, and wakes the calling thread out of a blocking open or read
// (EINTR) until it ends. Should the process still run `grace` later, or a second signal come,
// it stops the running job, removes the live temporary files itself, writes "error:
// interrupted by SIG<NAME>" to the error output and ends the process with 128 + the signal.
void HandleInterruptionSignals(std::function<void(int signal)> onSignal,
                               std::chrono::milliseconds grace = std::chrono::seconds(10));

}  // namespace accprep
