#include "knet/knet_header.hpp"

#include <array>
#include <charconv>
#include <chrono>
#include <optional>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

constexpr std::size_t kValueColumn = 18;  // column 19, 0-based
constexpr int kOriginTimeLine = 1;
constexpr int kMagnitudeLine = 5;
constexpr int kMaxAccLine = 15;
// Far above any recorder; keeps the tick arithmetic of the time column in range.
constexpr int kMaxSamplingHz = 1000000;

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what,
                       std::string_view value) {
  throw DataError(DataErrorKind::kInput, what + ": \"" + std::string(value) + "\"", file, line);
}

// Plain decimal digits only: no sign, blank or point.
std::optional<int> Digits(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  return value;
}

// "YYYY/MM/DD HH:MM:SS" as seconds since 1970-01-01 00:00:00 of the same clock. The files
// give local time; Japan keeps no daylight saving, so differences on this scale are true
// durations and the traces of one event line up by them.
std::optional<std::int64_t> RecordSecond(std::string_view text) {
  if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  const auto year = Digits(text.substr(0, 4));
  const auto month = Digits(text.substr(5, 2));
  const auto day = Digits(text.substr(8, 2));
  const auto hour = Digits(text.substr(11, 2));
  const auto minute = Digits(text.substr(14, 2));
  const auto second = Digits(text.substr(17, 2));
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{*year}, std::chrono::month(unsigned(*month)),
                            std::chrono::day(unsigned(*day))};
  if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const std::int64_t days = sys_days(date).time_since_epoch().count();
  return days * 86400 + *hour * 3600 + *minute * 60 + *second;
}

std::optional<int> SamplingHz(std::string_view text) {
  if (text.size() < 3 || text.substr(text.size() - 2) != "Hz") return std::nullopt;
  const auto hz = Digits(Trim(text.substr(0, text.size() - 2)));
  if (!hz || *hz < 1 || *hz > kMaxSamplingHz) return std::nullopt;
  return hz;
}

std::optional<double> PositiveNumber(std::string_view text) {
  const ParseResult parsed = ParseNumber(Trim(text));
  if (parsed.error != ParseError::kNone || !(parsed.value > 0.0)) return std::nullopt;
  return parsed.value;
}

std::optional<ScaleFactor> ParseScaleFactor(std::string_view text) {
  constexpr std::string_view kUnit = "(gal)/";
  const std::size_t unit = text.find(kUnit);
  if (unit == std::string_view::npos) return std::nullopt;
  const auto numerator = PositiveNumber(text.substr(0, unit));
  const auto denominator = PositiveNumber(text.substr(unit + kUnit.size()));
  if (!numerator || !denominator) return std::nullopt;
  return ScaleFactor{*numerator, *denominator};
}

// Each line's label as its letters and digits begin, in lower case.
constexpr std::array<std::string_view, kKnetHeaderLines> kLabelKeys = {
    "origintime", "lat",         "long",          "depth",          "mag",          "stationcode",
    "stationlat", "stationlong", "stationheight", "recordtime",     "samplingfreq", "durationtime",
    "dir",        "scalefactor", "maxacc",        "lastcorrection", "memo"};
// The same as the files write them, for messages.
constexpr std::array<std::string_view, kKnetHeaderLines> kLabels = {"Origin Time",
                                                                    "Lat.",
                                                                    "Long.",
                                                                    "Depth. (km)",
                                                                    "Mag.",
                                                                    "Station Code",
                                                                    "Station Lat.",
                                                                    "Station Long.",
                                                                    "Station Height(m)",
                                                                    "Record Time",
                                                                    "Sampling Freq(Hz)",
                                                                    "Duration Time(s)",
                                                                    "Dir.",
                                                                    "Scale Factor",
                                                                    "Max. Acc. (gal)",
                                                                    "Last Correction",
                                                                    "Memo."};

std::string LabelKey(std::string_view label) {
  std::string key;
  for (const char c : label) {
    if (c >= 'A' && c <= 'Z') key += static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) key += c;
  }
  return key;
}

void CheckLabels(std::span<const std::string_view> lines, const std::string& file) {
  for (int line = 1; line <= kKnetHeaderLines; ++line) {
    const std::string_view label = Trim(lines[line - 1].substr(0, kValueColumn));
    if (LabelKey(label).starts_with(kLabelKeys[line - 1])) continue;
    if (line == 1) {
      Fail(file, line, "not a K-NET or KiK-net ASCII file: no \"Origin Time\" label", label);
    }
    throw DataError(DataErrorKind::kInput,
                    "a header line is missing or out of place: \"" +
                        std::string(kLabels[line - 1]) + "\" belongs here, not \"" +
                        std::string(label) + "\"",
                    file, line);
  }
}

bool IsStationCode(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // It names the channel in a comma-separated line and the default output file.
    if (byte <= ' ' || byte >= 0x7F || c == ',' || c == '/' || c == '\\') return false;
  }
  return true;
}

}  // namespace

std::string_view HeaderValue(std::string_view line) {
  return line.size() > kValueColumn ? Trim(line.substr(kValueColumn)) : std::string_view();
}

KnetHeader ParseKnetHeader(std::span<const std::string_view> lines, const std::string& file) {
  if (lines.size() < kKnetHeaderLines) {
    throw DataError(DataErrorKind::kInput,
                    "not a K-NET or KiK-net ASCII file: the header ends at line " +
                        std::to_string(lines.size()) + " of " + std::to_string(kKnetHeaderLines),
                    file, static_cast<std::int64_t>(lines.size()));
  }
  CheckLabels(lines, file);
  const auto value = [&](int line) { return HeaderValue(lines[line - 1]); };

  KnetHeader header;
  // The record time first: it is the one value every such file has in that exact form, so
  // a file of another kind is told as such rather than by its first odd value.
  header.recordTime = value(kRecordTimeLine);
  const auto recordSecond = RecordSecond(header.recordTime);
  if (!recordSecond) {
    Fail(file, kRecordTimeLine,
         "not a K-NET or KiK-net ASCII file: no record time YYYY/MM/DD HH:MM:SS",
         header.recordTime);
  }
  header.recordSecond = *recordSecond;

  header.originTime = value(kOriginTimeLine);
  header.magnitude = value(kMagnitudeLine);
  header.stationCode = value(kStationCodeLine);
  if (!IsStationCode(header.stationCode)) {
    Fail(file, kStationCodeLine, "station code is empty or holds a blank, comma or slash",
         header.stationCode);
  }
  const auto hz = SamplingHz(value(kSamplingLine));
  if (!hz) {
    Fail(file, kSamplingLine, "sampling frequency is not a whole number of Hz",
         value(kSamplingLine));
  }
  header.samplingHz = *hz;
  header.direction = value(kDirectionLine);
  const auto scale = ParseScaleFactor(value(kScaleFactorLine));
  if (!scale) {
    Fail(file, kScaleFactorLine, "scale factor is not NUM(gal)/DEN with positive NUM and DEN",
         value(kScaleFactorLine));
  }
  header.scale = *scale;
  const ParseResult maxAcc = ParseNumber(value(kMaxAccLine));
  if (maxAcc.error != ParseError::kNone || maxAcc.value < 0.0) {
    Fail(file, kMaxAccLine, "maximum acceleration is not a number of gal", value(kMaxAccLine));
  }
  header.maxAccGal = maxAcc.value;
  const auto duration = PositiveNumber(value(kDurationLine));
  if (!duration) {
    Fail(file, kDurationLine, "duration time is not a positive number of seconds",
         value(kDurationLine));
  }
  header.durationSeconds = *duration;
  return header;
}

}  // namespace accprep
