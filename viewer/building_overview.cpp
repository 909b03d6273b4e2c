#include "viewer/building_overview.hpp"

#include <cmath>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

#include "engine/conversion_names.hpp"
#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "measures/story_drift.hpp"

namespace accprep {
namespace {

// What a story's drift weighs in the choice of the largest: its angle where the heights are
// known, else its peak.
double DriftWeight(const StoryDriftEntry& entry) {
  if (!entry.drift.peak.found) return -1.0;
  return std::isfinite(entry.drift.angle) ? entry.drift.angle : std::abs(entry.drift.peak.value);
}

void FindLargestDrifts(BuildingOverview& overview, const ChannelTable& displacement) {
  for (const LayoutDirection& direction : overview.layout.directions) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < overview.drifts.size(); ++i) {
      const StoryDriftEntry& entry = overview.drifts[i];
      if (entry.direction != &direction || DriftWeight(entry) < 0.0) continue;
      if (!best || DriftWeight(entry) > DriftWeight(overview.drifts[*best])) best = i;
    }
    if (!best) continue;
    const StoryDriftEntry& entry = overview.drifts[*best];
    overview.largest.push_back({*best, DriftHistory(displacement.column(entry.lower->channel),
                                                    displacement.column(entry.upper->channel))});
  }
  const std::span<const double> times = displacement.column(0);
  overview.driftTimes.assign(times.begin(), times.end());
}

void ChooseOverviewLayout(BuildingOverview& overview, const ConversionFiles& files,
                          const ChannelPair& pair) {
  overview.layoutPath = LayoutFilePath(files.stem);
  std::error_code ignored;
  if (std::filesystem::exists(overview.layoutPath, ignored)) {
    overview.layoutError =
        AttemptBuildingAnalysis([&] { overview.layout = ReadBuildingLayout(overview.layoutPath); });
    overview.fromFile = overview.layoutError.empty();
  }
  if (!overview.fromFile) overview.layout = PairLayout(pair);
}

void RequireRecords(const ChannelTable& table, const std::string& path) {
  if (table.rows() < kFewestBuildingRecords) {
    throw DataError(DataErrorKind::kInput,
                    "too few records for the building's analyses (" + std::to_string(table.rows()) +
                        "; four or more)",
                    path);
  }
}

}  // namespace

std::string AttemptBuildingAnalysis(const std::function<void()>& compute) {
  try {
    compute();
  } catch (const DataError& error) {
    return error.what();
  } catch (const std::invalid_argument& error) {
    // A broken precondition of a measure must never end the window.
    return error.what();
  } catch (const std::bad_alloc&) {
    return "not enough memory for the building's analyses";
  }
  return {};
}

const DirectionResponse* BuildingOverview::ResponseOf(const ChannelPair& pair) const {
  for (const DirectionResponse& response : responses) {
    if (response.direction->base().channel == pair.input &&
        response.direction->top().channel == pair.output) {
      return &response;
    }
  }
  return nullptr;
}

std::vector<DirectionModes> BuildingOverview::Modes() const {
  std::vector<DirectionModes> modes;
  for (const DirectionResponse& response : responses) {
    if (!response.direction->vertical) modes.push_back({response.direction, response.modes});
  }
  return modes;
}

std::unique_ptr<BuildingOverview> ComputeBuildingOverview(const ConversionFiles& files,
                                                          const BuildingRecords& records,
                                                          const ChannelPair& pair,
                                                          const SpectralSmoothing& smoothing) {
  auto overview = std::make_unique<BuildingOverview>();
  overview->smoothing = smoothing;
  ChooseOverviewLayout(*overview, files, pair);
  const BuildingLayout& layout = overview->layout;

  const std::string accelerationPath = files.path(ConversionFile::kAcceleration);
  overview->failure = AttemptBuildingAnalysis([&] {
    if (records.acceleration == nullptr) {
      throw DataError(DataErrorKind::kInput, "no such file: the building's analyses need it",
                      accelerationPath);
    }
    RequireRecords(*records.acceleration, accelerationPath);
    overview->timeStep = UniformTimeStep(records.acceleration->column(0), accelerationPath,
                                         records.acceleration->firstLine());
    BuildingRecords withStep = records;
    withStep.timeStep = overview->timeStep;
    overview->profiles = ComputeProfiles(layout, withStep);
    overview->responses =
        ComputeDirectionResponses(layout, *records.acceleration, overview->timeStep, smoothing);
  });

  const std::string displacementPath = files.path(ConversionFile::kDisplacement);
  overview->driftFailure = AttemptBuildingAnalysis([&] {
    if (records.displacement == nullptr) {
      throw DataError(DataErrorKind::kInput, "no such file: the story drift needs it",
                      displacementPath);
    }
    RequireRecords(*records.displacement, displacementPath);
    overview->drifts = ComputeDrifts(layout, *records.displacement);
    FindLargestDrifts(*overview, *records.displacement);
  });
  return overview;
}

}  // namespace accprep
