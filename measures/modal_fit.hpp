#pragma once
// The natural frequency and damping of one mode, fitted to the unsmoothed spectra of a pair of
// records (measures/pair_spectra.hpp) in a band of frequencies around its peak.
//
// Within the band the output's spectrum Y is modelled from the input's X by one pole pair:
//     D(s) Y = N(s) X + T(s),   D(s) = s^2 + a1 s + a0,   s = i 2 pi f
// N (real, degree 2) carries the mode's residue and the smooth background the other modes
// leave in the band; T (complex, degree 1) the motion the records leave unfinished at their
// ends, which reaches the bins near the mode through the same D. The coefficients are found by
// linear least squares on D Y - N X - T, reweighted by 1 / |D| of the previous solution until
// it settles (Sanathanan and Koerner, 1963), which turns the fit into one of Y - (N X + T) / D
// itself. Then f = sqrt(a0) / 2 pi and the damping ratio is a1 / (2 sqrt(a0)).
//
// Smoothing would widen the peak and bias the damping high, so the fit never sees a smoothed
// spectrum. Its limits: one mode per band, so two modes closer than their half-power widths
// are seen as one; the damping is that of a linear mode over the whole band, so a building
// that softens during the shaking shows a mean; and noise in the input, not only in the
// output, biases the damping slightly high where the input is weak.

#include <optional>

#include "measures/pair_spectra.hpp"

namespace accprep {

struct ModalFit {
  double frequency = 0.0;  // undamped natural frequency, Hz
  double damping = 0.0;    // ratio of critical, 0 < damping < 1
};

// The mode fitted to the bins with lowHz <= f <= highHz (0 < lowHz < highHz). None when the
// band holds too few bins for the model (fewer than 8), the fit fails, or what it finds is no
// mode within the band: a pole pair outside [lowHz, highHz] or not damped under-critically.
std::optional<ModalFit> FitMode(const PairSpectra& spectra, double lowHz, double highHz);

}  // namespace accprep
