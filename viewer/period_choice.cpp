#include "viewer/period_choice.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "engine/number_format.hpp"

namespace accprep {
namespace {

constexpr std::size_t kMostFileBytes = 1 << 20;

PeriodChoice Failure(std::string reason) {
  PeriodChoice choice;
  choice.error = std::move(reason);
  return choice;
}

bool AddPeriod(std::string_view text, std::vector<double>& periods) {
  const ParseResult parsed = ParseNumber(text);
  if (parsed.error != ParseError::kNone || !(parsed.value > 0.0)) return false;
  periods.push_back(parsed.value);
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

PeriodChoice FromFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure("cannot read " + path + ": " + std::strerror(errno));
  std::string content(kMostFileBytes + 1, '\0');
  file.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (file.bad()) return Failure("cannot read " + path + ": " + std::strerror(errno));
  content.resize(static_cast<std::size_t>(file.gcount()));
  if (content.size() > kMostFileBytes) {
    return Failure(path + " is longer than a list of " + std::to_string(kMostChosenPeriods) +
                   " periods");
  }
  PeriodChoice choice;
  std::size_t line = 0;
  for (std::size_t start = 0; start < content.size(); ++line) {
    const std::size_t end = std::min(content.find('\n', start), content.size());
    const std::string_view text = Trimmed(std::string_view(content).substr(start, end - start));
    start = end + 1;
    if (text.empty()) continue;
    if (!AddPeriod(text, choice.periods)) {
      return Failure(path + ": line " + std::to_string(line + 1) + ": not a period in seconds: \"" +
                     std::string(text) + "\"");
    }
  }
  if (choice.periods.empty()) return Failure(path + " holds no period");
  return choice;
}

}  // namespace

PeriodChoice ParsePeriods(std::string_view text) {
  PeriodChoice choice;
  if (text.starts_with('@')) {
    choice = FromFile(std::string(text.substr(1)));
  } else {
    for (std::size_t start = 0;;) {
      const std::size_t comma = std::min(text.find(',', start), text.size());
      if (!AddPeriod(text.substr(start, comma - start), choice.periods)) {
        return Failure(
            "periods in seconds, each above 0, separated by commas (e.g. 0.1,0.2,1), or @FILE "
            "with one period a line");
      }
      if (comma == text.size()) break;
      start = comma + 1;
    }
  }
  if (choice.error.empty() && choice.periods.size() > kMostChosenPeriods) {
    return Failure("at most " + std::to_string(kMostChosenPeriods) + " periods");
  }
  return choice;
}

}  // namespace accprep
