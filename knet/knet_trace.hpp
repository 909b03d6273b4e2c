#pragma once
// One K-NET or KiK-net ASCII file read into a trace in gal: its 17 header lines (see
// knet_header.hpp), then the recorder's integer counts, up to 8 a line, separated by blanks.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "knet/knet_header.hpp"

namespace accprep {

inline constexpr int kCountsPerLine = 8;
// The largest file read. 450,000 samples (what a record holds) take 56,250 data lines, about
// 4 MB as the networks write them; a larger file is none of theirs, and a device or an
// endless pipe given as one is refused here instead of read until memory runs out.
inline constexpr std::size_t kMaxKnetFileBytes = std::size_t{16} << 20;

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
// after the last count are ignored. A count is an optional minus and digits. The samples must
// be as many as Duration Time x Sampling Freq, and every count x scale factor a finite number
// of gal. Throws DataError naming `file` and the line (and the field, 1-based within the
// line, where one count is at fault):
//   kInput     as ParseKnetHeader, ComponentOfFile and CheckDirection say;
//              "count is not an integer: "<text>"";
//              "count <text> times the scale factor is beyond the range of numbers";
//              "more than 8 counts on a data line";
//              "data line cut short: N counts where 8 belong" (any line but the last);
//              "the file ends inside a data line: it was cut short" (no final line end);
//              "no counts after the 17 header lines";
//              "N samples where Duration Time D s at F Hz makes M: the file was cut short or
//              its header is wrong" (no line);
//   kCapacity  "trace longer than 450,000 samples" (the record's capacity) at the first count
//              beyond it.
KnetTrace ParseKnetTrace(std::string_view text, const std::string& file);

// Reads and parses the file at `path`. Throws as ParseKnetTrace, and DataError naming the
// file: kIo "cannot open the file: <reason>" or "cannot read the file: <reason>"; kInput
// "more than 16 MiB: ..." once more than kMaxKnetFileBytes are read; and
// ThrowIfInterrupted's error.
KnetTrace ReadKnetTrace(const std::string& path);

}  // namespace accprep
