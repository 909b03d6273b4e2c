#pragma once
// The names a record gives its channels. The conversion never reads an input record's two
// header lines, but many records name their channels on the second one,
// "time,NAME1,...,NAME40,...", e.g. "AOM0011801241951.EW" or "AOM001 EW": the viewer shows
// those names beside the channel numbers and picks the intensity's components from them.

#include <array>
#include <string>

#include "engine/sample_table.hpp"
#include "viewer/conversion_files.hpp"
#include "viewer/record_intensity.hpp"

namespace accprep {

// Entry c-1 holds the name of channel c; empty where the record gives none.
using ChannelNames = std::array<std::string, kChannels>;

// The input record of the conversion the viewer was handed `viewerPath` for: that path itself
// when it is none of the conversion's five channel files; else stem + ".csv" when that file
// exists; else empty.
std::string InputRecordOf(const std::string& viewerPath, const ConversionFiles& files);

// The names on the second line of `recordPath` when its first field is "time" (any case,
// quotes and blanks around fields dropped). All empty when the file cannot be read, has no
// second line or names no time column: names are a help, never a failure.
ChannelNames ReadChannelNames(const std::string& recordPath);

// "3ch" or, with a name, "3ch  AOM0011801241951.UD"; a name that only repeats the number
// ("3ch") is left out.
std::string ChannelLabel(const ChannelNames& names, int channel);

// The names of the conversion the viewer was handed `viewerPath` for (InputRecordOf, then
// ReadChannelNames): none when its input record is gone.
ChannelNames ConversionChannelNames(const std::string& viewerPath, const ConversionFiles& files);

// The EW, NS and UD channels of the first station the names give all three of
// (GroupStations in viewer/stations.hpp); 1, 2, 3 when they give none.
IntensityComponents ComponentsFromNames(const ChannelNames& names);

}  // namespace accprep
