#include "engine/interruption.hpp"

#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "engine/atomic_file.hpp"
#include "engine/engine_error.hpp"
#include "engine/integration_jobs.hpp"

namespace accprep {
namespace {

std::atomic<bool> requested{false};
std::atomic<int> requestSignal{0};

sigset_t InterruptionSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// The thread that asked for the handling (the program's main thread), woken out of a wait
// that no signal of its own would end.
pthread_t waitingThread;
// A signal whose handler does nothing and is installed without SA_RESTART: sent to that
// thread, it ends a blocking open or read (a FIFO nobody feeds) with EINTR, after which the
// reader sees the request.
int WakeSignal() { return SIGRTMIN; }
void Wake(int) {}
constexpr auto kWakeInterval = std::chrono::milliseconds(100);

// The last resort when the run does not unwind in time: nothing of ours may stay behind, and
// the user still reads why the program ended.
[[noreturn]] void EndNow(int signal) {
  detail::StopRunningJob();
  RemoveLiveTemporaries();
  const std::string line = "error: " + InterruptionReason() + "\n";
  [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
  ::_exit(128 + signal);
}

}  // namespace

void RequestInterruption(int signal) noexcept {
  requestSignal.store(signal);
  requested.store(true);
}

bool InterruptionRequested() noexcept { return requested.load(std::memory_order_relaxed); }

int InterruptionSignal() noexcept { return requestSignal.load(); }

std::string InterruptionReason() {
  const int signal = InterruptionSignal();
  std::string reason = "interrupted";
  if (signal > 0) reason += std::string(" by SIG") + ::sigabbrev_np(signal);
  return reason;
}

void ThrowIfInterrupted() {
  if (!InterruptionRequested()) return;
  throw EngineError(ErrorKind::kInterrupted, InterruptionReason());
}

void ClearInterruption() noexcept {
  requested.store(false);
  requestSignal.store(0);
}

int InterruptedExitCode() noexcept {
  const int signal = InterruptionSignal();
  return signal > 0 ? 128 + signal : 1;
}

void HandleInterruptionSignals(std::function<void(int)> onSignal, std::chrono::milliseconds grace) {
  const sigset_t signals = InterruptionSignals();
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  // A reader that went away (a pipe closed by `head`) makes a write fail with EPIPE, which the
  // writer reports, instead of ending the program without a word.
  ::signal(SIGPIPE, SIG_IGN);
  waitingThread = ::pthread_self();
  struct sigaction wake {};
  wake.sa_handler = Wake;
  sigemptyset(&wake.sa_mask);
  ::sigaction(WakeSignal(), &wake, nullptr);
  std::thread([signals, onSignal = std::move(onSignal), grace] {
    int signal = 0;
    while (::sigwait(&signals, &signal) != 0) {
    }
    RequestInterruption(signal);
    if (onSignal) onSignal(signal);
    // The run unwinds on its own thread; wait for it, but not for ever. Meanwhile its thread
    // is woken again and again, as a wake-up may come just before it starts to wait.
    std::thread([signal, grace] {
      const auto deadline = std::chrono::steady_clock::now() + grace;
      while (std::chrono::steady_clock::now() < deadline) {
        ::pthread_kill(waitingThread, WakeSignal());
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kWakeInterval, deadline - std::chrono::steady_clock::now()));
      }
      EndNow(signal);
    }).detach();
    int second = 0;
    while (::sigwait(&signals, &second) != 0) {
    }
    EndNow(signal);
  }).detach();
}

}  // namespace accprep
