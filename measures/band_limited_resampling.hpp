#pragma once
// Band-limited resampling for the oscillators of short period.
//
// The exact recurrence reads a record as linear between its samples, and an oscillator's peak
// is looked for at the samples only. Where an oscillator's period holds fewer than ten samples
// (at 100 Hz, T = 0.02 s has two a cycle) both readings lose its peaks; so such a record is
// first resampled band-limited, by zero padding its Fourier transform, to at least ten samples
// a period. The resampled record passes through every original sample and adds nothing
// above the original Nyquist frequency.

#include <complex>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "measures/real_fft.hpp"

namespace accprep {

inline constexpr int kLeastSamplesPerPeriod = 10;

// How many times finer than `timeStep` the samples must be for ten a `period`: 1 where the
// step is a tenth of the period or less (to a relative 1e-9, so that T = 10 dt stays as it
// is), else ceil(10 dt / T).
int SamplingFactorFor(double timeStep, double period);

// A record at some sampling, held as phases of the original: phase r (0 .. F-1) holds the
// record at (i + r / F) dt, phase 0 being the record itself. Sample m of this sampling is
// every stride-th value of the finest, F (n - 1) + 1 long: value f = m * stride is
// phases[f % F][f / F].
struct PhasedSamples {
  const double* const* phases = nullptr;
  std::size_t phaseCount = 1;  // F
  std::size_t stride = 1;
  std::size_t count = 0;
  double operator[](std::size_t m) const {
    const std::size_t f = m * stride;
    return phases[f % phaseCount][f / phaseCount];
  }
};

// Resamples records of one length, its transforms planned once and its buffers reused:
// planning a transform of a few hundred thousand values costs more than running it, and fresh
// memory for each record costs as much again, so the channels of a conversion share one.
//
// The record at a factor F is the inverse of its transform (over the fast length L of at
// least n, the record followed by zeros) taken at t = (i + r / F) dt: for each r = 1 .. F-1
// one inverse transform of length L of the spectrum turned by exp(2 pi i k r / (F L)), which
// is what a transform F times as long with zeros above the old Nyquist frequency gives, for
// a fraction of its memory and without interleaving the phases.
class BandLimitedResampler {
 public:
  // The length of the transforms that resample records of `samples` values.
  static std::size_t TransformLength(std::size_t samples) { return FastFftLength(samples); }

  // For records of `samples` values (at least 2). Throws std::bad_alloc when the transform's
  // buffers cannot be had.
  explicit BandLimitedResampler(std::size_t samples);

  std::size_t samples() const { return samples_; }

  // The record (of samples() values, which must outlive the result) at `factor` >= 1 times
  // its rate: F (n - 1) + 1 samples, sample F i being samples[i] itself. Valid until the next
  // call. Throws std::invalid_argument for a factor below 1 or a record of another length, and
  // DataError kArithmetic (no file) when the values are too large for the transform to stay
  // finite.
  PhasedSamples Resample(std::span<const double> samples, int factor);

 private:
  std::size_t samples_;
  RealFft transform_;
  std::vector<std::complex<double>> turned_;
  // Phases 1 .. F-1 one after another, n - 1 values each, left unset until written and in
  // huge pages where the system gives them: tens of megabytes of fresh memory, zeroed first
  // in small pages, cost a channel as much as its transforms.
  std::unique_ptr<double[]> phases_;
  std::size_t phaseRoom_ = 0;               // phases the block holds
  std::vector<std::complex<double>> turn_;  // exp(2 pi i k / (F L)) for the F last used
  int turnFactor_ = 0;
  std::vector<const double*> phasePointers_;
};

// The record at `factor` times its sample rate (factor >= 1): factor * (n - 1) + 1 samples,
// sample factor * i being samples[i]. Fewer than two samples, or factor 1, come back as they
// are. Throws std::invalid_argument for a factor below 1, and DataError kArithmetic (no file)
// when the values are too large for the transform to stay finite.
std::vector<double> ResampleBandLimited(std::span<const double> samples, int factor);

// One record as each of a set of periods needs it. All the resampled forms are taken from one
// resampling at a common factor (the least of the form 2^a 3^b that is at least every
// period's), each period using the least divisor of it that gives it ten samples; so a record
// is transformed once however many short periods there are. The finest form is bounded to
// about 8 million values: periods of a record too long and coarse for that get the finest
// sampling that fits, with fewer than ten samples a period.
class ResampledRecord {
 public:
  // `samples` must outlive this object. Requires timeStep > 0 and periods > 0. With a
  // `resampler` for records of this length, the finest form lives in it (and stays valid until
  // its next use); without, the record keeps its own.
  ResampledRecord(std::span<const double> samples, double timeStep, std::span<const double> periods,
                  BandLimitedResampler* resampler = nullptr);

  // The factor, samples and step used for `period` (any period > 0 whose factor divides the
  // common one; those given to the constructor always do). The record itself where it holds
  // ten samples a period already.
  int Factor(double period) const;
  double Step(double period) const { return timeStep_ / Factor(period); }
  // The samples for `period` as phases of the record, without a copy.
  PhasedSamples View(double period) const;
  // The same in one piece: a copy where the record is resampled, made on the first request
  // and kept.
  std::span<const double> Samples(double period) const;

 private:
  std::span<const double> samples_;
  double timeStep_;
  int commonFactor_ = 1;
  const double* record_;  // samples_.data(), for a view of the record as one phase
  std::unique_ptr<BandLimitedResampler> ownResampler_;
  PhasedSamples finest_;
  mutable std::mutex copiesLock_;
  mutable std::map<int, std::vector<double>> copies_;  // by factor above 1
};

}  // namespace accprep
