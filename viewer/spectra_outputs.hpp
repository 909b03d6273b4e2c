#pragma once
// The headless spectra tables of accprep-view beside the response spectra: --fas, the Fourier
// amplitude spectra of every channel's acceleration (smoothed as asked), and --rotd, RotD00,
// RotD50 and RotD100 of two horizontal channels. Both compute from the public acceleration
// CSV and write through the atomic file.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "measures/spectral_smoothing.hpp"
#include "viewer/conversion_files.hpp"

namespace accprep {

// The two horizontal channels (1..40) of --rotd.
struct HorizontalPair {
  int horizontal1 = 1;
  int horizontal2 = 2;
  bool operator==(const HorizontalPair&) const = default;
};

// Two different channel numbers 1..40 separated by a comma, nothing else; none otherwise.
std::optional<HorizontalPair> ParseHorizontalPair(std::string_view text);

// Loads the acceleration file and writes "frequency","1ch",...,"40ch": the bins k / (n dt),
// k = 1 .. n/2, or the smoothing's centres for Konno-Ohmachi, and each channel's |DFT| dt
// there (gal s for gal). Throws DataError: kInput when the file does not exist or its time
// step is uneven, or from loading or writing.
void WriteFasTable(const ConversionFiles& files, const std::string& path,
                   const SpectralSmoothing& smoothing);

// Loads the acceleration file's two channels and writes "period","RotD00","RotD50","RotD100"
// at `periods` (the 100 periods when empty), PSA in the input's units. Throws as
// WriteFasTable does.
void WriteRotdTable(const ConversionFiles& files, const std::string& path,
                    const HorizontalPair& pair, std::span<const double> periods, double damping);

}  // namespace accprep
