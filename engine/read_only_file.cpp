#include "engine/read_only_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/data_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
  // A FIFO opens only once a writer comes; an interruption ends the wait.
  int descriptor = -1;
  while ((descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC)) < 0) {
    if (errno != EINTR) throw DataError::System(errno, "cannot open the file", path);
    ThrowIfInterrupted();
  }
  descriptor_.Reset(descriptor);
}

}  // namespace accprep
