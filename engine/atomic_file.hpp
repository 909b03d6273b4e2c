#pragma once
// The atomic file: the one door every output of this tool passes through (matrix files,
// channel CSVs, job results, the viewer's tables and pictures, assembled records). It keeps
// one rule for every program:
//   - a file the program reads is never replaced (inputs_in_use.hpp);
//   - what is not a regular file is never replaced: a device, FIFO or socket (/dev/null, a
//     named pipe), or a path that leads to one of the process's own descriptors (/dev/stdout),
//     is written directly as it stands; a folder is refused;
//   - a regular file is written under a temporary name beside its destination and renamed over
//     it only once complete;
//   - an interruption (interruption.hpp) stops the writing, and the temporary goes;
//   - every failure names the destination and the system's reason.
//
// What the rename promises: a process that fails, is interrupted or is killed outright never
// leaves a half-written file under the final name, and an earlier file of that name stays
// whole until the new one replaces it. Nothing is synced to the disk, so after a power loss
// or a system crash the new file, or the rename, may be missing or incomplete.
//
// Temporary names follow one scheme for every program of the tool:
//   ".<destination name>.part-<process id>-<serial>"
// so that a later run can tell a leftover of ours and whether the process that wrote it is
// still alive (IsOrphanedTemporary, RemoveOrphanedTemporaries).

#include <limits.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/unique_fd.hpp"

namespace accprep {

// The longest file name an output may have: its temporary adds a dot, ".part-", a process id
// of up to 7 digits and "-" with a serial of up to 10, and no name may pass NAME_MAX bytes.
inline constexpr std::size_t kMaxOutputNameBytes = NAME_MAX - 25;

class AtomicFile {
 public:
  // Opens `destination` for writing as the rule above says. Refused before anything is written,
  // with DataError naming the destination:
  //   kInput  it is a file this process reads: "the output would replace the input file
  //           <input>";
  //   kIo     a folder, an existing file that may not be written, a name longer than
  //           kMaxOutputNameBytes, or a failure to create or open it: "cannot create the
  //           file: <reason>";
  // and EngineError kInterrupted when the run was interrupted.
  explicit AtomicFile(std::string destination);
  // Writes directly to the open `descriptor` (the standard output), through a copy of it, so
  // that it stays open; `name` names it in messages.
  AtomicFile(int descriptor, std::string name);
  // Not committed: closes and removes the temporary file; the destination is untouched.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends all of `text`. Throws DataError kIo "cannot write the file: <reason>" naming the
  // destination (a full disk, a closed pipe: "Broken pipe"), or EngineError kInterrupted; the
  // temporary file is then removed.
  void Write(std::string_view text);
  // Appends `text` from `written` on, counting what goes out in `written`, and returns 0, or
  // the errno of a failure, which leaves the file as it is: for a writer that may make room
  // and try the rest again. Write then throws what this returns; EINTR means the run was told
  // to stop.
  int TryWrite(std::string_view text, std::size_t& written) noexcept;
  // Closes the file and renames it over the destination. Throws DataError kIo ("cannot close
  // the file", "cannot put the file in place") naming the destination, or EngineError
  // kInterrupted; the temporary file is removed and the destination keeps what it had.
  void Commit();
  // Closes and removes the temporary file now. Safe to call more than once.
  void Abandon() noexcept;

  const std::string& destination() const { return destination_; }
  // Empty while the destination is written directly.
  const std::string& temporaryPath() const { return temporary_; }
  // True when the destination is written directly, without a temporary (see above).
  bool direct() const { return direct_; }
  // The open descriptor, for writers that move data in the kernel; -1 once closed.
  int descriptor() const { return descriptor_.get(); }

 private:
  // Abandons the file and throws DataError::System(errorNumber, what) naming the destination.
  [[noreturn]] void Fail(const char* what, int errorNumber);

  std::string destination_;
  std::string temporary_;
  UniqueFd descriptor_;
  bool direct_ = false;
};

// Writes `text` to `destination` through an AtomicFile. Throws as AtomicFile does.
void WriteFileAtomically(const std::string& destination, std::string_view text);

// Puts a hard link to `source` in place of `destination` the same way: under a temporary name
// beside it, then renamed over it, so the destination is the whole of `source` or what it was.
// Returns false, having changed nothing, where no link can be made (another file system, one
// without links, a refusal) or the destination is written directly; the caller copies then.
// Throws DataError as AtomicFile does for a destination it refuses, or kIo when the rename
// fails.
bool ReplaceWithLink(const std::string& source, const std::string& destination);

// The temporary name for `destination` under the scheme above: the same folder, the serial
// counted per process.
std::string TemporaryPathFor(const std::string& destination);

// The process id in a temporary file name of our scheme ("<x>.part-<pid>-<n>", leading dot),
// or none for any other name.
std::optional<pid_t> TemporaryWriter(std::string_view fileName);

// True for a temporary file name of our scheme whose writing process no longer runs (see
// process_status.hpp).
bool IsOrphanedTemporary(std::string_view fileName);

// Removes from `folder` every orphaned temporary; with `destinationName` only those of that
// destination; never the file `keep` names (a record that happens to be named like one).
// Returns the paths removed. A folder that cannot be listed removes nothing.
std::vector<std::string> RemoveOrphanedTemporaries(const std::string& folder,
                                                   std::string_view destinationName = {},
                                                   const std::string& keep = {});

// Removes every temporary file this process has open and not yet committed. For the
// interruption handler, which runs on its own thread while the writers are stopped; any
// AtomicFile created afterwards blocks until the process exits.
void RemoveLiveTemporaries() noexcept;

}  // namespace accprep
