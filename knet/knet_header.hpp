#pragma once
// The 17 header lines of a K-NET or KiK-net ASCII file. Each line holds a label in columns
// 1..18 and its value from column 19 on. The values are taken by line position; each label is
// checked too, so that a file missing a line is refused instead of read shifted (its first
// count taken for the memo). Labels are compared on their letters and digits only, so that
// spacing, case, points and units may vary:
//    1 Origin Time   5 Mag.           10 Record Time    13 Dir.           15 Max. Acc. (gal)
//    6 Station Code  11 Sampling Freq  12 Duration Time  14 Scale Factor
// Lines 2..4, 7..9, 16 and 17 (epicentre, station position, last correction, memo) are not
// needed for the record.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace accprep {

inline constexpr int kKnetHeaderLines = 17;

// "NUM(gal)/DEN": a count of the recorder is count * NUM / DEN gal.
struct ScaleFactor {
  double numerator = 1.0;
  double denominator = 1.0;

  // In this order (product first, then the quotient) because records the tool is compared
  // against were scaled that way; the other order differs in the last bits.
  double Gal(std::int64_t count) const {
    return static_cast<double>(count) * numerator / denominator;
  }
};

struct KnetHeader {
  std::string originTime;         // as written, e.g. "2018/01/24 19:51:00"; for the title only
  std::string magnitude;          // as written, e.g. "6.2"; for the title only
  std::string stationCode;        // e.g. "AOM001": printable ASCII without blank, comma or slash
  std::string recordTime;         // "YYYY/MM/DD HH:MM:SS", local time of the first sample
  std::int64_t recordSecond = 0;  // recordTime in seconds on a continuous local-time scale
  int samplingHz = 0;             // a whole number of samples per second, >= 1
  std::string direction;          // Dir. as written ("E-W", or a KiK-net channel label)
  ScaleFactor scale;
  double maxAccGal = 0.0;        // the file's own peak, printed with 3 decimals
  double durationSeconds = 0.0;  // Duration Time: the samples are duration x sampling rate
};

// Line numbers (1-based) of the values above, for messages.
inline constexpr int kStationCodeLine = 6;
inline constexpr int kRecordTimeLine = 10;
inline constexpr int kSamplingLine = 11;
inline constexpr int kDurationLine = 12;
inline constexpr int kDirectionLine = 13;
inline constexpr int kScaleFactorLine = 14;

// The value of one header line: from column 19 on, without blanks around it.
std::string_view HeaderValue(std::string_view line);

// Parses the first kKnetHeaderLines of `lines` (line ends removed). Fewer lines, a first line
// that is no "Origin Time", or a record time that is not one, mean the file is no
// K-NET/KiK-net ASCII file at all. Throws DataError kInput naming `file` and the line:
//   "not a K-NET or KiK-net ASCII file: the header ends at line N of 17"
//   "not a K-NET or KiK-net ASCII file: no "Origin Time" label: "<label>""
//   "a header line is missing or out of place: "Lat." belongs here, not "<label>""
//   "not a K-NET or KiK-net ASCII file: no record time YYYY/MM/DD HH:MM:SS: "<value>""
//   "station code is empty or holds a blank, comma or slash: "<value>""
//   "sampling frequency is not a whole number of Hz: "<value>""
//   "scale factor is not NUM(gal)/DEN with positive NUM and DEN: "<value>""
//   "maximum acceleration is not a number of gal: "<value>""
//   "duration time is not a positive number of seconds: "<value>""
KnetHeader ParseKnetHeader(std::span<const std::string_view> lines, const std::string& file);

}  // namespace accprep
