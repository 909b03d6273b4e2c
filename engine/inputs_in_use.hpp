#pragma once
// The files this process reads. No output may replace one of them: a table written over the
// record it was computed from, or one conversion of a batch written over a later input, would
// lose the user's file. A program names what it reads here once; every AtomicFile then refuses
// a destination that is one of them, by any path or link, so that each new output gets the
// rule by being written the one way outputs are written.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace accprep {

class InputsInUse {
 public:
  // Names each of `paths` as read by this process for as long as the object lives. A path
  // that names no file now names nothing: there is nothing of it to lose.
  explicit InputsInUse(const std::vector<std::string>& paths);
  ~InputsInUse();
  InputsInUse(const InputsInUse&) = delete;
  InputsInUse& operator=(const InputsInUse&) = delete;

 private:
  std::vector<std::uint64_t> entries_;
};

// The input in use that `destination` is (the same file, by any path or link), or none.
std::optional<std::string> InputAt(const std::string& destination);

// True when `a` and `b` are the same existing file, by any path or link.
bool SameFile(const std::string& a, const std::string& b);

// Throws DataError kInput "the output would replace the input file <input>" naming
// `destination` when InputAt finds one; nothing is written.
void RefuseInputAsOutput(const std::string& destination);

}  // namespace accprep
