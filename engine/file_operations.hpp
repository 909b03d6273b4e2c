#pragma once
// File operations of the conversion run besides reading and writing records: copying a job's
// result beside the input, deleting exchange files, and the temporary names under which
// every output is written before it is renamed into place.

#include <string>

namespace accprep {

// A fresh name in the folder of `path` for writing it: ".<name>.part-<pid>-<n>". Being in the
// same folder, the final rename never crosses a file system.
std::string TemporaryPathFor(const std::string& path);

// Creates and opens for writing a fresh temporary file beside `path` (see TemporaryPathFor),
// sets `temporaryPath` to its name and returns its descriptor. Throws EngineError kIo
// "cannot create the file: <reason>" naming `path`.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath);

// Copies `source` to `destination` byte for byte, replacing an existing destination only once
// the copy is complete. Throws EngineError kIo naming the file at fault and the reason.
void CopyFileReplacing(const std::string& source, const std::string& destination);

// Deletes `path`; a file that is already gone is no failure. Throws EngineError kIo otherwise.
void DeleteFileIfPresent(const std::string& path);

}  // namespace accprep
