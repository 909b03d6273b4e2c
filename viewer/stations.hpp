#pragma once
// Stations in a record's channel names. A strong-motion station records three components,
// east-west, north-south and up-down, and a record names each channel after its station and
// component: "AOM001 EW", "AOM0011801241951.NS", "IBRH111103111446.UD2" (a borehole station's
// second sensor). The intensity measures want the three components of one station: traces of
// different stations are not even aligned in time.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/channel_names.hpp"
#include "viewer/record_intensity.hpp"

namespace accprep {

enum class Component { kEastWest, kNorthSouth, kUpDown };

struct StationComponent {
  std::string station;  // "AOM001"; a sensor number joins it: "IBRH11 (2)"
  Component component;
  bool operator==(const StationComponent&) const = default;
};

// The station and component a name ends in: the code EW, NS or UD (any case), optionally
// followed by one sensor digit, after a blank, '.', '_' or '-' that follows the station. None
// for a name without a station before its code or without a code at its end.
std::optional<StationComponent> SplitChannelName(std::string_view name);

struct Station {
  std::string name;
  IntensityComponents channels;  // EW, NS, UD
};

// The stations that name all three components, in the order of their first channel; where a
// name comes back (a record that repeats channels), its first channel counts.
std::vector<Station> GroupStations(const ChannelNames& names);

enum class StationAgreement {
  kOneStation,  // EW and NS of one station as the horizontals, its UD as the vertical
  kMixed,       // named channels that are not one station's three components
  kUnknown,     // a channel without a station name: nothing to go by
};

StationAgreement CheckOneStation(const ChannelNames& names, const IntensityComponents& chosen);

}  // namespace accprep
