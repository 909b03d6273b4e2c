#pragma once
// A file read in large blocks of whole lines: its first lines one by one (a record's header),
// then the rest a block at a time. For the record reader when a file can only be read in
// order (a pipe).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace accprep {

// Bytes kept free after the data of every block, so that a parser may read eight bytes at a
// time past the end of a line.
inline constexpr std::size_t kLinePadding = 16;
// The longest line a block grows to hold. No file of this tool has lines of more than a few
// kilobytes; without a bound, an endless line (a device such as /dev/zero given as a record)
// would grow the block until memory runs out.
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

class LineBlocks {
 public:
  // Reads the open `descriptor` of the file at `path` from where it stands; does not close it.
  LineBlocks(int descriptor, const std::string& path);
  LineBlocks(const LineBlocks&) = delete;
  LineBlocks& operator=(const LineBlocks&) = delete;

  // The next line without its line end (LF or CR LF); the last line may lack one. Valid until
  // the next call. A line longer than `limit` bytes is handed out cut after limit + 1 of them,
  // so that the caller can tell, and the rest of it is not read.
  bool NextLine(const char*& begin, const char*& end, std::size_t limit = kMaxLineBytes);

  // The next run of whole lines, each with its line end (the file's last line may lack one),
  // kLinePadding bytes after it. Valid, and the caller's to change, until the next call.
  bool NextBlock(char*& begin, char*& end);

  // Bytes of the file handed out so far.
  std::uint64_t consumed() const { return consumedBefore_ + start_; }

  // Both throw DataError kIo "cannot read the file: <reason>" naming the path, and kInput "a
  // line of more than 64 MiB: no file of records" where a line would need more room than
  // kMaxLineBytes; and ThrowIfInterrupted's error when the run is interrupted (checked before
  // every read).

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
