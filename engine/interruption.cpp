#include "engine/interruption.hpp"

#include <signal.h>
#include <string.h>
#include <unistd.h>

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

// The last resort when the run does not unwind in time: nothing of ours may stay behind.
[[noreturn]] void EndNow(int signal) {
  detail::StopRunningJob();
  RemoveLiveTemporaries();
  ::_exit(128 + signal);
}

}  // namespace

void RequestInterruption(int signal) noexcept {
  requestSignal.store(signal);
  requested.store(true);
}

bool InterruptionRequested() noexcept { return requested.load(std::memory_order_relaxed); }

int InterruptionSignal() noexcept { return requestSignal.load(); }

void ThrowIfInterrupted() {
  if (!InterruptionRequested()) return;
  const int signal = InterruptionSignal();
  std::string reason = "interrupted";
  if (signal > 0) reason += std::string(" by SIG") + ::sigabbrev_np(signal);
  throw EngineError(ErrorKind::kInterrupted, reason);
}

void ClearInterruption() noexcept {
  requested.store(false);
  requestSignal.store(0);
}

void HandleInterruptionSignals(std::function<void(int)> onSignal, std::chrono::milliseconds grace) {
  const sigset_t signals = InterruptionSignals();
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals, onSignal = std::move(onSignal), grace] {
    int signal = 0;
    while (::sigwait(&signals, &signal) != 0) {
    }
    RequestInterruption(signal);
    if (onSignal) onSignal(signal);
    // The run unwinds on its own thread; wait for it, but not for ever.
    std::thread([signal, grace] {
      std::this_thread::sleep_for(grace);
      EndNow(signal);
    }).detach();
    int second = 0;
    while (::sigwait(&signals, &second) != 0) {
    }
    EndNow(signal);
  }).detach();
}

}  // namespace accprep
