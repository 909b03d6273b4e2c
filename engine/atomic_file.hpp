#pragma once
// The atomic file: every file this tool writes (matrix files, channel CSVs, job results, the
// viewer's tables, assembled records) is written under a temporary name beside its
// destination and renamed over it only once complete. A failed or interrupted write never
// leaves a half-written file under the final name, and an earlier file of that name stays
// intact until the new one replaces it whole.
//
// Temporary names follow one scheme for every program of the tool:
//   ".<destination name>.part-<process id>-<serial>"
// so that a later run can tell a leftover of ours and whether the process that wrote it is
// still alive (IsOrphanedTemporary, RemoveOrphanedTemporaries).

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace accprep {

class AtomicFile {
 public:
  // Creates a fresh temporary file beside `destination`. A destination that is a folder, or
  // an existing file that may not be written, is refused here: the rename at Commit would
  // pass over it. Throws DataError kIo "cannot create the file: <reason>" naming the
  // destination.
  explicit AtomicFile(std::string destination);
  // Not committed: closes and removes the temporary file; the destination is untouched.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends all of `text`. Throws DataError kIo "cannot write the file: <reason>" naming the
  // destination; the temporary file is removed.
  void Write(std::string_view text);
  // Closes the file and renames it over the destination. Throws DataError kIo ("cannot
  // close the file", "cannot put the file in place") naming the destination; the temporary
  // file is removed and the destination keeps what it had.
  void Commit();
  // Closes and removes the temporary file now. Safe to call more than once.
  void Abandon() noexcept;

  const std::string& destination() const { return destination_; }
  const std::string& temporaryPath() const { return temporary_; }
  // The open descriptor, for writers that move data in the kernel; -1 once closed.
  int descriptor() const { return descriptor_; }

 private:
  [[noreturn]] void Fail(const char* what, int errorNumber);

  std::string destination_;
  std::string temporary_;
  int descriptor_ = -1;
};

// Writes `text` to `destination` through an AtomicFile. Throws as AtomicFile does.
void WriteFileAtomically(const std::string& destination, std::string_view text);

// Puts a hard link to `source` in place of `destination` the same way: under a temporary name
// beside it, then renamed over it, so the destination is the whole of `source` or what it was.
// Returns false, having changed nothing, where no link can be made (another file system, one
// without links, a refusal); the caller copies then. Throws DataError kIo as AtomicFile
// does for a destination it refuses, or when the rename fails.
bool ReplaceWithLink(const std::string& source, const std::string& destination);

// The temporary name for `destination` under the scheme above: the same folder, the serial
// counted per process.
std::string TemporaryPathFor(const std::string& destination);

// The process id in a temporary file name of our scheme ("<x>.part-<pid>-<n>", leading dot),
// or none for any other name.
std::optional<pid_t> TemporaryWriter(std::string_view fileName);

// True for a temporary file name of our scheme whose writing process no longer runs.
bool IsOrphanedTemporary(std::string_view fileName);

// Removes from `folder` every orphaned temporary; with `destinationName` only those of that
// destination. Returns the paths removed. A folder that cannot be listed removes nothing.
std::vector<std::string> RemoveOrphanedTemporaries(const std::string& folder,
                                                   std::string_view destinationName = {});

// Removes every temporary file this process has open and not yet committed. For the
// interruption handler, which runs on its own thread while the writers are stopped; any
// AtomicFile created afterwards blocks until the process exits.
void RemoveLiveTemporaries() noexcept;

}  // namespace accprep
