#include "engine/atomic_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

#include "engine/data_error.hpp"
#include "engine/inputs_in_use.hpp"
#include "engine/interruption.hpp"
#include "engine/process_status.hpp"

namespace accprep {
namespace {

constexpr std::string_view kPartMarker = ".part-";
constexpr int kCreateAttempts = 100;

// The temporaries this process has open, for RemoveLiveTemporaries.
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::set<std::string>& LiveTemporaries() {
  static std::set<std::string> paths;
  return paths;
}

void Register(const std::string& path) {
  std::lock_guard lock(RegistryMutex());
  LiveTemporaries().insert(path);
}

void Unregister(const std::string& path) {
  std::lock_guard lock(RegistryMutex());
  LiveTemporaries().erase(path);
}

std::string NameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The real path of `path`'s folder, empty when it has none.
std::string RealFolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string text = real;
  ::free(real);
  return text;
}

// True when following `path`'s links passes through /proc, where /dev/stdout and /dev/fd/N
// lead: the "file" is then one of the process's own descriptors, which a rename would not
// reach, and /dev would lose its link instead.
bool LeadsToOwnDescriptor(const std::string& path) {
  constexpr int kMaxLinks = 40;  // as the kernel follows them
  std::string at = path;
  for (int link = 0; link <= kMaxLinks; ++link) {
    const std::string folder = RealFolderOf(at);
    if (folder == "/proc" || folder.starts_with("/proc/")) return true;
    std::error_code error;
    if (!std::filesystem::is_symlink(at, error)) return false;
    const std::filesystem::path target = std::filesystem::read_symlink(at, error);
    if (error || target.empty()) return false;
    at = (std::filesystem::path(at).parent_path() / target).string();
  }
  return false;
}

// How the rule of the header treats `destination`: refused (throws), written directly
// (true) or through a temporary beside it (false).
bool CheckDestination(const std::string& destination) {
  ThrowIfInterrupted();
  RefuseInputAsOutput(destination);
  struct stat existing {};
  if (::stat(destination.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode))
      throw DataError::System(EISDIR, "cannot create the file", destination);
    if (!S_ISREG(existing.st_mode) || LeadsToOwnDescriptor(destination)) return true;
    // The rename would pass over a read-only file: refused as creating the file would be.
    if (::access(destination.c_str(), W_OK) != 0)
      throw DataError::System(errno, "cannot create the file", destination);
  }
  if (NameOf(destination).size() > kMaxOutputNameBytes) {
    throw DataError(DataErrorKind::kIo,
                    "cannot create the file: its name is longer than the " +
                        std::to_string(kMaxOutputNameBytes) +
                        " bytes an output's name may hold beside its temporary name",
                    destination);
  }
  return false;
}

// Renames `temporary` over `destination`. Where a file of that name exists, the two names are
// exchanged and the earlier file then removed: the destination is never missing, as with a
// plain rename, but ext4 does not force the new file to disk first, which it does for a rename
// over an existing file and which costs a tenth of a second for each 250 MB written. Returns
// the errno of a failure, 0 on success.
int PutInPlace(const std::string& temporary, const std::string& destination) {
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) ==
      0) {
    ::unlink(temporary.c_str());  // the earlier file, now under the temporary name
    return 0;
  }
  // No file to exchange with, or a file system that cannot exchange: the plain rename.
  if (::rename(temporary.c_str(), destination.c_str()) == 0) return 0;
  return errno;
}

}  // namespace

std::string TemporaryPathFor(const std::string& destination) {
  static std::atomic<unsigned> serial{0};
  const std::filesystem::path target(destination);
  std::string name = "." + target.filename().string();
  name.append(kPartMarker).append(std::to_string(::getpid()));
  name.append("-").append(std::to_string(serial++));
  return (target.parent_path() / name).string();
}

std::optional<pid_t> TemporaryWriter(std::string_view fileName) {
  if (fileName.size() < 2 || fileName[0] != '.') return std::nullopt;
  const std::size_t marker = fileName.rfind(kPartMarker);
  if (marker == std::string_view::npos || marker < 2) return std::nullopt;
  const char* digits = fileName.data() + marker + kPartMarker.size();
  const char* end = fileName.data() + fileName.size();
  long pid = 0;
  const auto [afterPid, error] = std::from_chars(digits, end, pid);
  if (error != std::errc() || afterPid == digits || pid <= 0) return std::nullopt;
  if (afterPid == end || *afterPid != '-') return std::nullopt;
  unsigned serial = 0;
  const auto [afterSerial, serialError] = std::from_chars(afterPid + 1, end, serial);
  if (serialError != std::errc() || afterSerial != end) return std::nullopt;
  return static_cast<pid_t>(pid);
}

bool IsOrphanedTemporary(std::string_view fileName) {
  const std::optional<pid_t> writer = TemporaryWriter(fileName);
  return writer && !ProcessRuns(*writer);
}

