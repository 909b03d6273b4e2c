#pragma once
// A file opened for reading, closed when it goes.

#include <string>

#include "engine/unique_fd.hpp"

namespace accprep {

class ReadOnlyFile {
 public:
  // Throws DataError kIo "cannot open the file: <reason>" naming `path`, or ThrowIfInterrupted's
  // error when the run is interrupted while it waits (a FIFO without a writer).
  explicit ReadOnlyFile(const std::string& path);

  int descriptor() const { return descriptor_.get(); }

 private:
  UniqueFd descriptor_;
};

}  // namespace accprep
