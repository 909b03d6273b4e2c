#pragma once
// The headless table outputs: --peaks, --response, --intensity and --measures, without any
// window system. Each is written through the engine's atomic file, which refuses a file the
// program reads (engine/inputs_in_use.hpp); a value that is not finite (a record near the
// double range) is a DataError kArithmetic naming the acceleration file, never a result.

#include <ostream>
#include <span>
#include <string>

#include "viewer/channel_names.hpp"
#include "viewer/conversion_files.hpp"
#include "viewer/record_intensity.hpp"

namespace accprep {

// Loads the acceleration, velocity and displacement files that exist and writes the peaks
// table to `path`. An absent file leaves its columns empty and is named on `notes`.
// Throws DataError: kInput when none of the three exists, or from loading or writing.
// `names` fill the name column (ConversionChannelNames).
void WritePeaksTable(const ConversionFiles& files, const ChannelNames& names,
                     const std::string& path, std::ostream& notes);

// Loads the public acceleration CSV and writes Sa of every channel at `periods` (the 100
// periods when empty). Throws DataError: kInput when it does not exist or its time step is
// uneven, or from loading or writing.
void WriteResponseTable(const ConversionFiles& files, const std::string& path, double damping,
                        std::span<const double> periods = {});

// Loads the public acceleration CSV and writes the seismic intensity and long-period class of
// `components`. Throws DataError: kInput when the file does not exist, its time step is
// uneven or it is shorter than 0.3 s, or from loading or writing.
void WriteIntensityTable(const ConversionFiles& files, const std::string& path,
                         const IntensityComponents& components);

// Loads the public acceleration CSV and writes Arias intensity, D5-75, D5-95 and CAV of every
// channel, `names` in the name column. Throws as WriteResponseTable does.
void WriteMeasuresTable(const ConversionFiles& files, const ChannelNames& names,
                        const std::string& path);

}  // namespace accprep
