#include "viewer/viewer_options.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

#include "measures/response_spectrum.hpp"
#include "viewer/period_choice.hpp"

namespace accprep {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                    [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

bool ViewerOptions::ExportsPdf() const { return EndsWithNoCase(exportPath, ".pdf"); }

ParseOutcome<ViewerOptions> ParseViewerOptions(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err) {
  ViewerOptions options;
  options.damping = kDefaultDamping;
  const ProgramVoice voice{kViewerProgram};
  CLI::App app{
      "Shows the acceleration, velocity and displacement of a conversion, their spectra, "
      "peaks and response spectra.",
      voice.name};
  app.add_option("RECORD", options.record,
                 "the input record, or any file a conversion wrote beside it (without it, and "
                 "without an option that writes a file, the window opens and asks for one)");
  app.add_option("--channel", options.channel, "channel shown or exported (1..40, default 1)")
      ->check(CLI::Range(1, 40));
  app.add_option("--damping", options.damping,
                 "damping ratio of the response spectra (0 <= H < 1, default 0.05)");
  app.add_option("--export", options.exportPath,
                 "render the channel's full view to PATH.png or PATH.pdf and exit");
  std::string page = "a4";
  app.add_option("--page", page,
                 "page of --export, landscape: a4 (default) or a3; the text keeps its size");
  app.add_option("--dpi", options.dpi,
                 "resolution of a PNG --export in dots per inch (50..1200, default 150)");
  app.add_option("--peaks", options.peaksPath, "write the peaks table to PATH.csv and exit");
  app.add_option("--response", options.responsePath,
                 "write the acceleration response spectra of every channel to PATH.csv and exit");
  auto* intensity = app.add_option(
      "--intensity", options.intensityPath,
      "write the JMA seismic intensity and long-period ground-motion class to PATH.csv and exit");
  auto* rotd = app.add_option(
      "--rotd", options.rotdPath,
      "write RotD00, RotD50 and RotD100 of two horizontal channels to PATH.csv and exit");
  std::string components;
  app.add_option("--components", components,
                 "channels of --intensity (the two horizontal, then the vertical; default 1,2,3) "
                 "and of --rotd (the first two)");
  std::string periods;
  app.add_option("--periods", periods,
                 "periods of --response and --rotd in seconds: T1,T2,... or @FILE with one a "
                 "line (default: 100 from 0.02 s to 10 s)");
  auto* fas = app.add_option(
      "--fas", options.fasPath,
      "write the Fourier amplitude spectrum of every channel's acceleration to PATH.csv and exit");
  app.add_option(
      "--measures", options.measuresPath,
      "write Arias intensity, D5-75, D5-95 and CAV of every channel to PATH.csv and exit");
  BuildingRequest& building = options.building;
  app.add_option("--modes", building.modesPath,
                 "write the natural frequencies, periods and damping of the first modes of each "
                 "horizontal direction to PATH.csv and exit");
  app.add_option("--drift", building.driftPath,
                 "write the peak story drift and drift angle of each story to PATH.csv and exit");
  app.add_option("--transfer", building.transferPath,
                 "write the transfer function of --pair (default: base to top of the first "
                 "horizontal direction) to PATH.csv and exit");
  app.add_option("--profile", building.profilePath,
                 "write the peak acceleration, velocity and displacement of each level and its "
                 "amplification to PATH.csv and exit");
  app.add_option("--tracking", building.trackingPath,
                 "write the first frequency of each horizontal direction through the shaking "
                 "to PATH.csv and exit");
  app.add_option("--layout", building.layoutPath,
                 "the building's layout (default: the record's stem + _layout.csv)");
  std::string pair;
  app.add_option("--pair", pair,
                 "two channels IN,OUT: the transfer function's, and without a layout the "
                 "building's analyses' base and top");
  std::string smoothing;
  app.add_option("--smoothing", smoothing,
                 "smoothing of --fas (default none) and --transfer (default parzen:0.1): none, "
                 "parzen:B (bandwidth B Hz) or ko:b (Konno-Ohmachi, ko alone for b = 40)");
  // Checks CLI11 cannot make; each failure is a usage mistake like those it finds.
  const auto check = [&] {
    if (const std::optional<PageSize> size = ParsePageSize(page)) {
      options.page = *size;
    } else {
      throw CLI::ValidationError("--page: the page must be a4 or a3");
    }
    if (options.dpi < kLeastPictureDpi || options.dpi > kMostPictureDpi) {
      throw CLI::ValidationError("--dpi: the resolution must lie in 50..1200 dots per inch");
    }
    if (options.record.empty() && options.Headless()) {
      std::string given;  // the outputs asked for, as they were named
      for (const ViewerOptions::Output& output : options.Outputs()) {
        if (output.path->empty()) continue;
        given += (given.empty() ? "" : ", ") + std::string(output.option);
      }
      throw CLI::ValidationError("RECORD is required with " + given);
    }
    if (!IsUsableDamping(options.damping)) {
      throw CLI::ValidationError(
          "--damping: the damping ratio must lie in 0 <= H < 1 (0.05 for 5 %)");
    }
    if (app.count("--components") > 0) {
      if (intensity->count() == 0 && rotd->count() == 0) {
        throw CLI::ValidationError("--components requires --intensity or --rotd");
      }
      // Three serve both; two serve --rotd alone.
      if (const std::optional<IntensityComponents> three = ParseComponents(components)) {
        options.components = *three;
        options.horizontals = {three->horizontal1, three->horizontal2};
      } else if (const std::optional<HorizontalPair> two = ParseHorizontalPair(components);
                 two && intensity->count() == 0) {
        options.horizontals = *two;
      } else if (intensity->count() > 0) {
        throw CLI::ValidationError(
            "--components: three different channels 1..40, the two horizontal first, "
            "e.g. 1,2,3");
      } else {
        throw CLI::ValidationError(
            "--components: two different horizontal channels 1..40, e.g. 1,2");
      }
    }
    if (app.count("--periods") > 0) {
      if (app.count("--response") == 0 && rotd->count() == 0) {
        throw CLI::ValidationError("--periods requires --response or --rotd");
      }
      PeriodChoice choice = ParsePeriods(periods);
      if (!choice.error.empty()) throw CLI::ValidationError("--periods: " + choice.error);
      options.periods = std::move(choice.periods);
      if (periods.starts_with('@')) options.periodsFile = periods.substr(1);
    }
    if (app.count("--pair") > 0) {
      building.pair = ParseChannelPair(pair);
      if (!building.pair) {
        throw CLI::ValidationError(
            "--pair: two different channels 1..40, the input first, e.g. 1,5");
      }
    }
    if (app.count("--smoothing") > 0) {
      if (fas->count() == 0 && building.transferPath.empty()) {
        throw CLI::ValidationError("--smoothing requires --fas or --transfer");
      }
      const std::optional<SpectralSmoothing> parsed = ParseSmoothing(smoothing);
      if (!parsed) {
        throw CLI::ValidationError(
            "--smoothing: none, parzen:B with a bandwidth B > 0 in Hz, or ko:b with "
            "0 < b <= 1000 (ko alone for b = 40)");
      }
      options.smoothing = *parsed;
      building.smoothing = *parsed;
    }
    if (!options.exportPath.empty() && !EndsWithNoCase(options.exportPath, ".png") &&
        !options.ExportsPdf()) {
      throw CLI::ValidationError("--export: the picture must be a .png or a .pdf file");
    }
  };
  if (const std::optional<int> exit = ParseArguments(app, voice, argc, argv, out, err, check)) {
    return {std::nullopt, *exit};
  }
  return {std::move(options), kExitSuccess};
}

}  // namespace accprep
