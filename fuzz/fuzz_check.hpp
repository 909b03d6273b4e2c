#pragma once
// What the fuzz targets share: a check that stops the process with a message, so that
// libFuzzer (or the corpus replay in the tests) records the input as a crash, and a way to
// hand the readers a file without touching the disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace accprep::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz check failed: %s: %s\n", what, detail.c_str());
  std::abort();
}

#define ACCPREP_FUZZ_CHECK(condition, detail)                      \
  do {                                                             \
    if (!(condition)) ::accprep::fuzz::Fail(#condition, (detail)); \
  } while (false)

// One in-memory file (memfd) whose content is replaced for every input; path() names it the
// way the readers open files, so they see exactly these bytes.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name);
  void Replace(const std::uint8_t* data, std::size_t size);
  const std::string& path() const { return path_; }

 private:
  int descriptor_ = -1;
  std::string path_;
};

}  // namespace accprep::fuzz
