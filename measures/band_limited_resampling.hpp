#pragma once
// Band-limited resampling for the oscillators of short period.
//
// The exact recurrence reads a record as linear between its samples, and an oscillator's peak
// is looked for at the samples only. Where an oscillator's period holds fewer than ten samples
// (at 100 Hz, T = 0.02 s has two a cycle) both readings lose its peaks; so such a record is
// first resampled band-limited, by zero padding its Fourier transform, to at least ten samples
// a period. The resampled record passes through every original sample and adds nothing
// above the original Nyquist frequency.

#include <map>
#include <span>
#include <vector>

namespace accprep {

inline constexpr int kLeastSamplesPerPeriod = 10;

// How many times finer than `timeStep` the samples must be for ten a `period`: 1 where the
// step is a tenth of the period or less (to a relative 1e-9, so that T = 10 dt stays as it
// is), else ceil(10 dt / T).
int SamplingFactorFor(double timeStep, double period);

// The record at `factor` times its sample rate (factor >= 1): factor * (n - 1) + 1 samples,
// sample factor * i being samples[i] to rounding. The transform runs over a fast length of at
// least n, the record followed by zeros. Fewer than two samples, or factor 1, come back as
// they are. Throws std::invalid_argument for a factor below 1, and DataError kArithmetic
// (no file) when the values are too large for the transform to stay finite.
std::vector<double> ResampleBandLimited(std::span<const double> samples, int factor);

// One record as each of a set of periods needs it. All the resampled forms are taken from one
// transform at a common factor (the least of the form 2^a 3^b that is at least every
// period's), each period using the least divisor of it that gives it ten samples; so a record
// is transformed once however many short periods there are. The finest form is bounded to
// about 8 million values: periods of a record too long and coarse for that get the finest
// sampling that fits, with fewer than ten samples a period.
class ResampledRecord {
 public:
  // `samples` must outlive this object. Requires timeStep > 0 and periods > 0.
  ResampledRecord(std::span<const double> samples, double timeStep,
                  std::span<const double> periods);

  // The factor, samples and step used for `period` (any period > 0 whose factor divides the
  // common one; those given to the constructor always do). The record itself where it holds
  // ten samples a period already.
  int Factor(double period) const;
  std::span<const double> Samples(double period) const;
  double Step(double period) const { return timeStep_ / Factor(period); }

 private:
  std::span<const double> samples_;
  double timeStep_;
  int commonFactor_ = 1;
  std::map<int, std::vector<double>> resampled_;  // by factor > 1
};

}  // namespace accprep
