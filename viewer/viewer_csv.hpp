#pragma once
// The tables the viewer writes for scripts: the peaks table and the acceleration response
// spectra. Channel-CSV conventions: quoted header, comma-separated numbers in the point form
// of the engine, every line ending in CR LF. They are written with the engine's
// atomic file (engine/atomic_file.hpp).

#include <array>
#include <span>
#include <string>
#include <vector>

#include "viewer/peaks.hpp"

namespace accprep {

// "channel","PGA","tPGA","PGV","tPGV","PGD","tPGD", then one line per channel 1..40. A peak
// not found (its file absent or empty) leaves its two fields empty.
std::string PeaksCsvText(const std::array<ChannelPeaks, kChannels>& peaks);

// "period","1ch",...,"40ch", then one line per period: the period and Sa of each channel.
// spectra[c-1] holds channel c with one value per period.
std::string ResponseCsvText(std::span<const double> periods,
                            const std::vector<std::vector<double>>& spectra);


}  // namespace accprep
