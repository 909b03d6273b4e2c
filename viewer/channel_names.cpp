#include "viewer/channel_names.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

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

int FirstNamedWith(const ChannelNames& names, std::string_view code, int skip) {
  for (int c = 1; c <= kChannels; ++c) {
    if (c != skip && names[c - 1].find(code) != std::string::npos) return c;
  }
  return 0;
}

// The channel named as `name` with its first `from` replaced by `to`, else the first named
// with `to`.
int Partner(const ChannelNames& names, int channel, std::string_view from, std::string_view to) {
  const std::string& name = names[channel - 1];
  const std::size_t at = name.find(from);
  const std::string wanted = name.substr(0, at) + std::string(to) + name.substr(at + from.size());
  for (int c = 1; c <= kChannels; ++c) {
    if (names[c - 1] == wanted) return c;
  }
  return FirstNamedWith(names, to, channel);
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

std::string ChannelLabel(const ChannelNames& names, int channel) {
  const std::string number = std::to_string(channel) + "ch";
  return names[channel - 1].empty() ? number : number + "  " + names[channel - 1];
}

IntensityComponents ComponentsFromNames(const ChannelNames& names) {
  const int ew = FirstNamedWith(names, "EW", 0);
  const int ns = FirstNamedWith(names, "NS", 0);
  if (ew == 0 && ns == 0) return {};
  const bool ewFirst = ns == 0 || (ew != 0 && ew < ns);
  const int first = ewFirst ? ew : ns;
  const std::string_view code = ewFirst ? "EW" : "NS";
  const int second = Partner(names, first, code, ewFirst ? "NS" : "EW");
  const int vertical = Partner(names, first, code, "UD");
  if (second == 0 || vertical == 0 || second == vertical) return {};
  return {first, second, vertical};
}

}  // namespace accprep
