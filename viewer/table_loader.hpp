#pragma once
// Loading the channel files a conversion writes: header lines, then one record a line of 41
// numbers (time or frequency, then channels 1..40) separated by commas, blanks or tabs allowed
// around a comma, LF or CR LF line ends. Blank lines are skipped. The file is parsed by
// several threads at once, each taking a run of whole lines.

#include <atomic>
#include <cstdint>
#include <string>

#include "viewer/channel_table.hpp"

namespace accprep {

enum class HeaderForm {
  // One header line, never looked at (velocity and displacement records, spectra).
  kOneLine,
  // The public acceleration CSV: the quoted header "time","1ch",... either first, or after
  // one comment line. A first line that begins with "time", is the header, unless the second
  // line begins so too (then the first was a comment that looks like it).
  kOptionalComment,
};

// Bytes parsed so far, for a progress bar; updated about once per megabyte from any thread.
using LoadProgress = std::atomic<std::uint64_t>;

// Reads the file at `path`. threads >= 1; one is used for files under a megabyte.
// Throws EngineError naming the file and, for its content, the line and field:
//   kIo     the file cannot be opened or read (the system's reason);
//   kInput  the header line is missing; a field is empty, not a number or not finite (the
//           text found is quoted); a line holds fewer or more than 41 values.
ChannelTable LoadChannelTable(const std::string& path, HeaderForm header,
                              LoadProgress* progress = nullptr, int threads = 2);

// The size of the file in bytes, 0 when it cannot be looked at (for progress maxima).
std::uint64_t FileSize(const std::string& path);

}  // namespace accprep
