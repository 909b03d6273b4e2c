#pragma once
// File operations of the conversion run besides reading and writing records: copying a job's
// result beside the input and deleting exchange files.

#include <string>

namespace accprep {

// Makes `destination` hold `source` byte for byte, replacing an existing destination only
// once the whole of it is in place. Where both lie on one file system the destination becomes
// a hard link to the source (which the run deletes a moment later): the same bytes, for
// nothing. Elsewhere, or where links are refused, the bytes are copied in the kernel. Throws
// DataError kIo naming the file at fault and the reason; the destination then keeps what it
// had.
void CopyFileReplacing(const std::string& source, const std::string& destination);

// Deletes `path`; a file that is already gone is no failure. Throws DataError kIo otherwise.
void DeleteFileIfPresent(const std::string& path);

}  // namespace accprep
