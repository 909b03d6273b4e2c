#include "viewer/stations.hpp"

#include <gtest/gtest.h>

namespace accprep {
namespace {

ChannelNames Names(std::initializer_list<const char*> first) {
  ChannelNames names;
  int c = 0;
  for (const char* name : first) names[c++] = name;
  return names;
}

TEST(Stations, NamesSplitIntoStationAndComponent) {
  using C = Component;
  const std::pair<const char*, std::optional<StationComponent>> cases[] = {
      {"AOM001 EW", StationComponent{"AOM001", C::kEastWest}},
      {"AOM0011801241951.NS", StationComponent{"AOM0011801241951", C::kNorthSouth}},
      {"site_ud", StationComponent{"site", C::kUpDown}},
      {"IBRH11.EW2", StationComponent{"IBRH11 (2)", C::kEastWest}},
      {"A - UD", StationComponent{"A", C::kUpDown}},
      {"EW", std::nullopt},  // no station before the code
      {" EW", std::nullopt},
      {"AOM001EW", std::nullopt},   // no separator: the code may be part of the station
      {"AOM001 EX", std::nullopt},  // no component code
      {"1ch", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(SplitChannelName(name), expected) << name;
}

TEST(Stations, GroupedInTheOrderOfTheirFirstChannel) {
  // The shared K-NET record's layout: three stations, then channels that repeat the first.
  const ChannelNames names =
      Names({"B.NS", "A EW", "A NS", "B.EW", "A UD", "B.UD", "C EW", "C NS", "A EW", "x"});
  const std::vector<Station> stations = GroupStations(names);
  ASSERT_EQ(stations.size(), 2u);  // C has no vertical
  EXPECT_EQ(stations[0].name, "B");
  EXPECT_EQ(stations[0].channels, (IntensityComponents{4, 1, 6}));
  EXPECT_EQ(stations[1].name, "A");
  EXPECT_EQ(stations[1].channels, (IntensityComponents{2, 3, 5}));  // channel 9 repeats 2
  EXPECT_TRUE(GroupStations(ChannelNames{}).empty());
  // The window's first choice is the first station; without one, 1, 2, 3.
  EXPECT_EQ(ComponentsFromNames(names), (IntensityComponents{4, 1, 6}));
  EXPECT_EQ(ComponentsFromNames(Names({"x", "s1 EW", "s2 NS", "s3 UD"})),
            (IntensityComponents{1, 2, 3}));
}

TEST(Stations, ThreeChannelsAgreeOnlyAsOneStationsComponents) {
  const ChannelNames names = Names({"A EW", "A NS", "A UD", "B EW", "B NS", "B UD", "", "A UD"});
  EXPECT_EQ(CheckOneStation(names, {1, 2, 3}), StationAgreement::kOneStation);
  EXPECT_EQ(CheckOneStation(names, {2, 1, 8}), StationAgreement::kOneStation);
  EXPECT_EQ(CheckOneStation(names, {4, 2, 3}), StationAgreement::kMixed);  // two stations
  EXPECT_EQ(CheckOneStation(names, {1, 3, 2}), StationAgreement::kMixed);  // UD as horizontal
  EXPECT_EQ(CheckOneStation(names, {1, 1, 3}), StationAgreement::kMixed);  // EW twice
  EXPECT_EQ(CheckOneStation(names, {1, 2, 7}), StationAgreement::kUnknown);
  EXPECT_EQ(CheckOneStation(ChannelNames{}, {1, 2, 3}), StationAgreement::kUnknown);
}

}  // namespace
}  // namespace accprep
