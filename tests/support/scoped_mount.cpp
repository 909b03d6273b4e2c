#include "scoped_mount.hpp"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace accprep::testing {

std::unique_ptr<ScopedMount> ScopedMount::Tmpfs(const std::string& folder, std::size_t bytes,
                                                std::string& whyNot) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    whyNot = "cannot mount a tmpfs on " + folder + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<ScopedMount>(new ScopedMount(folder));
}

std::unique_ptr<ScopedMount> ScopedMount::ReadOnly(const std::string& path, std::string& whyNot) {
  if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    whyNot = "cannot bind " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  auto mounted = std::unique_ptr<ScopedMount>(new ScopedMount(path));
  if (::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    whyNot = "cannot make " + path + " read-only: " + std::strerror(errno);
    return nullptr;
  }
  return mounted;
}

ScopedMount::~ScopedMount() {
  if (::umount2(path_.c_str(), 0) != 0) ::umount2(path_.c_str(), MNT_DETACH);
}

}  // namespace accprep::testing
