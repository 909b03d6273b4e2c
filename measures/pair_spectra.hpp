#pragma once
// The Fourier spectra of a pair of records, an input (the base of a building, say) and an
// output (its roof), on the bins of one transform: what the transfer function, the modal
// fits and the tracking of a frequency through the shaking are computed from.
//
// The transform spans the records' own period (no zero padding, no taper), so that what the
// records leave unfinished at their ends, the motion before the first sample and after the
// last, enters each bin near a mode as a smooth term the modal fits can model
// (measures/modal_fit.hpp); padding would turn it into a term that swings from bin to bin.

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace accprep {

class RealFft;

struct PairSpectra {
  double frequencyStep = 0.0;                // Hz between bins; bin k lies at k * frequencyStep
  std::vector<std::complex<double>> input;   // bins 0 .. length/2
  std::vector<std::complex<double>> output;  // the same bins

  std::size_t bins() const { return input.size(); }
  double frequency(std::size_t bin) const { return static_cast<double>(bin) * frequencyStep; }
};

// One transform length for many pairs (the running windows of the tracking): plans are made
// once.
class PairTransform {
 public:
  // `length` even and >= 4 samples, sampled every `timeStep` > 0 s. Throws
  // std::invalid_argument otherwise.
  PairTransform(std::size_t length, double timeStep);
  ~PairTransform();
  PairTransform(const PairTransform&) = delete;
  PairTransform& operator=(const PairTransform&) = delete;

  std::size_t length() const;

  // The spectra of the first length() samples of `input` and `output`, each less its own mean
  // over them. Both must hold at least length() samples (std::invalid_argument otherwise).
  PairSpectra Compute(std::span<const double> input, std::span<const double> output);

 private:
  std::unique_ptr<RealFft> fft_;
  double timeStep_;
};

// The spectra of two whole records of the same length (>= 4). The transform spans a fast
// length (FastFftLengthAtMost) where one keeps 99 % of the samples or more, leaving out the few
// beyond it at the record's quiet end; else the record's own length (less one sample when odd),
// slower to transform but losing none of the shaking. Throws std::invalid_argument for records
// of different or too short lengths, or a step that is not > 0.
PairSpectra ComputePairSpectra(std::span<const double> input, std::span<const double> output,
                               double timeStep);

}  // namespace accprep
