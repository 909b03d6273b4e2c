#pragma once
// How the building moved: the analyses of a conversion whose channels a layout places in a
// building (engine/building_layout.hpp), or of two channels the user picks. The mathematics
// lives in measures/; this file chooses the records each analysis takes from the layout, and
// names the file a failure concerns. The headless tables and the window share it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/building_layout.hpp"
#include "measures/frequency_tracking.hpp"
#include "measures/modal_identification.hpp"
#include "measures/peak_profile.hpp"
#include "measures/story_drift.hpp"
#include "measures/transfer_function.hpp"
#include "viewer/channel_table.hpp"
#include "viewer/conversion_files.hpp"

namespace accprep {

// The modal fits and the transforms need a few samples to stand on.
inline constexpr std::int64_t kFewestBuildingRecords = 4;

// Two channels: the input (a base) and the output (a level above it).
struct ChannelPair {
  int input = 0;   // 1..40
  int output = 0;  // 1..40, not the input
  bool operator==(const ChannelPair&) const = default;
};

// Two different channel numbers 1..40 separated by a comma, nothing else ("1,5"); none
// otherwise.
std::optional<ChannelPair> ParseChannelPair(std::string_view text);
// "1,5": the form --pair takes.
std::string ChannelPairText(const ChannelPair& pair);

// A layout of the two channels alone, for a record without one: one horizontal direction
// named by the pair ("1,5"), its base the input and its top the output, at locations "1ch"
// and "5ch" of unknown height (NaN).
BuildingLayout PairLayout(const ChannelPair& pair);

// The layout the analyses of `files` use: the file `layoutPath` when given, else
// <stem>_layout.csv beside the record when it exists, else the pair's when there is one;
// none otherwise. Throws DataError as ReadBuildingLayout does.
std::optional<BuildingLayout> ChooseLayout(const ConversionFiles& files,
                                           const std::string& layoutPath,
                                           const std::optional<ChannelPair>& pair);

// The records the analyses read, loaded by the caller; null where the conversion lacks one.
// timeStep is the acceleration's (UniformTimeStep), > 0 whenever acceleration is set.
struct BuildingRecords {
  const ChannelTable* acceleration = nullptr;
  const ChannelTable* velocity = nullptr;
  const ChannelTable* displacement = nullptr;
  double timeStep = 0.0;
};

// Every direction of the layout, vertical included: each level's peaks and amplification.
struct DirectionProfile {
  const LayoutDirection* direction = nullptr;  // into the layout, which must outlive this
  std::vector<LevelPeaks> levels;              // one per direction->levels entry
};
std::vector<DirectionProfile> ComputeProfiles(const BuildingLayout& layout,
                                              const BuildingRecords& records);

// The stories of each horizontal direction, numbered 1, 2, ... from the base: the story
// between levels[story - 1] and levels[story].
struct StoryDriftEntry {
  const LayoutDirection* direction = nullptr;
  int story = 0;
  const LayoutSensor* lower = nullptr;
  const LayoutSensor* upper = nullptr;
  double height = 0.0;  // m, upper - lower; NaN where the heights are not known
  StoryDrift drift;
};
std::vector<StoryDriftEntry> ComputeDrifts(const BuildingLayout& layout,
                                           const ChannelTable& displacement);

// The modes of each horizontal direction, from its base to its top. The directions share the
// machine's two cores, as below.
struct DirectionModes {
  const LayoutDirection* direction = nullptr;
  std::vector<IdentifiedMode> modes;
};
std::vector<DirectionModes> ComputeModes(const BuildingLayout& layout,
                                         const ChannelTable& acceleration, double timeStep);

// What the window shows of every direction at once: the transfer function from its base to
// its top smoothed with `smoothing`, and the modes of the horizontal ones (none for a vertical
// direction). A base that does not move gives a transfer function of NaN and no modes. The
// directions share the machine's two cores.
struct DirectionResponse {
  const LayoutDirection* direction = nullptr;
  TransferFunction transfer;
  std::vector<IdentifiedMode> modes;
};
std::vector<DirectionResponse> ComputeDirectionResponses(const BuildingLayout& layout,
                                                         const ChannelTable& acceleration,
                                                         double timeStep,
                                                         const SpectralSmoothing& smoothing);

// The transfer function from pair.input to pair.output. Throws DataError kInput naming
// `path` (the acceleration file) when the input channel does not move.
TransferFunction ComputeTransfer(const ChannelTable& acceleration, double timeStep,
                                 const ChannelPair& pair, const SpectralSmoothing& smoothing,
                                 const std::string& path);

// The transfer function of `pair` smoothed with `smoothing`, and the modes it shows: what the
// window draws for a pair the user picks. Throws as ComputeTransfer does.
struct PairResponse {
  TransferFunction transfer;
  std::vector<IdentifiedMode> modes;
};
PairResponse ComputePairResponse(const ChannelTable& acceleration, double timeStep,
                                 const ChannelPair& pair, const SpectralSmoothing& smoothing,
                                 const std::string& path);

// The first frequency of each horizontal direction through the shaking, around the first
// mode `modes` found there; directions without a mode are left out.
struct DirectionTracking {
  const LayoutDirection* direction = nullptr;
  std::vector<TrackedFrequency> track;
};
std::vector<DirectionTracking> ComputeTracking(const std::vector<DirectionModes>& modes,
                                               const ChannelTable& acceleration, double timeStep);

}  // namespace accprep