std::vector<std::string> RemoveOrphanedTemporaries(const std::string& folder,
                                                   std::string_view destinationName,
                                                   const std::string& keep) {
  std::vector<std::string> removed;
  const std::string listed = folder.empty() ? "." : folder;
  DIR* listing = ::opendir(listed.c_str());
  if (listing == nullptr) return removed;
  std::vector<std::string> orphans;
  std::string prefix;
  if (!destinationName.empty()) {
    prefix = ".";
    prefix.append(destinationName).append(kPartMarker);
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (!prefix.empty() && !name.starts_with(prefix)) continue;
    if (IsOrphanedTemporary(name)) orphans.emplace_back(name);
  }
  ::closedir(listing);
  for (const std::string& name : orphans) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!keep.empty() && SameFile(path, keep)) continue;
    if (::unlink(path.c_str()) == 0) removed.push_back(path);
  }
  return removed;
}

void RemoveLiveTemporaries() noexcept {
  // Locked for good: the process is about to end, and no writer may register a new file.
  RegistryMutex().lock();
  for (const std::string& path : LiveTemporaries()) ::unlink(path.c_str());
  LiveTemporaries().clear();
}

bool ReplaceWithLink(const std::string& source, const std::string& destination) {
  if (CheckDestination(destination)) return false;
  const std::string temporary = TemporaryPathFor(destination);
  Register(temporary);
  if (::link(source.c_str(), temporary.c_str()) != 0) {
    Unregister(temporary);
    return false;
  }
  if (const int error = PutInPlace(temporary, destination); error != 0) {
    ::unlink(temporary.c_str());
    Unregister(temporary);
    throw DataError::System(error, "cannot put the file in place", destination);
  }
  Unregister(temporary);
  return true;
}

AtomicFile::AtomicFile(std::string destination) : destination_(std::move(destination)) {
  if (CheckDestination(destination_)) {
    direct_ = true;
    // A regular file behind one of our descriptors (the standard output sent to a file) is
    // appended to, as the shell's >> asks and as > leaves it empty.
    struct stat existing {};
    const bool regular = ::stat(destination_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    const int flags = O_WRONLY | O_CLOEXEC | (regular ? O_APPEND : 0);
    // A FIFO opens only once a reader comes; an interruption ends the wait.
    int descriptor = -1;
    while ((descriptor = ::open(destination_.c_str(), flags)) < 0) {
      const int error = errno;
      if (error != EINTR) throw DataError::System(error, "cannot create the file", destination_);
      ThrowIfInterrupted();
    }
    descriptor_.Reset(descriptor);
    return;
  }
  int error = EEXIST;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string temporary = TemporaryPathFor(destination_);
    // Registered before it exists, so an interruption between the two cannot miss it.
    Register(temporary);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      descriptor_.Reset(descriptor);
      temporary_ = std::move(temporary);
      return;
    }
    error = errno;
    Unregister(temporary);
    if (error != EEXIST && error != EINTR) break;
  }
  throw DataError::System(error, "cannot create the file", destination_);
}

// A copy of the descriptor, so that closing ours leaves the caller's open.
AtomicFile::AtomicFile(int descriptor, std::string name)
    : destination_(std::move(name)),
      descriptor_(::fcntl(descriptor, F_DUPFD_CLOEXEC, 0)),
      direct_(true) {
  if (!descriptor_) throw DataError::System(errno, "cannot write the file", destination_);
  ThrowIfInterrupted();
}

AtomicFile::~AtomicFile() { Abandon(); }

void AtomicFile::Write(std::string_view text) {
  std::size_t written = 0;
  const int error = InterruptionRequested() ? EINTR : TryWrite(text, written);
  if (error == 0) return;
  if (error == EINTR) {
    Abandon();
    ThrowIfInterrupted();
  }
  Fail("cannot write the file", error);
}

int AtomicFile::TryWrite(std::string_view text, std::size_t& written) noexcept {
  while (written < text.size()) {
    const ssize_t part = ::write(descriptor_.get(), text.data() + written, text.size() - written);
    if (part < 0) {
      // A write to a pipe or a device that a signal breaks off ends once the run is told to
      // stop (EINTR); one that does not is taken up again.
      if (errno == EINTR && !InterruptionRequested()) continue;
      return errno;
    }
    if (part == 0) return ENOSPC;
    written += static_cast<std::size_t>(part);
  }
  return 0;
}

void AtomicFile::Commit() {
  if (InterruptionRequested()) {
    Abandon();
    ThrowIfInterrupted();
  }
  // close reports the write errors that a network or full file system delays until then.
  if (descriptor_.Close() != 0) Fail("cannot close the file", errno);
  if (direct_) return;
  if (const int error = PutInPlace(temporary_, destination_); error != 0)
    Fail("cannot put the file in place", error);
  Unregister(temporary_);
  temporary_.clear();
}

void AtomicFile::Abandon() noexcept {
  descriptor_.Reset();
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    Unregister(temporary_);
    temporary_.clear();
  }
}

void AtomicFile::Fail(const char* what, int errorNumber) {
  Abandon();
  throw DataError::System(errorNumber, what, destination_);
}

void WriteFileAtomically(const std::string& destination, std::string_view text) {
  AtomicFile file(destination);
  file.Write(text);
  file.Commit();
}

}  // namespace accprep
