#pragma once
// The command line of accprep-view:
//   accprep-view [--channel N] [--damping H] [--export PATH.png|PATH.pdf [--page a4|a3]
//                [--dpi N]] [--peaks PATH.csv] [--response PATH.csv] [--intensity PATH.csv]
//                [--rotd PATH.csv] [--components H1,H2[,V]] [--periods T1,T2,...|@FILE]
//                [--fas PATH.csv] [--measures PATH.csv] [--modes PATH.csv] [--drift PATH.csv]
//                [--transfer PATH.csv] [--profile PATH.csv] [--tracking PATH.csv]
//                [--layout PATH] [--pair IN,OUT] [--smoothing none|parzen:B|ko:b] [RECORD]
// Without one of the outputs (--export, --peaks, --response, --intensity, --rotd, --fas,
// --measures, --modes, --drift, --transfer, --profile, --tracking) the window opens (asking for
// a record when none is given); with any of them the program writes what was asked and exits
// without showing a window, and RECORD is required.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "measures/spectral_smoothing.hpp"
#include "viewer/building_outputs.hpp"
#include "viewer/page_layout.hpp"
#include "viewer/record_intensity.hpp"
#include "viewer/spectra_outputs.hpp"

namespace accprep {

inline constexpr char kViewerProgram[] = "accprep-view";

struct ViewerOptions {
  std::string record;             // any file of the conversion, or its input record; may be empty
  int channel = 1;                // 1..40
  double damping = 0.05;          // 0 <= h < 1
  std::string exportPath;         // .png or .pdf, empty when not asked
  PageSize page = PageSize::kA4;  // of the export, landscape
  int dpi = kDefaultPictureDpi;   // of a PNG export
  std::string peaksPath;
  std::string responsePath;
  std::string intensityPath;
  IntensityComponents components;  // of --intensity: 1,2,3 unless --components says otherwise
  std::string measuresPath;
  std::string rotdPath;
  HorizontalPair horizontals;   // of --rotd: the first two of --components, else 1,2
  std::vector<double> periods;  // of --response and --rotd; empty for the 100 periods
  std::string periodsFile;      // the file of --periods @FILE, which no output may replace
  std::string fasPath;
  SpectralSmoothing smoothing;  // of --fas: none unless --smoothing says otherwise
  BuildingRequest building;     // the building's tables, --layout, --pair and --smoothing

  // Every output a command line may name, given or not, with its option: one list, so that a
  // new output is headless, checked against the files read and named where a record is
  // missing.
  struct Output {
    const char* option;
    const std::string* path;
  };
  std::vector<Output> Outputs() const {
    return {{"--export", &exportPath},
            {"--peaks", &peaksPath},
            {"--response", &responsePath},
            {"--intensity", &intensityPath},
            {"--measures", &measuresPath},
            {"--rotd", &rotdPath},
            {"--fas", &fasPath},
            {"--modes", &building.modesPath},
            {"--drift", &building.driftPath},
            {"--transfer", &building.transferPath},
            {"--profile", &building.profilePath},
            {"--tracking", &building.trackingPath}};
  }
  bool Headless() const {
    for (const Output& output : Outputs())
      if (!output.path->empty()) return true;
    return false;
  }
  bool ExportsPdf() const;  // the export path ends in ".pdf" (any case)
};

// Parses argv. --help writes the usage and --version the version to `out`, exit code 0; a
// usage mistake writes "error: <what>" and the usage to `err`, exit code 2 (command_line.hpp).
ParseOutcome<ViewerOptions> ParseViewerOptions(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err);

}  // namespace accprep
