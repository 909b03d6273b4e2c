#include "engine/integration_jobs.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "engine/atomic_file.hpp"
#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"
#include "engine/process_status.hpp"
#include "engine/unique_fd.hpp"

extern char** environ;

namespace accprep {
namespace {

// What the message quotes of a failed job's error output. The byte bound keeps a job that
// writes one endless line from growing our memory; the text still passes through to our own
// error output in full.
constexpr std::size_t kTailLines = 20;
constexpr std::size_t kTailBytes = 4096;
// A job's descendant may keep the pipe open after the job itself has ended; once the job is
// gone we take what is already written, up to this much, and stop waiting.
constexpr std::size_t kDrainAfterExitBytes = 1 << 20;
constexpr int kPollMilliseconds = 100;
// An interrupted job gets this long to end on SIGTERM before its group is killed outright.
constexpr auto kStopGrace = std::chrono::seconds(2);

// The process group of the job under way (the job's own id), 0 when none runs.
std::atomic<pid_t> runningJobGroup{0};

// Ends every process of the job's group: SIGTERM first, so that a job may remove what it
// wrote, then SIGKILL for what is still there. Reaps the job itself.
void StopJobGroup(pid_t job) {
  ::kill(-job, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
  bool reaped = false;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!reaped && ::waitpid(job, &status, WNOHANG) == job) reaped = true;
    if (reaped && !GroupRuns(job)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(-job, SIGKILL);
  if (!reaped) ::waitpid(job, &status, 0);
  for (int wait = 0; wait < 100 && GroupRuns(job); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class ErrorTail {
 public:
  void Append(const char* data, std::size_t size) {
    text_.append(data, size);
    if (text_.size() > 4 * kTailBytes) text_.erase(0, text_.size() - kTailBytes);
  }

  // The last kTailLines lines, without the final line end, at most kTailBytes bytes.
  std::string Lines() const {
    std::size_t end = text_.size();
    while (end > 0 && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
    std::size_t begin = end;
    std::size_t lines = 0;
    while (begin > 0 && end - begin < kTailBytes) {
      if (text_[begin - 1] == '\n' && ++lines == kTailLines) break;
      --begin;
    }
    return text_.substr(begin, end - begin);
  }

 private:
  std::string text_;
};

void PassThrough(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(STDERR_FILENO, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // our own error output is gone; the tail still gets the text
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

// Blocks until `pid` has ended; the status of waitpid, or the errno of a wait that failed
// (never a status of a job that ended well).
struct WaitOutcome {
  int status = 0;
  int failure = 0;
};
WaitOutcome WaitForEnd(pid_t pid) {
  WaitOutcome outcome;
  while (::waitpid(pid, &outcome.status, 0) < 0) {
    if (errno != EINTR) {
      outcome.failure = errno;
      break;
    }
  }
  return outcome;
}

std::string WithTail(const std::string& head, const std::string& tail) {
  if (tail.empty()) return head + " and wrote nothing to its error output";
  return head + "; its last error output:\n" + tail;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

namespace detail {

// Linux: the job file is executed directly (its #! line names the interpreter), so a path
// with blanks needs no quoting. stdin is /dev/null so a job that reads never waits on the
// window; stdout is ours; stderr comes through a pipe that we copy to our own error output
// while keeping its tail for the message.
ProcessOutcome StartAndWait(const std::string& path) {
  ProcessOutcome outcome;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    outcome.startFailure = SystemReason(errno);
    return outcome;
  }
  UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);

  // The window's process may ignore or block signals (SIGPIPE above all); a job must start
  // with the defaults, or its own pipelines misbehave.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  // Its own process group, so that stopping the job reaches its children too, and a Ctrl-C
  // meant for us reaches the job only through us.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

  std::string argument0 = path;
  char* arguments[] = {argument0.data(), nullptr};
  pid_t pid = 0;
  int failure = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.Close();  // only the job holds the write end now, so its end closes the pipe
  if (failure != 0) {
    outcome.startFailure = SystemReason(failure);
    return outcome;
  }
  outcome.started = true;
  runningJobGroup.store(pid);

  ErrorTail tail;
  char buffer[8192];
  bool ended = false;
  int status = 0;
  std::size_t drained = 0;
  for (;;) {
    pollfd ready{readEnd.get(), POLLIN, 0};
    int count = ::poll(&ready, 1, ended ? 0 : kPollMilliseconds);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) break;
    if (count > 0) {
      ssize_t got = ::read(readEnd.get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;  // every writer has closed the pipe
      PassThrough(buffer, static_cast<std::size_t>(got));
      tail.Append(buffer, static_cast<std::size_t>(got));
      if (ended && (drained += static_cast<std::size_t>(got)) > kDrainAfterExitBytes) break;
      continue;
    }
    if (ended) break;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
    } else if (InterruptionRequested()) {
      StopJobGroup(pid);
      runningJobGroup.store(0);
      outcome.interrupted = true;
      return outcome;
    }
  }
  readEnd.Close();
  if (!ended) {
    const WaitOutcome waited = WaitForEnd(pid);
    if (waited.failure != 0) {
      runningJobGroup.store(0);
      outcome.waitFailure = SystemReason(waited.failure);
      return outcome;
    }
    status = waited.status;
  }
  runningJobGroup.store(0);

  outcome.errorTail = tail.Lines();
  if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  } else if (WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
  }
  return outcome;
}

void StopRunningJob() noexcept {
  const pid_t group = runningJobGroup.load();
  if (group > 0) ::kill(-group, SIGKILL);
}

}  // namespace detail

void RunIntegrationJob(const std::string& jobPath, const std::vector<std::string>& resultPaths) {
  // A result an earlier run left behind would otherwise be taken for this job's result.
  for (const std::string& path : resultPaths) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      throw EngineError(ErrorKind::kIo,
                        "cannot remove the result an earlier run left: " + SystemReason(errno),
                        path);
    }
  }

  detail::ProcessOutcome outcome = detail::StartAndWait(jobPath);
  // A job ended by a signal, or by the system for its file size or memory, cannot remove its
  // half-written results; once it is over, those whose writer no longer runs go.
  for (const std::string& path : resultPaths)
    RemoveOrphanedTemporaries(FolderOf(path), std::filesystem::path(path).filename().string());
  if (outcome.interrupted) ThrowIfInterrupted();
  const std::string job = "job " + jobPath;
  if (!outcome.started) {
    throw EngineError(ErrorKind::kJob, job + " could not be started: " + outcome.startFailure);
  }
  if (!outcome.waitFailure.empty()) {
    throw EngineError(
        ErrorKind::kJob,
        job + " could not be waited for, so how it ended is unknown: " + outcome.waitFailure);
  }
  if (outcome.signal != 0) {
    const char* name = ::strsignal(outcome.signal);
    std::string head = job + " was ended by signal " + std::to_string(outcome.signal);
    if (name != nullptr) head += std::string(" (") + name + ")";
    throw EngineError(ErrorKind::kJob, WithTail(head, outcome.errorTail));
  }
  if (outcome.exitCode != 0) {
    throw EngineError(ErrorKind::kJob,
                      WithTail(job + " ended with exit code " + std::to_string(outcome.exitCode),
                               outcome.errorTail));
  }
  for (const std::string& path : resultPaths) {
    if (!FileExists(path))
      throw EngineError(ErrorKind::kJob, job + " ended without writing " + path);
  }
}

}  // namespace accprep
