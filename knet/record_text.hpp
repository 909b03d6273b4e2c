#pragma once
// The text of an assembled record in the tool's input form, which accprep, accprep-cli and
// accprep-view read: two header lines, then one line per sample of 43 comma-separated
// numbers (time, channels 1..40, two trailing values), every line ending in CR LF.
//
// Header line 1 says what the record is; line 2 is "time," then the 40 channel names, then the
// names of the two trailing columns. The conversion never reads either line; the viewer takes
// its channel names from line 2, so no name may hold a comma.

#include <functional>
#include <string>
#include <string_view>

#include "knet/knet_record.hpp"

namespace accprep {

// The name of a channel no trace fills, and of the two trailing columns.
inline constexpr char kUnusedChannelName[] = "unused";
inline constexpr char kTrailingColumnNames[] = "trailing1,trailing2";

// "K-NET/KiK-net acceleration in gal: origin 2018/01/24 19:51:00 M6.2, 27 traces, 100 Hz,
// from 2018/01/24 19:51:35" (origin and magnitude of the first trace), without line end.
std::string RecordTitle(const KnetRecord& record);

// "time,AOM001 EW,...,unused,trailing1,trailing2", without line end.
std::string ChannelNamesLine(const KnetRecord& record);

// Hands the whole text to `sink` in pieces of about a megabyte, in order. Times as
// FormatSampleTime writes them; values in the point form of FormatNumber; unused channels
// and the trailing values "0". Whatever `sink` throws passes through.
void WriteRecordText(const KnetRecord& record, const std::function<void(std::string_view)>& sink);

}  // namespace accprep
