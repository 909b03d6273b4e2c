#include "jobs/job_options.hpp"

#include <charconv>
#include <cmath>
#include <optional>

#include "engine/number_format.hpp"

namespace accprep {

const char kJobUsage[] =
    "usage: accprep-integrate velocity|displacement FOLDER [--highpass-corner HZ]\n"
    "         [--highpass-order N] [--lowpass-corner HZ] [--lowpass-order N]\n"
    "Integrates FOLDER/outacc.csv in the frequency domain and writes FOLDER/velout.csv or\n"
    "FOLDER/disout.csv and FOLDER/amp3.csv. A corner of 0 turns its filter off.\n"
    "Defaults: --highpass-corner 0.1 --highpass-order 4 --lowpass-corner 0 --lowpass-order 4\n";

namespace {

std::optional<double> ParseCorner(const std::string& text) {
  ParseResult parsed = ParseNumber(text);
  if (parsed.error != ParseError::kNone || parsed.value < 0.0) return std::nullopt;
  return parsed.value;
}

std::optional<int> ParseOrder(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 1 || value > kMaxFilterOrder) return std::nullopt;
  return value;
}

}  // namespace

JobOptionsResult ParseJobOptions(const std::vector<std::string>& arguments) {
  JobOptionsResult result;
  JobOptions& options = result.options;
  std::vector<std::string> positional;
  auto fail = [&result](std::string message) {
    result.error = std::move(message);
    return result;
  };

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.helpWanted = true;
      return result;
    }
    if (argument.rfind("--", 0) != 0 || argument == "--") {
      positional.push_back(argument);
      continue;
    }
    std::string name = argument;
    std::string value;
    if (std::size_t equals = argument.find('='); equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return fail("option " + name + " needs a value");
    }

    if (name == "--highpass-corner" || name == "--lowpass-corner") {
      std::optional<double> corner = ParseCorner(value);
      if (!corner) return fail(name + " needs a frequency in Hz >= 0, not \"" + value + "\"");
      (name == "--highpass-corner" ? options.filter.highPassCorner
                                   : options.filter.lowPassCorner) = *corner;
    } else if (name == "--highpass-order" || name == "--lowpass-order") {
      std::optional<int> order = ParseOrder(value);
      if (!order) {
        return fail(name + " needs a whole number from 1 to " + std::to_string(kMaxFilterOrder) +
                    ", not \"" + value + "\"");
      }
      (name == "--highpass-order" ? options.filter.highPassOrder : options.filter.lowPassOrder) =
          *order;
    } else {
      return fail("unknown option " + name);
    }
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
