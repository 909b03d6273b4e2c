#include "jobs/job_options.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>

#include "engine/number_format.hpp"

namespace accprep {

const char kJobUsage[] =
    "usage: accprep-integrate velocity|displacement FOLDER [--highpass-corner HZ]\n"
    "         [--highpass-order N] [--lowpass-corner HZ] [--lowpass-order N]\n"
    "Integrates FOLDER/outacc.csv in the frequency domain and writes FOLDER/velout.csv or\n"
    "FOLDER/disout.csv and FOLDER/amp3.csv. A corner of 0 turns its filter off.\n"
    "Defaults: --highpass-corner 0.1 --highpass-order 4 --lowpass-corner 0 --lowpass-order 4\n"
    "--help shows this text, --version the version.\n";

namespace {

// A corner in Hz >= 0, read by the engine's number parser (no "inf", no units).
CLI::Option* AddCorner(CLI::App& app, const char* name, double& corner) {
  return app
      .add_option_function<std::string>(
          name,
          [&corner, name](const std::string& text) {
            const ParseResult parsed = ParseNumber(text);
            if (parsed.error != ParseError::kNone || parsed.value < 0.0)
              throw CLI::ValidationError(std::string(name) +
                                         " needs a frequency in Hz >= 0, not \"" + text + "\"");
            corner = parsed.value;
          })
      ->type_name("HZ");
}

CLI::Option* AddOrder(CLI::App& app, const char* name, int& order) {
  return app
      .add_option_function<std::string>(
          name,
          [&order, name](const std::string& text) {
            int value = 0;
            const char* end = text.data() + text.size();
            const auto [ptr, ec] = std::from_chars(text.data(), end, value);
            if (ec != std::errc() || ptr != end || value < 1 || value > kMaxFilterOrder)
              throw CLI::ValidationError(std::string(name) + " needs a whole number from 1 to " +
                                         std::to_string(kMaxFilterOrder) + ", not \"" + text +
                                         "\"");
            order = value;
          })
      ->type_name("N");
}

// CLI11's report of a mistake it finds in the form of the job's other messages.
std::string Describe(const CLI::ParseError& error) {
  const std::string what = error.what();
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr)
    return "option " + what.substr(0, what.find(':')) + " needs a value";
  return what;
}

}  // namespace

JobOptionsResult ParseJobOptions(const std::vector<std::string>& arguments) {
  JobOptionsResult result;
  JobOptions& options = result.options;
  auto fail = [&result](std::string message) {
    result.error = std::move(message);
    return result;
  };

  CLI::App app("Integrates FOLDER/outacc.csv in the frequency domain.", "accprep-integrate");
  app.set_help_flag();  // -h, --help and --version are looked for below, before anything else
  app.allow_extras();   // unknown options are named below
  std::vector<std::string> positional;
  app.add_option("MODE FOLDER", positional);
  AddCorner(app, "--highpass-corner", options.filter.highPassCorner);
  AddOrder(app, "--highpass-order", options.filter.highPassOrder);
  AddCorner(app, "--lowpass-corner", options.filter.lowPassCorner);
  AddOrder(app, "--lowpass-order", options.filter.lowPassOrder);

  const auto given = [&arguments](std::initializer_list<const char*> names) {
    return std::find_if(arguments.begin(), arguments.end(), [names](const std::string& argument) {
             return std::find(names.begin(), names.end(), argument) != names.end();
           }) != arguments.end();
  };
  options.versionWanted = given({"--version"});
  options.helpWanted = !options.versionWanted && given({"--help", "-h"});
  if (options.helpWanted || options.versionWanted) return result;
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    return fail(Describe(error));
  }
  for (const std::string& extra : app.remaining()) {
    if (extra.rfind("-", 0) == 0) return fail("unknown option " + extra.substr(0, extra.find('=')));
  }

  if (positional.empty()) return fail("the mode (velocity or displacement) is missing");
  if (positional[0] == "velocity") {
    options.mode = IntegrationMode::kVelocity;
  } else if (positional[0] == "displacement") {
    options.mode = IntegrationMode::kDisplacement;
  } else {
    return fail("unknown mode \"" + positional[0] + "\" (velocity or displacement)");
  }
  if (positional.size() < 2) return fail("the folder of outacc.csv is missing");
  if (positional.size() > 2) return fail("unexpected argument \"" + positional[2] + "\"");
  options.folder = positional[1];
  if (options.folder.empty()) return fail("the folder of outacc.csv is empty");

  const FilterSettings& filter = options.filter;
  if (filter.highPassCorner > 0.0 && filter.lowPassCorner > 0.0 &&
      filter.lowPassCorner <= filter.highPassCorner) {
    return fail("the low-pass corner must lie above the high-pass corner");
  }
  return result;
}

}  // namespace accprep
