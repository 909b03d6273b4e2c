#pragma once
// The channel CSV, the form of every table of 40 channels the tool writes for people and
// programs: the public acceleration CSV, the exchange CSV, the jobs' records and spectra, the
// viewer's tables. A header line of 41 quoted names, the first column's name ("time",
// "freq", "period") then "1ch".."40ch", comma-separated; then one line per row of 41
// comma-separated numbers in the point form; CR LF after every line. The public acceleration
// CSV opens with a comment line before its header.

#include <string>
#include <string_view>

namespace accprep {

// "first","1ch",...,"40ch" and CR LF.
std::string ChannelCsvHeader(std::string_view firstName);

// How many lines stand before the records of a channel CSV that may open with a comment line
// (1 or 2): the first line is the header when it begins with "time", unless the second line
// does too (the first is then a comment that looks like a header). Reads the start of the
// file. Throws DataError naming the file: kIo when it cannot be read, kInput when a header
// line is missing.
int ChannelCsvHeaderLines(const std::string& path);

}  // namespace accprep
