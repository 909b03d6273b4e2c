#include "engine/exchange_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "engine/conversion_names.hpp"
#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(100);

bool FolderIsReadOnly(int error) { return error == EACCES || error == EROFS || error == EPERM; }

}  // namespace

ExchangeLock::ExchangeLock(const std::string& folder, bool wait,
                           const std::function<void()>& onWait) {
  const std::string path = InFolder(folder, kExchangeLockFile);
  // Not close-on-exec: the jobs inherit the lock (see the header).
  descriptor_ = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
  if (descriptor_ < 0) {
    if (FolderIsReadOnly(errno)) return;
    throw EngineError(ErrorKind::kIo, "cannot lock the exchange folder: " + SystemReason(errno),
                      path);
  }
  bool told = false;
  while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      ::close(descriptor_);
      throw EngineError(ErrorKind::kIo, "cannot lock the exchange folder: " + SystemReason(error),
                        path);
    }
    if (!wait) {
      ::close(descriptor_);
      throw EngineError(Refusal::kExchangeFolderBusy,
                        "another conversion is running in the exchange folder " + folder);
    }
    if (!told && onWait) onWait();
    told = true;
    try {
      ThrowIfInterrupted();
    } catch (...) {
      ::close(descriptor_);
      throw;
    }
    std::this_thread::sleep_for(kRetryInterval);
  }
}

ExchangeLock::~ExchangeLock() {
  // Closing releases the lock; the file stays for the next run (removing it would race).
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace accprep
