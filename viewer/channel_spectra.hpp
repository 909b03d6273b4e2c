#pragma once
// What the spectra tab shows of one channel: the Fourier amplitude spectrum of its
// acceleration, computed here from the record (|DFT| dt at k / (n dt)), beside the velocity
// and displacement spectra the integration jobs left, all three smoothed alike. Qt-free, so
// that the tab's worker and the tests reach it without a display.

#include <array>
#include <string>
#include <vector>

#include "measures/spectral_smoothing.hpp"
#include "viewer/conversion_data.hpp"

namespace accprep {

struct SpectrumCurve {
  std::vector<double> frequencies;  // Hz, ascending, > 0
  std::vector<double> amplitudes;   // one per frequency
  std::string notice;               // why there is no curve (Japanese); empty with one
};

// The curves in the tab's order, top to bottom.
enum class SpectrumQuantity { kAcceleration, kVelocity, kDisplacement };
inline constexpr int kSpectrumQuantities = 3;

struct ChannelSpectra {
  int channel = 0;
  SpectralSmoothing smoothing;
  std::array<SpectrumCurve, kSpectrumQuantities> curves;
  const SpectrumCurve& curve(SpectrumQuantity q) const { return curves[static_cast<int>(q)]; }
};

// The three curves of `channel` (1..40) of `data`, smoothed as `smoothing` says: none keeps
// the bins, Parzen smooths on them (a spectrum file's bins must then be evenly spaced),
// Konno-Ohmachi goes onto the default centres from the first bin to the Nyquist frequency (the
// last bin of a spectrum file). Throws nothing for what a file holds: a curve that cannot be
// had (file absent or unreadable, uneven time step, too few rows) says why in its notice.
ChannelSpectra ComputeChannelSpectra(const ConversionData& data, int channel,
                                     const SpectralSmoothing& smoothing);

// The curves as a spreadsheet takes them: one line of headers with units, then one frequency
// and amplitude column pair per curve, tab-separated, numbers in their shortest exact form; a
// curve shorter than another (or absent) leaves its cells empty. Lines end in a line feed.
std::string SpectraTableText(const ChannelSpectra& spectra);

}  // namespace accprep
