#pragma once
// Loading the channel files a conversion writes, through the engine's record reader: header
// lines, then records of 41 numbers (time or frequency, then channels 1..40), into a table
// whose columns lie contiguous for plotting and searching.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "viewer/channel_table.hpp"

namespace accprep {

enum class HeaderForm {
  // One header line, never looked at (velocity and displacement records, spectra).
  kOneLine,
  // The public acceleration CSV: the header, either first or after one comment line
  // (ChannelCsvHeaderLines in engine/channel_csv.hpp tells).
  kOptionalComment,
};

// Bytes read so far, for a progress bar; updated about once per block, from the loading thread.
using LoadProgress = std::atomic<std::uint64_t>;

// Reads the file at `path`. Throws DataError as the engine's record reader does, naming the
// file and, for its content, the line and field.
ChannelTable LoadChannelTable(const std::string& path, HeaderForm header,
                              LoadProgress* progress = nullptr);

// Calls `record` with each record's values (time or frequency, then channels 1..40), in file
// order, without keeping them: for what one pass over the file gives. Throws as
// LoadChannelTable does.
void ForEachChannelRecord(const std::string& path, HeaderForm header,
                          const std::function<void(const double* record)>& record);

// The size of the file in bytes, 0 when it cannot be looked at (for progress maxima).
std::uint64_t FileSize(const std::string& path);

}  // namespace accprep
