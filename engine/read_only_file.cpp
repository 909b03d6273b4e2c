#include "engine/read_only_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/data_error.hpp"

namespace accprep {

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) throw DataError::System(errno, "cannot open the file", path);
  descriptor_.Reset(descriptor);
}

}  // namespace accprep
