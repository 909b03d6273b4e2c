#include "viewer/building_outputs.hpp"

#include <cmath>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/conversion_names.hpp"
#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/time_step.hpp"
#include "viewer/conversion_data.hpp"

namespace accprep {
namespace {

void AppendNumber(std::string& text, double value) {
  char buffer[kMaxNumberText];
  text.append(buffer, FormatNumber(buffer, value, NumberForm::Point()));
}

// A number, or nothing for one that does not exist (NaN).
void AppendField(std::string& text, double value) {
  text += ',';
  if (std::isfinite(value)) AppendNumber(text, value);
}

// Text in quotes, a quote inside doubled, as spreadsheets read it.
void AppendQuoted(std::string& text, const std::string& value) {
  text += '"';
  for (char c : value) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

// A comma and a whole number (a mode, a story, a channel).
void AppendCount(std::string& text, int count) {
  text += ',';
  text += std::to_string(count);
}

constexpr char kEnd[] = "\r\n";

}  // namespace

std::string ModesCsvText(const std::vector<DirectionModes>& modes) {
  std::string text = "\"direction\",\"mode\",\"frequency\",\"period\",\"damping\"\r\n";
  for (const DirectionModes& entry : modes) {
    for (std::size_t m = 0; m < entry.modes.size(); ++m) {
      const IdentifiedMode& mode = entry.modes[m];
      AppendQuoted(text, entry.direction->name);
      AppendCount(text, static_cast<int>(m + 1));
      AppendField(text, mode.frequency);
      AppendField(text, mode.period);
      AppendField(text, mode.damping);
      text += kEnd;
    }
  }
  return text;
}

std::string DriftCsvText(const std::vector<StoryDriftEntry>& drifts) {
  std::string text =
      "\"direction\",\"story\",\"lower\",\"upper\",\"height\",\"peak_drift\","
      "\"peak_drift_angle\",\"time\"\r\n";
  for (const StoryDriftEntry& entry : drifts) {
    AppendQuoted(text, entry.direction->name);
    AppendCount(text, entry.story);
    text += ',';
    AppendQuoted(text, entry.lower->location);
    text += ',';
    AppendQuoted(text, entry.upper->location);
    AppendField(text, entry.height);
    const bool found = entry.drift.peak.found;
    AppendField(text, found ? entry.drift.peak.value : NAN);
    AppendField(text, found ? entry.drift.angle : NAN);
    AppendField(text, found ? entry.drift.peak.time : NAN);
    text += kEnd;
  }
  return text;
}

std::string TransferCsvText(const TransferFunction& transfer) {
  std::string text = "\"frequency\",\"amplitude\",\"phase\",\"coherence\"\r\n";
  for (std::size_t i = 0; i < transfer.frequency.size(); ++i) {
    AppendNumber(text, transfer.frequency[i]);
    AppendField(text, TransferAmplitude(transfer.response[i]));
    AppendField(text, TransferPhaseDegrees(transfer.response[i]));
    AppendField(text, transfer.coherence[i]);
    text += kEnd;
  }
  return text;
}

std::string ProfileCsvText(const std::vector<DirectionProfile>& profiles) {
  std::string text =
      "\"direction\",\"location\",\"height\",\"channel\",\"peak_acceleration\","
      "\"peak_velocity\",\"peak_displacement\",\"amplification\"\r\n";
  for (const DirectionProfile& profile : profiles) {
    for (std::size_t i = 0; i < profile.levels.size(); ++i) {
      const LayoutSensor& sensor = profile.direction->levels[i];
      const LevelPeaks& peaks = profile.levels[i];
      AppendQuoted(text, profile.direction->name);
      text += ',';
      AppendQuoted(text, sensor.location);
      AppendField(text, sensor.height);
      AppendCount(text, sensor.channel);
      AppendField(text, peaks.acceleration);
      AppendField(text, peaks.velocity);
      AppendField(text, peaks.displacement);
      AppendField(text, peaks.amplification);
      text += kEnd;
    }
  }
  return text;
}

std::string TrackingCsvText(const std::vector<DirectionTracking>& tracking) {
  std::string text = "\"direction\",\"time\",\"frequency\"\r\n";
  for (const DirectionTracking& entry : tracking) {
    for (const TrackedFrequency& window : entry.track) {
      AppendQuoted(text, entry.direction->name);
      AppendField(text, window.time);
      AppendField(text, window.frequency.value_or(NAN));
      text += kEnd;
    }
  }
  return text;
}

namespace {

// The pair the transfer table is of: the one asked for, else the first horizontal
// direction's base and top (the first direction's in a layout of vertical ones only).
ChannelPair TransferPair(const BuildingRequest& request, const BuildingLayout* layout) {
  if (request.pair) return *request.pair;
  const LayoutDirection* chosen = &layout->directions.front();
  for (const LayoutDirection& direction : layout->directions) {
    if (!direction.vertical) {
      chosen = &direction;
      break;
    }
  }
  return {chosen->base().channel, chosen->top().channel};
}

void RequireFile(const ConversionFiles& files, ConversionFile file, const std::string& need) {
  if (!files.has(file)) {
    throw DataError(DataErrorKind::kInput, "no such file: " + need, files.path(file));
  }
}

}  // namespace

void WriteBuildingTables(const ConversionFiles& files, const BuildingRequest& request,
                         std::ostream& notes) {
  const bool needsLayout = !request.modesPath.empty() || !request.driftPath.empty() ||
                           !request.profilePath.empty() || !request.trackingPath.empty() ||
                           (!request.transferPath.empty() && !request.pair);
  const std::optional<BuildingLayout> layout =
      needsLayout ? ChooseLayout(files, request.layoutPath, request.pair) : std::nullopt;
  if (needsLayout && !layout) {
    throw DataError(DataErrorKind::kInput,
                    "no such file: the building's analyses need a layout beside the record, "
                    "or --layout PATH, or --pair IN,OUT",
                    LayoutFilePath(files.stem));
  }

  // Every table but the drift reads the acceleration; the drift and the profile read the
  // displacement, the profile also the velocity where it exists.
  const bool needsAcceleration = !request.modesPath.empty() || !request.transferPath.empty() ||
                                 !request.profilePath.empty() || !request.trackingPath.empty();
  std::vector<ConversionFile> wanted;
  if (needsAcceleration) {
    RequireFile(files, ConversionFile::kAcceleration, "the building's analyses need it");
    wanted.push_back(ConversionFile::kAcceleration);
  }
  if (!request.driftPath.empty()) {
    RequireFile(files, ConversionFile::kDisplacement, "the story drift needs it");
  }
  if (!request.profilePath.empty()) {
    for (ConversionFile file : {ConversionFile::kVelocity, ConversionFile::kDisplacement}) {
      if (!files.has(file)) {
        notes << "note: " << files.path(file) << " does not exist; its peaks are left empty\n";
      }
    }
  }
  for (ConversionFile file : {ConversionFile::kVelocity, ConversionFile::kDisplacement}) {
    const bool profileWants = !request.profilePath.empty() && files.has(file);
    const bool driftWants = !request.driftPath.empty() && file == ConversionFile::kDisplacement;
    if (profileWants || driftWants) wanted.push_back(file);
  }
  const ConversionData data = LoadConversion(files, wanted);
  for (ConversionFile file : wanted) {
    if (!data.error(file).empty()) throw DataError(DataErrorKind::kInput, data.error(file));
  }

  BuildingRecords records;
  records.acceleration = data.table(ConversionFile::kAcceleration);
  records.velocity = data.table(ConversionFile::kVelocity);
  records.displacement = data.table(ConversionFile::kDisplacement);
  for (ConversionFile file : wanted) {
    const ChannelTable& table = *data.table(file);
    if (table.rows() < kFewestBuildingRecords) {
      throw DataError(DataErrorKind::kInput,
                      "too few records for the building's analyses (" +
                          std::to_string(table.rows()) + "; four or more)",
                      files.path(file));
    }
  }
  if (records.acceleration != nullptr) {
    records.timeStep =
        UniformTimeStep(records.acceleration->column(0), files.path(ConversionFile::kAcceleration),
                        records.acceleration->firstLine());
  }

  if (!request.profilePath.empty()) {
    WriteFileAtomically(request.profilePath, ProfileCsvText(ComputeProfiles(*layout, records)));
  }
  if (!request.driftPath.empty()) {
    WriteFileAtomically(request.driftPath,
                        DriftCsvText(ComputeDrifts(*layout, *records.displacement)));
  }
  if (!request.transferPath.empty()) {
    const ChannelPair pair = TransferPair(request, layout ? &*layout : nullptr);
    WriteFileAtomically(request.transferPath,
                        TransferCsvText(ComputeTransfer(
                            *records.acceleration, records.timeStep, pair, request.smoothing,
                            files.path(ConversionFile::kAcceleration))));
  }
  if (!request.modesPath.empty() || !request.trackingPath.empty()) {
    const std::vector<DirectionModes> modes =
        ComputeModes(*layout, *records.acceleration, records.timeStep);
    if (!request.modesPath.empty()) WriteFileAtomically(request.modesPath, ModesCsvText(modes));
    if (!request.trackingPath.empty()) {
      for (const DirectionModes& entry : modes) {
        if (entry.modes.empty()) {
          notes << "note: no mode of direction " << entry.direction->name
                << " stands clear of the noise; its first frequency is not tracked\n";
        }
      }
      WriteFileAtomically(
          request.trackingPath,
          TrackingCsvText(ComputeTracking(modes, *records.acceleration, records.timeStep)));
    }
  }
}

}  // namespace accprep
