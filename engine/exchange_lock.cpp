#include "engine/exchange_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>

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
  descriptor_.Reset(::open(path.c_str(), O_RDWR | O_CREAT, 0666));
  if (!descriptor_) {
    if (FolderIsReadOnly(errno)) return;
    throw EngineError(ErrorKind::kIo, "cannot lock the exchange folder: " + SystemReason(errno),
                      path);
  }
  bool told = false;
  while (::flock(descriptor_.get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      throw EngineError(ErrorKind::kIo, "cannot lock the exchange folder: " + SystemReason(error),
                        path);
    }
    if (!wait) {
      throw EngineError(Refusal::kExchangeFolderBusy,
                        "another conversion is running in the exchange folder " + folder);
    }
    if (!told && onWait) onWait();
    told = true;
    ThrowIfInterrupted();
    std::this_thread::sleep_for(kRetryInterval);
  }
}

}  // namespace accprep
