#include "viewer/record_intensity.hpp"

#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "viewer/channel_list.hpp"

namespace accprep {

std::string ComponentsText(const IntensityComponents& components) {
  return std::to_string(components.horizontal1) + "," + std::to_string(components.horizontal2) +
         "," + std::to_string(components.vertical);
}

std::optional<IntensityComponents> ParseComponents(std::string_view text) {
  const std::optional<std::vector<int>> channels = ParseChannelNumbers(text, 3);
  if (!channels) return std::nullopt;
  return IntensityComponents{(*channels)[0], (*channels)[1], (*channels)[2]};
}

RecordIntensity ComputeRecordIntensity(const ChannelTable& acceleration, const std::string& path,
                                       const IntensityComponents& components) {
  const double step = UniformTimeStep(acceleration.column(0), path, acceleration.firstLine());
  RecordIntensity result;
  result.components = components;
  try {
    result.jma = ComputeJmaIntensity(acceleration.column(components.horizontal1),
                                     acceleration.column(components.horizontal2),
                                     acceleration.column(components.vertical), step);
  } catch (DataError& error) {
    // The measure knows no file; the user needs it.
    error.SetFileIfNone(path);
    throw;
  }
  result.longPeriod = ComputeLongPeriodMotion(acceleration.column(components.horizontal1),
                                              acceleration.column(components.horizontal2), step);
  return result;
}

std::array<AriasMeasures, kChannels> ComputeChannelMeasures(const ChannelTable& acceleration,
                                                            const std::string& path) {
  const double step = UniformTimeStep(acceleration.column(0), path, acceleration.firstLine());
  std::array<AriasMeasures, kChannels> measures;
  for (int c = 1; c <= kChannels; ++c) {
    measures[c - 1] = ComputeAriasMeasures(acceleration.column(c), step);
  }
  return measures;
}

}  // namespace accprep
