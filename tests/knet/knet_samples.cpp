#include "knet_samples.hpp"

#include <cstdio>

#include "engine/number_format.hpp"
#include "test_kit.hpp"

namespace accprep::testing {
namespace {

constexpr int kHeaderLines = 17;
constexpr std::size_t kLabelColumns = 18;

std::size_t StartOfLine(const std::string& text, int line) {
  std::size_t at = 0;
  for (int current = 1; current < line; ++current) at = text.find('\n', at) + 1;
  return at;
}

}  // namespace

std::vector<std::string> SharedKnetFiles() {
  std::vector<std::string> files;
  for (int station = 1; station <= 9; ++station) {
    for (const char* component : {"EW", "NS", "UD"}) {
      files.push_back(
          SharedKnetFile("AOM00" + std::to_string(station) + "1801241951." + component));
    }
  }
  return files;
}

std::string SharedKnetFile(const std::string& name) {
  return std::string(ACCPREP_SHARED_DATA_DIR) + "/knet-us2000cnnl/" + name;
}

std::string WithLine(const std::string& text, int line, const std::string& content) {
  const std::size_t start = StartOfLine(text, line);
  const std::size_t end = text.find('\n', start);
  return text.substr(0, start) + content + text.substr(end);
}

std::string WithHeaderValue(const std::string& text, int line, const std::string& value) {
  const std::size_t start = StartOfLine(text, line);
  return WithLine(text, line, text.substr(start, kLabelColumns) + value);
}

std::string WithoutDataLines(const std::string& text, int count) {
  const std::size_t dataStart = StartOfLine(text, kHeaderLines + 1);
  return text.substr(0, dataStart) + text.substr(StartOfLine(text, kHeaderLines + 1 + count));
}

std::string SyntheticKnetText(const std::string& recordTime, int hz,
                              const std::vector<int>& counts) {
  std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  text = text.substr(0, StartOfLine(text, kHeaderLines + 1));
  text = WithHeaderValue(text, 10, recordTime);
  text = WithHeaderValue(text, 11, std::to_string(hz) + "Hz");
  text = WithHeaderValue(text, 12, FormatNumber(static_cast<double>(counts.size()) / hz));
  text = WithHeaderValue(text, 14, "1(gal)/2");
  char field[16];
  for (std::size_t index = 0; index < counts.size(); ++index) {
    std::snprintf(field, sizeof field, "%9d", counts[index]);
    text += field;
    if (index % 8 == 7 || index + 1 == counts.size()) text += " \n";
  }
  return text;
}

}  // namespace accprep::testing
