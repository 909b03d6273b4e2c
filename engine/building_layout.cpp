#include "engine/building_layout.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <optional>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

constexpr std::size_t kFields = 4;
constexpr std::string_view kFieldNames[kFields] = {"channel", "location", "direction", "height"};
// A layout lists at most 40 sensors in a few kilobytes; anything far larger is another file.
constexpr std::streamoff kLargestLayout = 1 << 20;

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Fields split at commas, blanks around them dropped. A field in quotes, as a spreadsheet may
// save it, keeps its commas and blanks, and a doubled quote inside it stands for one.
std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string field;
    if (i < line.size() && line[i] == '"') {
      for (++i; i < line.size(); ++i) {
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    }
    const std::size_t comma = line.find(',', i);
    field += Trim(line.substr(i, comma == std::string_view::npos ? comma : comma - i));
    fields.push_back(std::move(field));
    if (comma == std::string_view::npos) return fields;
    i = comma + 1;
  }
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool IsHeader(const std::vector<std::string>& fields) {
  return !fields.empty() && Upper(fields[0]) == "CHANNEL";
}

struct Direction {
  std::string key;  // the direction it belongs to: Z and UD are one
  bool vertical = false;
};

std::optional<Direction> ParseDirection(std::string_view text) {
  const std::string name = Upper(text);
  if (name == "X" || name == "Y" || name == "NS" || name == "EW") return Direction{name, false};
  if (name == "Z" || name == "UD") return Direction{"Z", true};
  return std::nullopt;
}

class LayoutParser {
 public:
  explicit LayoutParser(const std::string& file) : file_(file) {}

  void Line(std::string_view text, std::int64_t line) {
    const std::string_view content = Trim(text);
    if (content.empty() || content.front() == '#') return;
    const std::vector<std::string> fields = SplitFields(content);
    if (!seenContent_ && IsHeader(fields)) {
      seenContent_ = true;
      CheckHeader(fields, line);
      return;
    }
    seenContent_ = true;
    if (fields.size() != kFields) {
      Fail("expected 4 fields (channel,location,direction,height), found " +
               std::to_string(fields.size()),
           line);
    }
    Sensor(fields, line);
  }

  BuildingLayout Finish() {
    if (layout_.directions.empty()) Fail("no sensor listed", 0);
    for (LayoutDirection& direction : layout_.directions) {
      if (direction.levels.size() < 2) {
        const LayoutSensor& only = direction.levels.front();
        Fail("direction " + direction.name + " has one level only (" + only.location +
                 "); a direction needs two or more",
             only.line);
      }
      std::stable_sort(
          direction.levels.begin(), direction.levels.end(),
          [](const LayoutSensor& a, const LayoutSensor& b) { return a.height < b.height; });
    }
    return std::move(layout_);
  }

 private:
  [[noreturn]] void Fail(const std::string& reason, std::int64_t line, int field = 0) const {
    throw DataError(DataErrorKind::kInput, reason, file_, line, field);
  }

  void CheckHeader(const std::vector<std::string>& fields, std::int64_t line) const {
    bool matches = fields.size() == kFields;
    for (std::size_t i = 0; matches && i < kFields; ++i) {
      matches = Upper(fields[i]) == Upper(kFieldNames[i]);
    }
    if (!matches) Fail("the header must read channel,location,direction,height", line);
  }

  void Sensor(const std::vector<std::string>& fields, std::int64_t line) {
    LayoutSensor sensor;
    sensor.line = line;
    const std::string& channel = fields[0];
    const auto [end, error] =
        std::from_chars(channel.data(), channel.data() + channel.size(), sensor.channel);
    if (channel.empty() || error != std::errc() || end != channel.data() + channel.size() ||
        sensor.channel < 1 || sensor.channel > kChannels) {
      Fail("not a channel 1..40: \"" + channel + "\"", line, 1);
    }
    if (const std::int64_t first = channelLine_[sensor.channel - 1]; first != 0) {
      Fail("channel " + std::to_string(sensor.channel) + " is listed twice (first on line " +
               std::to_string(first) + ")",
           line, 1);
    }
    channelLine_[sensor.channel - 1] = line;

    sensor.location = fields[1];
    if (sensor.location.empty()) Fail("the location is empty", line, 2);

    const std::optional<Direction> direction = ParseDirection(fields[2]);
    if (!direction) {
      Fail("unknown direction \"" + fields[2] + "\": X, Y, NS, EW, or Z or UD for vertical", line,
           3);
    }

    const ParseResult height = ParseNumber(fields[3]);
    if (height.error != ParseError::kNone) {
      Fail("the height is not a number: \"" + fields[3] + "\"", line, 4);
    }
    sensor.height = height.value;

    LayoutDirection& into = DirectionOf(*direction, fields[2]);
    for (const LayoutSensor& other : into.levels) {
      const std::string otherLine = " (the other on line " + std::to_string(other.line) + ")";
      if (other.location == sensor.location) {
        Fail("two sensors at level " + sensor.location + " in direction " + into.name + otherLine,
             line);
      }
      if (other.height == sensor.height) {
        Fail("two sensors at one height in direction " + into.name + ": " + other.location +
                 " and " + sensor.location + " both at " + FormatNumber(sensor.height) + " m" +
                 otherLine,
             line);
      }
    }
    into.levels.push_back(std::move(sensor));
  }

  LayoutDirection& DirectionOf(const Direction& direction, std::string_view written) {
    const auto found = std::find(keys_.begin(), keys_.end(), direction.key);
    if (found != keys_.end()) return layout_.directions[found - keys_.begin()];
    keys_.push_back(direction.key);
    LayoutDirection& added = layout_.directions.emplace_back();
    added.name = Upper(written);
    added.vertical = direction.vertical;
    return added;
  }

  const std::string& file_;
  BuildingLayout layout_;
  std::vector<std::string> keys_;  // one per direction of layout_, in its order
  std::int64_t channelLine_[kChannels] = {};
  bool seenContent_ = false;
};

}  // namespace

BuildingLayout ParseBuildingLayout(std::string_view text, const std::string& file) {
  // A byte-order mark, which some editors put at the start of a UTF-8 file.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  LayoutParser parser(file);
  std::int64_t line = 1;
  for (;;) {
    const std::size_t end = text.find('\n');
    parser.Line(text.substr(0, end), line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
    ++line;
  }
  return parser.Finish();
}

BuildingLayout ReadBuildingLayout(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw DataError(DataErrorKind::kIo, "cannot open the file: " + SystemReason(errno), path);
  std::string text;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (static_cast<std::streamoff>(text.size()) > kLargestLayout) {
      throw DataError(DataErrorKind::kInput, "too large for a layout (more than 1 MB)", path);
    }
  }
  if (in.bad()) {
    throw DataError(DataErrorKind::kIo, "cannot read the file: " + SystemReason(errno), path);
  }
  return ParseBuildingLayout(text, path);
}

}  // namespace accprep
