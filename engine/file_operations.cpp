#include "engine/file_operations.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

constexpr std::size_t kCopyBlock = 1 << 20;

class SourceFile {
 public:
  explicit SourceFile(const std::string& path) {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0)
      throw EngineError(ErrorKind::kIo, "cannot open the file: " + SystemReason(errno), path);
  }
  ~SourceFile() { ::close(descriptor_); }
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  int descriptor() const { return descriptor_; }

 private:
  int descriptor_ = -1;
};

}  // namespace

void CopyFileReplacing(const std::string& source, const std::string& destination) {
  const SourceFile input(source);
  AtomicFile output(destination);
  std::vector<char> block(kCopyBlock);
  for (;;) {
    ThrowIfInterrupted();
    const ssize_t got = ::read(input.descriptor(), block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EngineError(ErrorKind::kIo, "cannot read the file: " + SystemReason(errno), source);
    }
    output.Write(std::string_view(block.data(), static_cast<std::size_t>(got)));
  }
  output.Commit();
}

void DeleteFileIfPresent(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return;
  throw EngineError(ErrorKind::kIo, "cannot delete the file: " + SystemReason(errno), path);
}

}  // namespace accprep
