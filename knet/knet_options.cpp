#include "knet/knet_options.hpp"

#include "cli/command_line.hpp"

namespace accprep {
namespace {

constexpr char kDescription[] =
    "Assembles K-NET (.EW, .NS, .UD) and KiK-net (.EW1 ... .UD2) ASCII files into one "
    "acceleration record for accprep: one channel per file in the order given, in gal, lined "
    "up by the files' record times. Afterwards one line per trace on the error output compares "
    "its peak about its mean with the file's Max. Acc.";

}  // namespace

KnetParseOutcome ParseKnetCommandLine(int argc, const char* const* argv, std::ostream& out,
                                      std::ostream& err) {
  KnetOptions options;
  CLI::App app(kDescription, "accprep-knet");
  app.set_version_flag("--version", std::string("accprep-knet ") + ACCPREP_VERSION);
  app.failure_message(UsageFailure);
  app.add_option("-o,--output", options.output,
                 "the record to write; \"-\" for the standard output (default: "
                 "STATION_YYYYMMDDhhmmss.csv from the first FILE, beside it)")
      ->type_name("RECORD.csv")
      ->check(NotEmpty());
  app.add_option("FILE", options.files, "K-NET or KiK-net ASCII files, up to 40")
      ->type_name("FILE")
      ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return {std::nullopt, ExitForParseError(app, error, out, err)};
  }
  return {std::move(options), kExitSuccess};
}

}  // namespace accprep
