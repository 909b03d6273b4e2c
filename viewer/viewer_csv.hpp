#pragma once
// The tables the viewer writes for scripts: the peaks table, the acceleration response
// spectra, RotD, the Fourier spectra and the intensity measures. Channel-CSV conventions: quoted
// header, comma-separated numbers in the point form of the engine, every line ending in CR LF. They
// are written with the engine's atomic file (engine/atomic_file.hpp).

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "measures/rotd_spectrum.hpp"
#include "viewer/channel_names.hpp"
#include "viewer/peaks.hpp"
#include "viewer/record_intensity.hpp"

namespace accprep {

// "channel","PGA","tPGA","PGV","tPGV","PGD","tPGD","name", then one line per channel 1..40.
// A peak not found (its file absent or empty) leaves its two fields empty; the name is the
// record's own, quoted (empty quotes where it gives none). The name came last so that every
// column before it stays where scripts found it.
std::string PeaksCsvText(const std::array<ChannelPeaks, kChannels>& peaks,
                         const ChannelNames& names);

// `keyName`,"1ch",...,"40ch", then one line per key: the key and the value of each channel
// there. columns[c-1] holds channel c with one value per key.
std::string ChannelColumnsCsvText(std::string_view keyName, std::span<const double> keys,
                                  const std::vector<std::vector<double>>& columns);
// The same lines for keys[first .. last), appended to `text`, for tables written a block of
// lines at a time.
void AppendChannelColumnsLines(std::string& text, std::span<const double> keys,
                               std::span<const std::span<const double>> columns, std::size_t first,
                               std::size_t last);

// "period","1ch",...,"40ch", then one line per period: the period and Sa of each channel.
// spectra[c-1] holds channel c with one value per period.
std::string ResponseCsvText(std::span<const double> periods,
                            const std::vector<std::vector<double>>& spectra);

// "period","RotD00","RotD50","RotD100", then one line per period.
std::string RotDCsvText(const RotDSpectrum& spectrum);

// "components","I","reported","class","a0","Sva","T_Sva","long_period_class", then one line:
// the components quoted as "1,2,3" (the comma inside must not split the field), I as
// computed, the reported value, the class code quoted ("0" .. "4", "5-", "5+", "6-", "6+",
// "7"), a0 in gal, the largest Sva in cm/s, its period in s, and the long-period class 0..4.
// I and the reported value are left empty for a record without motion (a0 = 0).
std::string IntensityCsvText(const RecordIntensity& intensity);

// "channel","Arias","D5-75","D5-95","CAV","name", then one line per channel 1..40: Ia in m/s,
// the durations in s (empty where a channel has no motion), CAV in cm/s, the name as above.
std::string MeasuresCsvText(const std::array<AriasMeasures, kChannels>& measures,
                            const ChannelNames& names);

}  // namespace accprep
