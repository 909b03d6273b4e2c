#pragma once
// One K-NET or KiK-net ASCII file read into a trace in gal: its 17 header lines (see
// knet_header.hpp), then the recorder's integer counts, up to 8 a line, separated by blanks.

#include <string>
#include <string_view>
#include <vector>

#include "knet/knet_header.hpp"

namespace accprep {

inline constexpr int kCountsPerLine = 8;

struct KnetTrace {
  std::string file;  // the path it was read from, for messages
  KnetHeader header;
  std::string component;    // "EW" ... "UD2", see knet_component.hpp
  std::vector<double> gal;  // count * NUM / DEN, one per sample, at least one
  double mean = 0.0;        // mean of gal: the trace's level before and after its own span

  // "AOM001 EW": the channel's name in the record.
  std::string Name() const;
  // max |gal - mean|: comparable with the header's Max. Acc., which is taken the same way.
  double PeakAboutMean() const;
};

// Parses `text`, the whole content of `file`. LF and CR LF are both line ends; blank lines
// after the last count are ignored. Throws DataError naming `file` and the line (and the
// field, 1-based within the line, where one count is at fault):
//   kInput     as ParseKnetHeader, ComponentOfFile and CheckDirection say;
//              "count is not an integer: "<text>"";
//              "more than 8 counts on a data line";
//              "data line cut short: N counts where 8 belong" (any line but the last);
//              "no counts after the 17 header lines";
//   kCapacity  "trace longer than 450,000 samples" (the record's capacity) at the first count
//              beyond it.
KnetTrace ParseKnetTrace(std::string_view text, const std::string& file);

// Reads and parses the file at `path`. Throws as ParseKnetTrace, and DataError kIo
// "cannot read the file: <reason>" naming the file.
KnetTrace ReadKnetTrace(const std::string& path);

}  // namespace accprep
