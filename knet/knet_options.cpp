#include "knet/knet_options.hpp"

#include <CLI/CLI.hpp>

#include "cli/command_line.hpp"

namespace accprep {
namespace {

constexpr char kDescription[] =
    "Assembles K-NET (.EW, .NS, .UD) and KiK-net (.EW1 ... .UD2) ASCII files into one "
    "acceleration record for accprep: one channel per file in the order given, in gal, lined "
    "up by the files' record times. Afterwards one line per trace on the error output compares "
    "its peak about its mean with the file's Max. Acc.";

}  // namespace

ParseOutcome<KnetOptions> ParseKnetCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err) {
  KnetOptions options;
  const ProgramVoice voice{kKnetProgram};
  CLI::App app(kDescription, voice.name);
  app.add_option("-o,--output", options.output,
                 "the record to write; \"-\" for the standard output (default: "
                 "STATION_YYYYMMDDhhmmss.csv from the first FILE, beside it)")
      ->type_name("RECORD.csv")
      ->check(NotEmpty());
  app.add_option("FILE", options.files, "K-NET or KiK-net ASCII files, up to 40")
      ->type_name("FILE")
      ->required();
  if (const std::optional<int> exit = ParseArguments(app, voice, argc, argv, out, err)) {
    return {std::nullopt, *exit};
  }
  return {std::move(options), kExitSuccess};
}

}  // namespace accprep
