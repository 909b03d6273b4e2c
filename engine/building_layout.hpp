#pragma once
// The building layout: which channels of a record are the sensors of a building (or of an
// array), at which level, in which direction and at what height. The user writes it as a
// small CSV beside the record, <stem>_layout.csv (LayoutFilePath in
// engine/conversion_names.hpp), one line per sensor:
//
//   channel,location,direction,height
//   1,1F,X,0
//   2,2F,X,4.2
//   13,1F,Z,0
//
// `location` is the level's name as the user writes it (B1F, 1F, RF, GL-2m, ...); `direction`
// is X or Y (building axes), NS or EW, or Z or UD for vertical (one direction under either
// name), in any case; `height` is in metres above the base level. The header line is
// optional; blank lines and lines starting with '#' are skipped; fields may be quoted and
// blanks around them are dropped. Channels not listed are not part of the building.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace accprep {

struct LayoutSensor {
  int channel = 0;        // 1..40
  std::string location;   // as written
  double height = 0.0;    // m above the base level; may be negative below it
  std::int64_t line = 0;  // where the sensor stands in the layout file
};

struct LayoutDirection {
  std::string name;  // "X", "Y", "NS", "EW", or "Z"/"UD" as first written (upper case)
  bool vertical = false;
  // By height, the lowest first: levels.front() is the direction's base, levels.back() its
  // top. Two or more, at different heights and locations.
  std::vector<LayoutSensor> levels;

  const LayoutSensor& base() const { return levels.front(); }
  const LayoutSensor& top() const { return levels.back(); }
};

struct BuildingLayout {
  // In the order their first sensors stand in the file.
  std::vector<LayoutDirection> directions;
};

// Reads the layout `text` of the file `file` (named in messages). Throws DataError kInput
// naming the file, and the line and field where one applies: a line without four fields, a
// channel that is not a number 1..40 or is listed twice, an empty location, an unknown
// direction, a height that is not a number, two sensors at one level (location or height) and
// direction, a direction with fewer than two levels (on the line of its sensor), or no sensor
// at all.
BuildingLayout ParseBuildingLayout(std::string_view text, const std::string& file);

// The same for the file at `path`. Throws DataError kIo naming it when it cannot be read.
BuildingLayout ReadBuildingLayout(const std::string& path);

}  // namespace accprep
