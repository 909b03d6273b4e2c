#include "engine/line_blocks.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/data_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

// The fuzz build shrinks the block to a few bytes, so that lines crossing the end of a block
// and the growing of the block for a long line are reached by small inputs.
#ifndef ACCPREP_READER_BLOCK_SIZE
#define ACCPREP_READER_BLOCK_SIZE (4 << 20)
#endif
constexpr std::size_t kBlockSize = ACCPREP_READER_BLOCK_SIZE;

}  // namespace

LineBlocks::LineBlocks(int descriptor, const std::string& path)
    : path_(path), descriptor_(descriptor), buffer_(kBlockSize + kLinePadding) {}

bool LineBlocks::NextLine(const char*& begin, const char*& end, std::size_t limit) {
  for (;;) {
    char* const data = buffer_.data();
    // A CR may still come before the LF: only more than limit + 1 bytes are too many.
    const std::size_t looked = std::min(filled_ - start_, limit + 2);
    if (void* found = std::memchr(data + start_, '\n', looked)) {
      char* newline = static_cast<char*>(found);
      begin = data + start_;
      end = (newline > begin && newline[-1] == '\r') ? newline - 1 : newline;
      start_ = newline - data + 1;
      return true;
    }
    if (looked == limit + 2) {
      begin = data + start_;
      end = begin + limit + 1;
      return true;
    }
    if (atEnd_) {
      if (start_ == filled_) return false;
      begin = data + start_;
      end = data + filled_;
      if (end > begin && end[-1] == '\r') --end;
      start_ = filled_;
      return true;
    }
    Refill();
  }
}

bool LineBlocks::NextBlock(char*& begin, char*& end) {
  for (;;) {
    char* const data = buffer_.data();
    if (!atEnd_ && start_ == 0 && filled_ < buffer_.size() - kLinePadding) {
      Refill();  // a fresh block is filled up first, so that blocks stay large
      continue;
    }
    if (void* found = ::memrchr(data + start_, '\n', filled_ - start_)) {
      begin = data + start_;
      end = static_cast<char*>(found) + 1;
      start_ = end - data;
      return true;
    }
    if (atEnd_) {
      if (start_ == filled_) return false;
      begin = data + start_;
      end = data + filled_;
      start_ = filled_;
      return true;
    }
    Refill();
  }
}

void LineBlocks::Refill() {
  ThrowIfInterrupted();
  // Keep the unfinished line, then fill up the rest of the block; a line longer than the
  // block grows it (once per such line, never per record).
  const std::size_t rest = filled_ - start_;
  std::memmove(buffer_.data(), buffer_.data() + start_, rest);
  consumedBefore_ += start_;
  start_ = 0;
  filled_ = rest;
  if (filled_ == buffer_.size() - kLinePadding) {
    if (filled_ >= kMaxLineBytes)
      throw DataError(DataErrorKind::kInput, "a line of more than 64 MiB: no file of records",
                      path_);
    buffer_.resize(std::min(buffer_.size() * 2, kMaxLineBytes + 1) + kLinePadding);
  }
  while (filled_ < buffer_.size() - kLinePadding) {
    const ssize_t got =
        ::read(descriptor_, buffer_.data() + filled_, buffer_.size() - kLinePadding - filled_);
    if (got > 0) {
      filled_ += static_cast<std::size_t>(got);
      return;
    }
    if (got == 0) {
      atEnd_ = true;
      return;
    }
    if (errno != EINTR) throw DataError::System(errno, "cannot read the file", path_);
    ThrowIfInterrupted();
  }
}

}  // namespace accprep
