#pragma once
// The Fourier amplitude spectrum of an acceleration record, as engineers read it beside the
// response spectra: |DFT| dt of the n samples themselves (no padding, no taper, the mean
// left in) at f_k = k / (n dt), k = 1 .. n/2, in the input's units times seconds (gal s =
// cm/s for gal).

#include <span>
#include <vector>

#include "measures/spectral_smoothing.hpp"

namespace accprep {

// The length of the transform the spectra of `samples` values take (n, or 2n for an odd n).
std::size_t FourierTransformLength(std::size_t samples);

// f_k = k / (n dt) for k = 1 .. n/2 (none below two samples). Requires timeStep > 0.
std::vector<double> FourierFrequencies(std::size_t samples, double timeStep);

// |X_k| dt at those frequencies, X_k = sum_i x_i exp(-2 pi i k i / n). Requires timeStep > 0
// (std::invalid_argument otherwise).
std::vector<double> FourierAmplitude(std::span<const double> samples, double timeStep);

// The same of each channel (one length for all), shared among `threads` threads; entry c
// holds channels[c], bit for bit as FourierAmplitude gives it.
std::vector<std::vector<double>> FourierAmplitudes(
    std::span<const std::span<const double>> channels, double timeStep, int threads = 2);

// The same into the channels themselves: the first n/2 values of each become its amplitudes,
// and its samples are gone. For the tables of long records, which then touch no fresh memory
// for the spectra.
void FourierAmplitudesInPlace(std::span<const std::span<double>> channels, double timeStep,
                              int threads = 2);

struct SmoothedSpectra {
  std::vector<double> frequencies;
  std::vector<std::vector<double>> amplitudes;  // one series per input, one value a frequency
};

// Spectra at the bins `frequencies` (ascending, > 0, evenly `binWidth` apart) smoothed as
// `smoothing` says: kNone keeps them, Parzen smooths them on the bins, Konno-Ohmachi onto
// DefaultSmoothingCentres(frequencies.front(), nyquist). Throws as the smoothing does.
SmoothedSpectra SmoothSpectra(std::span<const double> frequencies, double binWidth, double nyquist,
                              std::span<const std::span<const double>> spectra,
                              const SpectralSmoothing& smoothing, int threads = 2);

}  // namespace accprep
