#pragma once
// A file descriptor with one owner: closed when the owner goes, on every path out, moved but
// never copied. The reader, the atomic file, the job starter and the exchange lock hold theirs
// this way, so that no throw path needs a close of its own.

namespace accprep {

class UniqueFd {
 public:
  UniqueFd() = default;
  // Takes `descriptor` (-1 for none).
  explicit UniqueFd(int descriptor) noexcept : descriptor_(descriptor) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : descriptor_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const noexcept { return descriptor_; }
  explicit operator bool() const noexcept { return descriptor_ >= 0; }

  // Gives the descriptor up without closing it; -1 afterwards.
  int Release() noexcept;
  // Closes the descriptor held, if any, and takes `descriptor`.
  void Reset(int descriptor = -1) noexcept;
  // Closes the descriptor now and returns what close says: 0, or -1 with errno set (a file
  // system may report a failed write only here). Holds none afterwards, either way.
  int Close() noexcept;

 private:
  int descriptor_ = -1;
};

}  // namespace accprep
