#include "viewer/building_analysis.hpp"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "engine/conversion_names.hpp"
#include "engine/data_error.hpp"
#include "engine/sample_table.hpp"
#include "measures/pair_spectra.hpp"
#include "measures/parallel_tasks.hpp"
#include "viewer/channel_list.hpp"

namespace accprep {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
// The directions' analyses share the machine's cores.
constexpr int kThreads = 2;

}  // namespace

std::optional<ChannelPair> ParseChannelPair(std::string_view text) {
  const std::optional<std::vector<int>> channels = ParseChannelNumbers(text, 2);
  if (!channels) return std::nullopt;
  return ChannelPair{(*channels)[0], (*channels)[1]};
}

std::string ChannelPairText(const ChannelPair& pair) {
  return std::to_string(pair.input) + "," + std::to_string(pair.output);
}

BuildingLayout PairLayout(const ChannelPair& pair) {
  LayoutDirection direction;
  direction.name = ChannelPairText(pair);
  direction.levels.push_back({pair.input, std::to_string(pair.input) + "ch", kNan, 0});
  direction.levels.push_back({pair.output, std::to_string(pair.output) + "ch", kNan, 0});
  BuildingLayout layout;
  layout.directions.push_back(std::move(direction));
  return layout;
}

std::optional<BuildingLayout> ChooseLayout(const ConversionFiles& files,
                                           const std::string& layoutPath,
                                           const std::optional<ChannelPair>& pair) {
  if (!layoutPath.empty()) return ReadBuildingLayout(layoutPath);
  const std::string beside = LayoutFilePath(files.stem);
  std::error_code error;
  if (std::filesystem::exists(beside, error)) return ReadBuildingLayout(beside);
  if (pair) return PairLayout(*pair);
  return std::nullopt;
}

std::vector<DirectionProfile> ComputeProfiles(const BuildingLayout& layout,
                                              const BuildingRecords& records) {
  const auto column = [](const ChannelTable* table, int channel) {
    return table != nullptr ? table->column(channel) : std::span<const double>();
  };
  std::vector<DirectionProfile> profiles;
  for (const LayoutDirection& direction : layout.directions) {
    std::vector<LevelRecords> levels;
    for (const LayoutSensor& sensor : direction.levels) {
      levels.push_back({column(records.acceleration, sensor.channel),
                        column(records.velocity, sensor.channel),
                        column(records.displacement, sensor.channel)});
    }
    profiles.push_back({&direction, PeakProfile(levels)});
  }
  return profiles;
}

std::vector<StoryDriftEntry> ComputeDrifts(const BuildingLayout& layout,
                                           const ChannelTable& displacement) {
  std::vector<StoryDriftEntry> drifts;
  for (const LayoutDirection& direction : layout.directions) {
    if (direction.vertical) continue;
    for (std::size_t story = 1; story < direction.levels.size(); ++story) {
      const LayoutSensor& lower = direction.levels[story - 1];
      const LayoutSensor& upper = direction.levels[story];
      StoryDriftEntry entry{&direction, static_cast<int>(story),     &lower,
                            &upper,     upper.height - lower.height, {}};
      entry.drift =
          PeakStoryDrift(displacement.column(lower.channel), displacement.column(upper.channel),
                         displacement.column(0), entry.height);
      drifts.push_back(entry);
    }
  }
  return drifts;
}

std::vector<DirectionModes> ComputeModes(const BuildingLayout& layout,
                                         const ChannelTable& acceleration, double timeStep) {
  std::vector<DirectionModes> modes;
  for (const LayoutDirection& direction : layout.directions) {
    if (!direction.vertical) modes.push_back({&direction, {}});
  }
  RunTasks(modes.size(), kThreads, [&](std::size_t d) {
    const LayoutDirection& direction = *modes[d].direction;
    modes[d].modes =
        IdentifyModes(ComputePairSpectra(acceleration.column(direction.base().channel),
                                         acceleration.column(direction.top().channel), timeStep));
  });
  return modes;
}

std::vector<DirectionResponse> ComputeDirectionResponses(const BuildingLayout& layout,
                                                         const ChannelTable& acceleration,
                                                         double timeStep,
                                                         const SpectralSmoothing& smoothing) {
  std::vector<DirectionResponse> responses(layout.directions.size());
  RunTasks(responses.size(), kThreads, [&](std::size_t d) {
    const LayoutDirection& direction = layout.directions[d];
    DirectionResponse& response = responses[d];
    response.direction = &direction;
    const PairSpectra spectra =
        ComputePairSpectra(acceleration.column(direction.base().channel),
                           acceleration.column(direction.top().channel), timeStep);
    response.transfer = EstimateTransferFunction(spectra, smoothing);
    if (direction.vertical) return;
    // The modes are found on the default smoothing whatever is shown.
    response.modes = smoothing == kDefaultTransferSmoothing
                         ? IdentifyModes(spectra, response.transfer)
                         : IdentifyModes(spectra);
  });
  return responses;
}

namespace {

// A transfer function needs an input that moves.
void RequireMovingInput(std::span<const double> input, int channel, const std::string& path) {
  if (std::all_of(input.begin(), input.end(), [&](double v) { return v == input.front(); })) {
    throw DataError(
        DataErrorKind::kInput,
        "channel " + std::to_string(channel) + " does not move: no transfer function from it",
        path);
  }
}

}  // namespace

TransferFunction ComputeTransfer(const ChannelTable& acceleration, double timeStep,
                                 const ChannelPair& pair, const SpectralSmoothing& smoothing,
                                 const std::string& path) {
  const std::span<const double> input = acceleration.column(pair.input);
  RequireMovingInput(input, pair.input, path);
  return EstimateTransferFunction(
      ComputePairSpectra(input, acceleration.column(pair.output), timeStep), smoothing);
}

PairResponse ComputePairResponse(const ChannelTable& acceleration, double timeStep,
                                 const ChannelPair& pair, const SpectralSmoothing& smoothing,
                                 const std::string& path) {
  const std::span<const double> input = acceleration.column(pair.input);
  RequireMovingInput(input, pair.input, path);
  const PairSpectra spectra = ComputePairSpectra(input, acceleration.column(pair.output), timeStep);
  PairResponse response;
  response.transfer = EstimateTransferFunction(spectra, smoothing);
  // The modes are found on the default smoothing whatever is shown.
  response.modes = smoothing == kDefaultTransferSmoothing
                       ? IdentifyModes(spectra, response.transfer)
                       : IdentifyModes(spectra);
  return response;
}

std::vector<DirectionTracking> ComputeTracking(const std::vector<DirectionModes>& modes,
                                               const ChannelTable& acceleration, double timeStep) {
  std::vector<DirectionTracking> tracking;
  for (const DirectionModes& entry : modes) {
    if (entry.modes.empty()) continue;
    const LayoutDirection& direction = *entry.direction;
    tracking.push_back(
        {&direction,
         TrackFirstFrequency(acceleration.column(direction.base().channel),
                             acceleration.column(direction.top().channel), acceleration.column(0),
                             timeStep, entry.modes.front().frequency)});
  }
  return tracking;
}

}  // namespace accprep
