#pragma once
// The transfer function between two records, as engineers read it for a building (base to
// roof): the H1 estimate, the smoothed cross spectrum over the smoothed auto spectrum of the
// input, H1 = S[conj(X) Y] / S[|X|^2], with its amplitude, phase and the coherence
// |S[conj(X) Y]|^2 / (S[|X|^2] S[|Y|^2]). The smoothing (measures/spectral_smoothing.hpp)
// acts on the cross spectrum's real and imaginary parts and on both auto spectra alike.

#include <complex>
#include <vector>

#include "measures/pair_spectra.hpp"
#include "measures/spectral_smoothing.hpp"

namespace accprep {

// What the transfer function is smoothed with unless the user asks otherwise.
inline constexpr SpectralSmoothing kDefaultTransferSmoothing{SpectralSmoothing::Kind::kParzen, 0.1};

struct TransferFunction {
  std::vector<double> frequency;               // Hz, ascending, all > 0
  std::vector<std::complex<double>> response;  // H1, output over input
  std::vector<double> coherence;               // 0..1; 1 throughout without smoothing
};

// The estimate from the pair's spectra: with no smoothing or Parzen's at every bin above 0 Hz
// up to the Nyquist frequency, with Konno-Ohmachi's at the default centres
// (DefaultSmoothingCentres). Where the smoothed input holds no power (an input without
// motion there) the response and the coherence are NaN. Requires at least two bins and a
// smoothing ParseSmoothing accepts (std::invalid_argument otherwise).
TransferFunction EstimateTransferFunction(const PairSpectra& spectra,
                                          const SpectralSmoothing& smoothing);

// |H| and the phase of H in degrees, in (-180, 180]: a roof that lags its base by a quarter
// period at resonance shows -90.
double TransferAmplitude(std::complex<double> response);
double TransferPhaseDegrees(std::complex<double> response);

}  // namespace accprep
