// Fuzzes the building layout's reader: a layout is a file the user writes by hand or saves from
// a spreadsheet. Reading must never crash; a layout it accepts must keep the promises the
// analyses rely on without checking again.

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "engine/building_layout.hpp"
#include "engine/data_error.hpp"
#include "fuzz/fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  accprep::BuildingLayout layout;
  try {
    layout = accprep::ParseBuildingLayout(text, "fuzz_layout.csv");
  } catch (const accprep::DataError& error) {
    ACCPREP_FUZZ_CHECK(error.file() == "fuzz_layout.csv", error.what());
    return 0;
  }
  ACCPREP_FUZZ_CHECK(!layout.directions.empty(), "accepted a layout without sensors");
  std::set<int> channels;
  for (const accprep::LayoutDirection& direction : layout.directions) {
    ACCPREP_FUZZ_CHECK(direction.levels.size() >= 2, direction.name);
    for (std::size_t i = 0; i < direction.levels.size(); ++i) {
      const accprep::LayoutSensor& sensor = direction.levels[i];
      ACCPREP_FUZZ_CHECK(sensor.channel >= 1 && sensor.channel <= 40, sensor.location);
      ACCPREP_FUZZ_CHECK(channels.insert(sensor.channel).second, "a channel listed twice");
      ACCPREP_FUZZ_CHECK(!sensor.location.empty(), "an empty location");
      ACCPREP_FUZZ_CHECK(std::isfinite(sensor.height), sensor.location);
      ACCPREP_FUZZ_CHECK(i == 0 || sensor.height > direction.levels[i - 1].height,
                         "levels not strictly rising");
    }
  }
  return 0;
}
