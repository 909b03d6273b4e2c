#include "child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace accprep::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Reads both descriptors to their end. A pseudo-terminal's master reports EIO once the last
// holder of the other side has closed it: that is its end of file.
void Drain(int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Fail("poll");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno == EIO) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else if (errno != EINTR && errno != EAGAIN) {
        Fail("read");
      }
    }
  }
}

}  // namespace

StartedProcess::StartedProcess(const ProcessRequest& request) {
  int outPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) Fail("pipe");
  int errRead = -1;
  int errWrite = -1;
  if (request.errorOnTerminal) {
    errRead = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (errRead < 0 || ::grantpt(errRead) != 0 || ::unlockpt(errRead) != 0) Fail("posix_openpt");
    errWrite = ::open(::ptsname(errRead), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (errWrite < 0) Fail("open pseudo-terminal");
    termios settings{};
    ::tcgetattr(errWrite, &settings);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    ::tcsetattr(errWrite, TCSANOW, &settings);
  } else {
    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) Fail("pipe");
    errRead = errPipe[0];
    errWrite = errPipe[1];
  }

  std::vector<char*> argv;
  for (const std::string& arg : request.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    // Only async-signal-safe calls until exec, apart from setenv on the child's own copy.
    const int devNull = ::open("/dev/null", O_RDONLY);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errWrite, STDERR_FILENO);
    if (!request.workingFolder.empty() && ::chdir(request.workingFolder.c_str()) != 0) ::_exit(126);
    for (const std::string& entry : request.environment) ::putenv(const_cast<char*>(entry.c_str()));
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errWrite);
  pid_ = child;
  outFd_ = outPipe[0];
  errFd_ = errRead;
}

StartedProcess::~StartedProcess() {
  if (!waited_) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
}

void StartedProcess::Signal(int signal) const { ::kill(pid_, signal); }

ProcessResult StartedProcess::Wait() {
  ProcessResult result;
  Drain(outFd_, errFd_, result.out, result.err);
  waited_ = true;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) Fail("waitpid");
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ProcessResult RunProcess(const ProcessRequest& request) { return StartedProcess(request).Wait(); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool WaitUntilSignalHandled(int pid, int signal) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    if (!status) return false;
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("State:", 0) == 0 && line.find('Z') != std::string::npos) return false;
      if (line.rfind("SigBlk:", 0) != 0) continue;
      const unsigned long long blocked = std::stoull(line.substr(7), nullptr, 16);
      if ((blocked >> (signal - 1)) & 1) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

}  // namespace accprep::testing
