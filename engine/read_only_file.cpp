#include "engine/read_only_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/data_error.hpp"

namespace accprep {

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
  do {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (descriptor_ < 0 && errno == EINTR);
  if (descriptor_ < 0)
    throw DataError(DataErrorKind::kIo, "cannot open the file: " + SystemReason(errno), path);
}

ReadOnlyFile::~ReadOnlyFile() { ::close(descriptor_); }

}  // namespace accprep
