#include "engine/file_operations.hpp"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/data_error.hpp"
#include "engine/interruption.hpp"
#include "engine/read_only_file.hpp"

namespace accprep {
namespace {

constexpr std::size_t kCopyBlock = 1 << 20;
// A copy in the kernel goes in steps this large, so that an interruption is seen between them.
constexpr std::size_t kCopyChunk = 64 << 20;

}  // namespace

void CopyFileReplacing(const std::string& source, const std::string& destination) {
  const ReadOnlyFile input(source);  // a missing source is named as such, link or not
  if (ReplaceWithLink(source, destination)) return;
  AtomicFile output(destination);
  // copy_file_range moves the bytes within the kernel; a system or file system pair without
  // it falls back to reading and writing.
  bool inKernel = true;
  std::vector<char> block;
  for (;;) {
    ThrowIfInterrupted();
    if (inKernel) {
      const ssize_t moved = ::copy_file_range(input.descriptor(), nullptr, output.descriptor(),
                                              nullptr, kCopyChunk, 0);
      if (moved > 0) continue;
      if (moved == 0) break;
      const int error = errno;
      if (error == EINTR) continue;
      if (error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP) {
        inKernel = false;
        block.resize(kCopyBlock);
        continue;
      }
      // Which side failed: a write error is the destination's, anything else the source's.
      if (error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS) {
        output.Abandon();
        throw DataError::System(error, "cannot write the file", destination);
      }
      throw DataError::System(error, "cannot read the file", source);
    }
    const ssize_t got = ::read(input.descriptor(), block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw DataError::System(errno, "cannot read the file", source);
    }
    output.Write(std::string_view(block.data(), static_cast<std::size_t>(got)));
  }
  output.Commit();
}

void DeleteFileIfPresent(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return;
  throw DataError::System(errno, "cannot delete the file", path);
}

}  // namespace accprep
