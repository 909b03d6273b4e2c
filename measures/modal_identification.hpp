#pragma once
// The first modes of a structure from the records of its base and of a level above it
// (usually the top): natural frequency, period and damping ratio of each mode whose peak
// stands clear of the noise.
//
// The peaks are found on the transfer function smoothed as shown by default
// (kDefaultTransferSmoothing), where noise does not make peaks of its own; each is then fitted
// on the unsmoothed spectra (measures/modal_fit.hpp), since smoothing widens a peak and would
// bias its damping high.

#include <vector>

#include "measures/pair_spectra.hpp"
#include "measures/transfer_function.hpp"

namespace accprep {

struct IdentifiedMode {
  double frequency = 0.0;  // Hz
  double period = 0.0;     // s
  double damping = 0.0;    // ratio of critical
};

inline constexpr int kMostModes = 5;

// A peak stands clear of the noise when it rises this many times above the higher of the
// valleys on either side of it (within a factor 1.5 in frequency)...
inline constexpr double kLeastProminence = 1.5;
// ... where the smoothed coherence says the output follows the input ...
inline constexpr double kLeastPeakCoherence = 0.6;
// ... and the fit finds a mode there with less damping than this.
inline constexpr double kMostModalDamping = 0.3;

// The modes in ascending frequency, at most kMostModes, from peaks between max(0.1 Hz, ten
// bins) and 0.8 times the Nyquist frequency. Each is fitted over the peak's frequency +-15 %,
// or up to the valleys beside it where they lie nearer. None when no peak stands clear.
std::vector<IdentifiedMode> IdentifyModes(const PairSpectra& spectra);
// The same with the smoothed transfer function at hand: `guide` must be
// EstimateTransferFunction(spectra, kDefaultTransferSmoothing), which a caller showing it
// need not compute twice.
std::vector<IdentifiedMode> IdentifyModes(const PairSpectra& spectra,
                                          const TransferFunction& guide);

}  // namespace accprep
