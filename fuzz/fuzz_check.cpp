#include "fuzz/fuzz_check.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace accprep::fuzz {

MemoryFile::MemoryFile(const char* name) {
  descriptor_ = ::memfd_create(name, 0);
  if (descriptor_ < 0) Fail("memfd_create", std::strerror(errno));
  path_ = "/proc/self/fd/" + std::to_string(descriptor_);
}

void MemoryFile::Replace(const std::uint8_t* data, std::size_t size) {
  if (::ftruncate(descriptor_, 0) != 0) Fail("ftruncate", std::strerror(errno));
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::pwrite(descriptor_, data + done, size - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Fail("pwrite", std::strerror(errno));
    done += static_cast<std::size_t>(put);
  }
}

}  // namespace accprep::fuzz
