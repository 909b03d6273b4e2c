#include "cli/cli_options.hpp"

#include <CLI/CLI.hpp>

#include "cli/batch_naming.hpp"
#include "cli/command_line.hpp"

namespace accprep {
namespace {

constexpr char kDescription[] =
    "Converts acceleration records as the Start button of accprep does: removes each "
    "channel's mean, rounds to four decimals, writes the matrix files to out/ beside this "
    "program and the channel CSVs beside each INPUT, and runs the velocity and displacement "
    "jobs of this program's folder. Status lines go to the error output; \"done\" ends the "
    "standard output of each record converted.";

}  // namespace

ParseOutcome<CliOptions> ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                          std::ostream& err) {
  CliOptions options;
  const ProgramVoice voice{kCliProgram};
  CLI::App app(kDescription, voice.name);
  app.add_option("-n,--name", options.baseName,
                 "output base name of the matrix files out/BASE_accmat.prn, _velmat.prn, "
                 "_dismat.prn; with several inputs each gets BASE_<input name>")
      ->required()
      ->type_name("BASE")
      ->check(NotEmpty());
  app.add_option("-c,--comment", options.comment,
                 "first line of the public channel CSV (default: an empty line)")
      ->type_name("TEXT");
  app.add_flag("--no-wait", options.noWait,
               "refuse at once, instead of waiting, while another conversion runs in this "
               "program's folder");
  app.add_option("INPUT", options.inputs, "acceleration record(s) to convert, in turn")
      ->type_name("FILE")
      ->required();

  const auto refuseCollision = [&options] {
    if (const auto collision = FindBatchCollision(options.baseName, options.inputs)) {
      throw CLI::ValidationError("INPUT", collision->firstInput + " and " + collision->secondInput +
                                              " would both write the matrix files of " +
                                              collision->baseName);
    }
  };
  if (const std::optional<int> exit =
          ParseArguments(app, voice, argc, argv, out, err, refuseCollision)) {
    return {std::nullopt, *exit};
  }
  return {std::move(options), kExitSuccess};
}

}  // namespace accprep
