#pragma once
// Starts a program as a child process, as a user's shell would, and collects what it wrote.

#include <string>
#include <vector>

namespace accprep::testing {

struct ProcessRequest {
  std::vector<std::string> argv;         // argv[0] is the program's path
  std::string workingFolder;             // empty: the test's own
  std::vector<std::string> environment;  // "NAME=value" set on top of the test's environment
  // The error output on a pseudo-terminal (no output processing, so "\n" stays "\n"), as in
  // an interactive shell; otherwise on a pipe, as in a script.
  bool errorOnTerminal = false;
};

struct ProcessResult {
  int exitCode = -1;  // -1 when a signal ended it
  int signal = 0;
  std::string out;
  std::string err;
};

// A program started and not yet waited for, so that a test can act while it runs.
class StartedProcess {
 public:
  // Throws std::runtime_error when it cannot be started at all.
  explicit StartedProcess(const ProcessRequest& request);
  // Waits for a process never waited for, so that none outlives its test.
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  int pid() const { return pid_; }
  void Signal(int signal) const;
  // Collects its output to the end and waits for it to end.
  ProcessResult Wait();

 private:
  int pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  bool waited_ = false;
};

// Waits until process `pid` blocks `signal` in its main thread, the sign that it handles the
// signal itself (engine/interruption.hpp); false when it ends first or after 30 s.
bool WaitUntilSignalHandled(int pid, int signal);

// Runs the program to its end. Throws std::runtime_error when it cannot be started at all.
ProcessResult RunProcess(const ProcessRequest& request);

// The lines of `text` without their line ends ("a\nb\n" -> {"a", "b"}).
std::vector<std::string> Lines(const std::string& text);

}  // namespace accprep::testing
