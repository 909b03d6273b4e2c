#pragma once
// A file system mounted for the length of a test (root, as in CI): a small tmpfs that fills up,
// or a path made read-only. Tests say why they skip where the system refuses.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

namespace accprep::testing {

// Unmounted when it goes.
class ScopedMount {
 public:
  // A tmpfs of `bytes` on `folder`. nullptr and `whyNot` when the system refuses.
  static std::unique_ptr<ScopedMount> Tmpfs(const std::string& folder, std::size_t bytes,
                                            std::string& whyNot);
  // `path` (folder or file) bound onto itself, read-only.
  static std::unique_ptr<ScopedMount> ReadOnly(const std::string& path, std::string& whyNot);
  ~ScopedMount();
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;

 private:
  explicit ScopedMount(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace accprep::testing
