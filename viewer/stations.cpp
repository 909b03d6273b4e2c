#include "viewer/stations.hpp"

#include <cctype>

namespace accprep {
namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::optional<Component> ComponentOf(std::string_view code) {
  const std::string upper{Upper(code[0]), Upper(code[1])};
  if (upper == "EW") return Component::kEastWest;
  if (upper == "NS") return Component::kNorthSouth;
  if (upper == "UD") return Component::kUpDown;
  return std::nullopt;
}

bool IsSeparator(char c) { return c == ' ' || c == '.' || c == '_' || c == '-' || c == '\t'; }

}  // namespace

std::optional<StationComponent> SplitChannelName(std::string_view name) {
  std::string sensor;
  if (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) {
    sensor = name.back();
    name.remove_suffix(1);
  }
  if (name.size() < 4 || !IsSeparator(name[name.size() - 3])) return std::nullopt;
  const std::optional<Component> component = ComponentOf(name.substr(name.size() - 2));
  if (!component) return std::nullopt;
  std::string_view station = name.substr(0, name.size() - 3);
  while (!station.empty() && IsSeparator(station.back())) station.remove_suffix(1);
  if (station.empty()) return std::nullopt;
  std::string full(station);
  if (!sensor.empty()) full += " (" + sensor + ")";
  return StationComponent{full, *component};
}

std::vector<Station> GroupStations(const ChannelNames& names) {
  struct Partial {
    std::string name;
    int channel[3] = {0, 0, 0};
  };
  std::vector<Partial> partials;
  for (int c = 1; c <= kChannels; ++c) {
    const std::optional<StationComponent> split = SplitChannelName(names[c - 1]);
    if (!split) continue;
    Partial* found = nullptr;
    for (Partial& partial : partials) {
      if (partial.name == split->station) found = &partial;
    }
    if (found == nullptr) found = &partials.emplace_back(Partial{split->station});
    int& slot = found->channel[static_cast<int>(split->component)];
    if (slot == 0) slot = c;
  }
  std::vector<Station> stations;
  for (const Partial& partial : partials) {
    if (partial.channel[0] != 0 && partial.channel[1] != 0 && partial.channel[2] != 0) {
      stations.push_back(
          {partial.name, {partial.channel[0], partial.channel[1], partial.channel[2]}});
    }
  }
  return stations;
}

StationAgreement CheckOneStation(const ChannelNames& names, const IntensityComponents& chosen) {
  std::optional<StationComponent> parts[3];
  const int channels[3] = {chosen.horizontal1, chosen.horizontal2, chosen.vertical};
  for (int i = 0; i < 3; ++i) {
    if (channels[i] < 1 || channels[i] > kChannels) return StationAgreement::kUnknown;
    parts[i] = SplitChannelName(names[channels[i] - 1]);
    if (!parts[i]) return StationAgreement::kUnknown;
  }
  const bool sameStation =
      parts[0]->station == parts[1]->station && parts[0]->station == parts[2]->station;
  const bool horizontals = parts[0]->component != Component::kUpDown &&
                           parts[1]->component != Component::kUpDown &&
                           parts[0]->component != parts[1]->component;
  return sameStation && horizontals && parts[2]->component == Component::kUpDown
             ? StationAgreement::kOneStation
             : StationAgreement::kMixed;
}

}  // namespace accprep
