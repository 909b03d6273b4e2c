#pragma once
// File operations of the conversion run besides reading and writing records: copying a job's
// result beside the input and deleting exchange files.

#include <string>

namespace accprep {

// Copies `source` to `destination` byte for byte, replacing an existing destination only once
// the copy is complete. Throws EngineError kIo naming the file at fault and the reason.
void CopyFileReplacing(const std::string& source, const std::string& destination);

// Deletes `path`; a file that is already gone is no failure. Throws EngineError kIo otherwise.
void DeleteFileIfPresent(const std::string& path);

}  // namespace accprep
