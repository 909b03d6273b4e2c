#pragma once
// The headless tables of the building's response, with the conventions of the viewer's other
// tables (viewer/viewer_csv.hpp): quoted header, comma-separated fields, numbers in the
// engine's point form, text quoted, an empty field for a value that does not exist, CR LF
// after every line, written through the atomic file.
//
//   --modes     "direction","mode","frequency","period","damping"            (Hz, s, ratio)
//   --drift     "direction","story","lower","upper","height","peak_drift",
//               "peak_drift_angle","time"                        (m, cm, rad, s)
//   --transfer  "frequency","amplitude","phase","coherence"      (Hz, ratio, degrees, 0..1)
//   --profile   "direction","location","height","channel","peak_acceleration",
//               "peak_velocity","peak_displacement","amplification"  (m, gal, cm/s, cm, ratio)
//   --tracking  "direction","time","frequency"                   (s, Hz)

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "viewer/building_analysis.hpp"
#include "viewer/conversion_files.hpp"

namespace accprep {

// What the command line asks of the building analyses.
struct BuildingRequest {
  std::string modesPath;
  std::string driftPath;
  std::string transferPath;
  std::string profilePath;
  std::string trackingPath;
  std::string layoutPath;           // --layout; empty for <stem>_layout.csv beside the record
  std::optional<ChannelPair> pair;  // --pair: the transfer function's, or the analyses' own
  SpectralSmoothing smoothing = kDefaultTransferSmoothing;  // of the transfer table

  bool Any() const {
    return !modesPath.empty() || !driftPath.empty() || !transferPath.empty() ||
           !profilePath.empty() || !trackingPath.empty();
  }
};

// The tables' text.
std::string ModesCsvText(const std::vector<DirectionModes>& modes);
std::string DriftCsvText(const std::vector<StoryDriftEntry>& drifts);
std::string TransferCsvText(const TransferFunction& transfer);
std::string ProfileCsvText(const std::vector<DirectionProfile>& profiles);
std::string TrackingCsvText(const std::vector<DirectionTracking>& tracking);

// Loads what the tables asked for need, once, and writes each. The transfer table is that of
// the pair, or without one of the first horizontal direction's base and top. Notes on
// `notes` name what is left out (a direction without a mode to track, the velocity or
// displacement file a profile goes without). Throws DataError kInput naming the file it
// concerns: no layout beside the record and neither --layout nor --pair; a layout that cannot
// be used (ReadBuildingLayout); a missing acceleration file, or displacement file for the
// drift; fewer than four records or a time step that is not uniform; an input that does not
// move; and whatever loading or writing throws.
void WriteBuildingTables(const ConversionFiles& files, const BuildingRequest& request,
                         std::ostream& notes);

}  // namespace accprep
