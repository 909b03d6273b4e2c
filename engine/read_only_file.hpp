#pragma once
// A file opened for reading, closed when it goes.

#include <string>

namespace accprep {

class ReadOnlyFile {
 public:
  // Throws DataError kIo "cannot open the file: <reason>" naming `path`, or ThrowIfInterrupted's
  // error when the run is interrupted while it waits (a FIFO without a writer).
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  int descriptor() const { return descriptor_; }

 private:
  int descriptor_ = -1;
};

}  // namespace accprep
