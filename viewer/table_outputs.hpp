#pragma once
// The headless table outputs: --peaks and --response, without any window system.

#include <ostream>
#include <string>

#include "viewer/conversion_files.hpp"

namespace accprep {

// Loads the acceleration, velocity and displacement files that exist and writes the peaks
// table to `path`. An absent file leaves its columns empty and is named on `notes`.
// Throws EngineError: kInput when none of the three exists, or from loading or writing.
void WritePeaksTable(const ConversionFiles& files, const std::string& path, std::ostream& notes);

// Loads the public acceleration CSV and writes Sa of every channel at the 100 periods.
// Throws EngineError: kInput when it does not exist or its time step is uneven, or from
// loading or writing.
void WriteResponseTable(const ConversionFiles& files, const std::string& path, double damping);

}  // namespace accprep
