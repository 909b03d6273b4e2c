#pragma once
// The intensity measures of a loaded acceleration file: the JMA seismic intensity and
// long-period class of three chosen channels, and Arias intensity, significant durations and
// CAV of every channel. The window's 震度・指標 tab and the headless --intensity and
// --measures share them.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measures/arias_measures.hpp"
#include "measures/jma_intensity.hpp"
#include "measures/long_period_class.hpp"
#include "viewer/channel_table.hpp"

namespace accprep {

// Channel numbers (1..40): the two horizontal components, then the vertical.
struct IntensityComponents {
  int horizontal1 = 1;
  int horizontal2 = 2;
  int vertical = 3;
  bool operator==(const IntensityComponents&) const = default;
};

// "1,2,3": the form --components takes and the tables write.
std::string ComponentsText(const IntensityComponents& components);
// Three different channel numbers 1..40 separated by commas, nothing else; none otherwise.
std::optional<IntensityComponents> ParseComponents(std::string_view text);

struct RecordIntensity {
  IntensityComponents components;
  JmaIntensity jma;
  LongPeriodMotion longPeriod;
};

// `acceleration` is the table loaded from `path` (for messages). Throws DataError kInput
// naming `path`: a time step that is not uniform (with its line), or a record shorter than
// the 0.3 s the intensity needs.
RecordIntensity ComputeRecordIntensity(const ChannelTable& acceleration, const std::string& path,
                                       const IntensityComponents& components);

// Channels 1..40 at entries 0..39. Throws as above for a step that is not uniform.
std::array<AriasMeasures, kChannels> ComputeChannelMeasures(const ChannelTable& acceleration,
                                                            const std::string& path);

}  // namespace accprep
