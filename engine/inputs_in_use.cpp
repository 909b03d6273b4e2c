#include "engine/inputs_in_use.hpp"

#include <sys/stat.h>

#include <map>
#include <mutex>

#include "engine/data_error.hpp"

namespace accprep {
namespace {

struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileId&) const = default;
};

// The file `path` leads to, following links, as the reading did.
std::optional<FileId> IdOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileId{status.st_dev, status.st_ino};
}

struct Entry {
  FileId id;
  std::string path;
};

// Every InputsInUse of the process (the window may run one conversion while it views another).
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::map<std::uint64_t, Entry>& Registry() {
  static std::map<std::uint64_t, Entry> entries;
  return entries;
}
std::uint64_t nextKey = 0;

}  // namespace

InputsInUse::InputsInUse(const std::vector<std::string>& paths) {
  std::lock_guard lock(RegistryMutex());
  for (const std::string& path : paths) {
    const std::optional<FileId> id = IdOf(path);
    if (!id) continue;
    Registry().emplace(nextKey, Entry{*id, path});
    entries_.push_back(nextKey++);
  }
}

InputsInUse::~InputsInUse() {
  std::lock_guard lock(RegistryMutex());
  for (const std::uint64_t key : entries_) Registry().erase(key);
}

std::optional<std::string> InputAt(const std::string& destination) {
  const std::optional<FileId> id = IdOf(destination);
  if (!id) return std::nullopt;
  std::lock_guard lock(RegistryMutex());
  for (const auto& [key, entry] : Registry()) {
    if (entry.id == *id) return entry.path;
  }
  return std::nullopt;
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::optional<FileId> first = IdOf(a);
  return first && first == IdOf(b);
}

void RefuseInputAsOutput(const std::string& destination) {
  if (const std::optional<std::string> input = InputAt(destination)) {
    throw DataError(DataErrorKind::kInput, "the output would replace the input file " + *input,
                    destination);
  }
}

}  // namespace accprep
