#pragma once
// K-NET files for the tests: the 27 shared ones, and texts derived from them, since the
// shared folder is never written.

#include <string>
#include <vector>

namespace accprep::testing {

// The 27 shared files in the channel order of the shared record knet-aomori-2018.csv:
// AOM001 EW, NS, UD, AOM002 EW, ...
std::vector<std::string> SharedKnetFiles();
// The shared file of that name, e.g. "AOM0011801241951.EW".
std::string SharedKnetFile(const std::string& name);

// `text` with its line `line` (1-based, LF ends) replaced by `content`.
std::string WithLine(const std::string& text, int line, const std::string& content);
// `text` with header line `line` holding `value` from column 19, its label kept.
std::string WithHeaderValue(const std::string& text, int line, const std::string& value);
// `text` without its first `count` data lines (8 samples each).
std::string WithoutDataLines(const std::string& text, int count);

// AOM001's EW header with the given record time, "<hz>Hz", the duration of `counts` at that
// rate, scale factor 1(gal)/2 (a count is half a gal) and `counts` 8 a line.
std::string SyntheticKnetText(const std::string& recordTime, int hz,
                              const std::vector<int>& counts);

}  // namespace accprep::testing
