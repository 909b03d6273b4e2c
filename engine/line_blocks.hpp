#pragma once
// A file read in large blocks of whole lines: its first lines one by one (a record's header),
// then the rest a block at a time. For the record reader when a file can only be read in
// order (a pipe), and for writers that read back what they wrote.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace accprep {

// Bytes kept free after the data of every block, so that a parser may read eight bytes at a
// time past the end of a line.
inline constexpr std::size_t kLinePadding = 16;

class LineBlocks {
 public:
  // Reads the open `descriptor` of the file at `path` from where it stands; does not close it.
  LineBlocks(int descriptor, const std::string& path);
  LineBlocks(const LineBlocks&) = delete;
  LineBlocks& operator=(const LineBlocks&) = delete;

  // The next line without its line end (LF or CR LF); the last line may lack one. Valid until
  // the next call.
  bool NextLine(const char*& begin, const char*& end);

  // The next run of whole lines, each with its line end (the file's last line may lack one),
  // kLinePadding bytes after it. Valid, and the caller's to change, until the next call.
  bool NextBlock(char*& begin, char*& end);

  // Bytes of the file handed out so far.
  std::uint64_t consumed() const { return consumedBefore_ + start_; }

  // Both throw DataError kIo "cannot read the file: <reason>" naming the path, and
  // ThrowIfInterrupted's error when the run is interrupted (checked before every read).

 private:
  void Refill();

  const std::string& path_;
  int descriptor_ = -1;
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t filled_ = 0;
  std::uint64_t consumedBefore_ = 0;
  bool atEnd_ = false;
};

}  // namespace accprep
