#pragma once
// What the 建物応答 tab shows of one conversion, computed at once off the window's thread:
// where the channels stand (the layout file beside the record, or two channels the user picks
// when there is none or it cannot be used), every direction's peak profile and base → top
// transfer function with its modes, every story's drift with the time history of each
// direction's largest, and the first frequency through the shaking (a second step, as it
// takes longer).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "viewer/building_analysis.hpp"

namespace accprep {

// The story of a horizontal direction whose drift the tab draws over time: the largest drift
// angle, or the largest peak drift where the heights are not known.
struct LargestStoryDrift {
  std::size_t entry = 0;        // into BuildingOverview::drifts
  std::vector<double> history;  // upper - lower, cm, at the displacement's times
};

struct BuildingOverview {
  BuildingOverview() = default;
  // The analyses point into the layout: one overview, never copied.
  BuildingOverview(const BuildingOverview&) = delete;
  BuildingOverview& operator=(const BuildingOverview&) = delete;

  bool fromFile = false;    // the layout beside the record; else the pair's (PairLayout)
  std::string layoutPath;   // <stem>_layout.csv, read or looked for
  std::string layoutError;  // why that file cannot be used (file, line, reason); else empty
  BuildingLayout layout;
  double timeStep = 0.0;  // s, of the acceleration

  // Empty where the acceleration (for the drifts, the displacement) is missing or cannot be
  // analysed; `failure` (`driftFailure`) then says why, naming the file.
  std::vector<DirectionProfile> profiles;
  std::vector<DirectionResponse> responses;  // every direction, at `smoothing`
  SpectralSmoothing smoothing;
  std::vector<StoryDriftEntry> drifts;
  std::vector<LargestStoryDrift> largest;  // one per horizontal direction with a drift found
  std::vector<double> driftTimes;          // the displacement's times, s
  std::string failure;
  std::string driftFailure;

  // The base → top response of the direction whose base and top are `pair`; none otherwise.
  const DirectionResponse* ResponseOf(const ChannelPair& pair) const;
  // The modes of every horizontal direction, for the tracking.
  std::vector<DirectionModes> Modes() const;
};

// The overview of a conversion whose records are `records` (timeStep is found here from the
// acceleration's times) and whose files are `files`: the layout <stem>_layout.csv when it
// exists and can be used, else PairLayout(pair). Never throws for what the files hold: a
// layout or a record that cannot be used is said in layoutError or failure.
std::unique_ptr<BuildingOverview> ComputeBuildingOverview(const ConversionFiles& files,
                                                          const BuildingRecords& records,
                                                          const ChannelPair& pair,
                                                          const SpectralSmoothing& smoothing);

// The message of a failed building analysis: a DataError's as it is, a broken precondition of
// a measure or a lack of memory in words; empty when `compute` returns.
std::string AttemptBuildingAnalysis(const std::function<void()>& compute);

// The first of the two channels a record without a layout is analysed for until the user
// picks others: the first channel to the second.
inline constexpr ChannelPair kFirstPair{1, 2};

}  // namespace accprep
