#include "engine/process_status.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace accprep {
namespace {

bool Ended(char state) { return state == 'Z' || state == 'X'; }

}  // namespace

std::optional<ProcessStatus> ReadProcessStatus(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  char text[512];
  const ssize_t got = ::read(descriptor, text, sizeof text - 1);
  ::close(descriptor);
  if (got <= 0) return std::nullopt;
  text[got] = '\0';
  // "pid (name) state ppid pgrp ...": the name may hold anything, so parse after its ')'.
  const char* close = std::strrchr(text, ')');
  ProcessStatus status;
  long parent = 0;
  long group = 0;
  if (close == nullptr ||
      std::sscanf(close + 1, " %c %ld %ld", &status.state, &parent, &group) != 3)
    return std::nullopt;
  status.group = static_cast<pid_t>(group);
  return status;
}

bool ProcessRuns(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno == ESRCH) return false;
  const std::optional<ProcessStatus> status = ReadProcessStatus(pid);
  // Without /proc, a process that answers kill counts as running.
  if (!status) return ::access("/proc/self/stat", R_OK) != 0;
  return !Ended(status->state);
}

bool GroupRuns(pid_t group) {
  if (::kill(-group, 0) != 0 && errno == ESRCH) return false;
  DIR* processes = ::opendir("/proc");
  if (processes == nullptr) return true;
  bool runs = false;
  while (const dirent* entry = ::readdir(processes)) {
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
    const std::optional<ProcessStatus> status =
        ReadProcessStatus(static_cast<pid_t>(std::atol(entry->d_name)));
    if (status && status->group == group && !Ended(status->state)) {
      runs = true;
      break;
    }
  }
  ::closedir(processes);
  return runs;
}

}  // namespace accprep
