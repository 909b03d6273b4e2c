#include "viewer/viewer_options.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

#include "measures/response_spectrum.hpp"

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
                 "the input record, or any file a conversion wrote beside it")
      ->required();
  app.add_option("--channel", options.channel, "channel shown or exported (1..40, default 1)")
      ->check(CLI::Range(1, 40));
  app.add_option("--damping", options.damping,
                 "damping ratio of the response spectra (0 <= H < 1, default 0.05)");
  app.add_option("--export", options.exportPath,
                 "render the channel's full view to PATH.png or PATH.pdf and exit");
  app.add_option("--peaks", options.peaksPath, "write the peaks table to PATH.csv and exit");
  app.add_option("--response", options.responsePath,
                 "write the acceleration response spectra of every channel to PATH.csv and exit");
  auto* intensity = app.add_option(
      "--intensity", options.intensityPath,
      "write the JMA seismic intensity and long-period ground-motion class to PATH.csv and exit");
  std::string components;
  app.add_option("--components", components,
                 "channels of --intensity: the two horizontal, then the vertical (default 1,2,3)")
      ->needs(intensity);
  app.add_option(
      "--measures", options.measuresPath,
      "write Arias intensity, D5-75, D5-95 and CAV of every channel to PATH.csv and exit");
  // Checks CLI11 cannot make; each failure is a usage mistake like those it finds.
  const auto check = [&] {
    if (!IsUsableDamping(options.damping)) {
      throw CLI::ValidationError(
          "--damping: the damping ratio must lie in 0 <= H < 1 (0.05 for 5 %)");
    }
    if (app.count("--components") > 0) {
      const std::optional<IntensityComponents> parsed = ParseComponents(components);
      if (!parsed) {
        throw CLI::ValidationError(
            "--components: three different channels 1..40, the two horizontal first, "
            "e.g. 1,2,3");
      }
      options.components = *parsed;
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
