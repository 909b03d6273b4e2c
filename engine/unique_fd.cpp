#include "engine/unique_fd.hpp"

#include <unistd.h>

namespace accprep {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

int UniqueFd::Release() noexcept {
  const int descriptor = descriptor_;
  descriptor_ = -1;
  return descriptor;
}

void UniqueFd::Reset(int descriptor) noexcept {
  if (descriptor_ >= 0 && descriptor_ != descriptor) ::close(descriptor_);
  descriptor_ = descriptor;
}

int UniqueFd::Close() noexcept {
  // Linux releases the descriptor even when close fails, so it is never closed twice.
  const int descriptor = Release();
  return descriptor >= 0 ? ::close(descriptor) : 0;
}

}  // namespace accprep
