#include "engine/file_operations.hpp"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "engine/engine_error.hpp"

namespace accprep {
namespace {

constexpr std::size_t kCopyBlock = 1 << 20;

// Closes a descriptor and removes a temporary file unless the copy was put in place.
struct CopyGuard {
  int source = -1;
  int target = -1;
  std::string temporary;
  ~CopyGuard() {
    if (source >= 0) ::close(source);
    if (target >= 0) ::close(target);
    if (!temporary.empty()) ::unlink(temporary.c_str());
  }
};

}  // namespace

std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".part-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter++);
}

int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath) {
  int error = EEXIST;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = TemporaryPathFor(path);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      temporaryPath = std::move(temporary);
      return descriptor;
    }
    error = errno;
    if (error != EEXIST && error != EINTR) break;
  }
  throw EngineError(ErrorKind::kIo, "cannot create the file: " + SystemReason(error), path);
}

void CopyFileReplacing(const std::string& source, const std::string& destination) {
  CopyGuard guard;
  guard.source = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (guard.source < 0)
    throw EngineError(ErrorKind::kIo, "cannot open the file: " + SystemReason(errno), source);
  if (::access(destination.c_str(), F_OK) == 0 && ::access(destination.c_str(), W_OK) != 0)
    throw EngineError(ErrorKind::kIo, "cannot replace the file: " + SystemReason(errno),
                      destination);
  guard.target = CreateTemporaryBeside(destination, guard.temporary);

  std::vector<char> block(kCopyBlock);
  for (;;) {
    const ssize_t got = ::read(guard.source, block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EngineError(ErrorKind::kIo, "cannot read the file: " + SystemReason(errno), source);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(guard.target, block.data() + done, got - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        throw EngineError(ErrorKind::kIo, "cannot write the file: " + SystemReason(errno),
                          destination);
      }
      done += put;
    }
  }
  const int target = guard.target;
  guard.target = -1;
  if (::close(target) != 0)
    throw EngineError(ErrorKind::kIo, "cannot close the file: " + SystemReason(errno), destination);
  if (::rename(guard.temporary.c_str(), destination.c_str()) != 0)
    throw EngineError(ErrorKind::kIo, "cannot put the file in place: " + SystemReason(errno),
                      destination);
  guard.temporary.clear();
}

void DeleteFileIfPresent(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return;
  throw EngineError(ErrorKind::kIo, "cannot delete the file: " + SystemReason(errno), path);
}

}  // namespace accprep
