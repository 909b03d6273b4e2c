#include "viewer/channel_names.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

#include "viewer/stations.hpp"

namespace accprep {
namespace {

// Far beyond 40 names of any sensible length; a file without line ends is not read whole.
constexpr std::size_t kLongestHeaderLine = 1 << 16;

bool ReadLine(std::istream& in, std::string& line) {
  line.clear();
  char c = 0;
  while (in.get(c)) {
    if (c == '\n') return true;
    if (line.size() == kLongestHeaderLine) return false;
    line += c;
  }
  return !line.empty();
}

std::string_view Trimmed(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '"'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  return field;
}

bool IsTime(std::string_view field) {
  return field.size() == 4 && std::equal(field.begin(), field.end(), "time", [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

}  // namespace

std::string InputRecordOf(const std::string& viewerPath, const ConversionFiles& files) {
  if (std::find(files.paths.begin(), files.paths.end(), viewerPath) == files.paths.end()) {
    return viewerPath;
  }
  const std::string record = files.stem + ".csv";
  std::ifstream probe(record);
  return probe ? record : std::string();
}

ChannelNames ReadChannelNames(const std::string& recordPath) {
  ChannelNames names;
  std::ifstream in(recordPath, std::ios::binary);
  std::string line;
  if (!in || !ReadLine(in, line) || !ReadLine(in, line)) return names;
  std::string_view rest = line;
  for (int field = 0; field <= kChannels; ++field) {
    const std::size_t comma = rest.find(',');
    const std::string_view text = Trimmed(rest.substr(0, comma));
    if (field == 0) {
      if (!IsTime(text)) return names;
    } else {
      names[field - 1] = std::string(text);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return names;
}

ChannelNames ConversionChannelNames(const std::string& viewerPath, const ConversionFiles& files) {
  const std::string record = InputRecordOf(viewerPath, files);
  return record.empty() ? ChannelNames{} : ReadChannelNames(record);
}

std::string ChannelLabel(const ChannelNames& names, int channel) {
  const std::string number = std::to_string(channel) + "ch";
  const std::string& name = names[channel - 1];
  // A record that names its channels "1ch", "2ch", ... says nothing the number does not.
  const bool sameAsNumber =
      name.size() == number.size() &&
      std::equal(name.begin(), name.end(), number.begin(),
                 [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  return name.empty() || sameAsNumber ? number : number + "  " + name;
}

IntensityComponents ComponentsFromNames(const ChannelNames& names) {
  const std::vector<Station> stations = GroupStations(names);
  return stations.empty() ? IntensityComponents{} : stations.front().channels;
}

}  // namespace accprep
