#include "measures/band_limited_resampling.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "engine/data_error.hpp"
#include "engine/huge_pages.hpp"
#include "measures/real_fft.hpp"

namespace accprep {
namespace {

// The finest form holds at most this many values (with its transform about 130 MB): a record
// sampled so coarsely that ten samples a period would need more keeps fewer for its shortest
// periods rather than exhaust the memory.
constexpr long long kMaxResampledLength = 1LL << 23;

// The least 2^a 3^b at or above `factor`: divisible by many smaller factors (6 serves 2, 3
// and 6 alike) and a fast transform length times any 5-smooth one. Bounded by `limit`
// (>= 1): the largest 2^a 3^b at or below it when the least one above `factor` exceeds it.
int CommonFactor(int factor, long long limit) {
  long long best = 0;
  long long largestBelow = 1;
  for (long long twos = 1; twos <= 2 * limit; twos *= 2) {
    for (long long n = twos; n <= 2 * limit; n *= 3) {
      if (n >= factor && (best == 0 || n < best)) best = n;
      if (n <= limit) largestBelow = std::max(largestBelow, n);
    }
  }
  return static_cast<int>(best != 0 && best <= limit ? best : largestBelow);
}

// Turning a spectrum by one step after another rounds once more each time: after this many
// the turn starts again from the exact angle.
constexpr std::size_t kTurnsBeforeFreshStart = 16;

// The least divisor of `common` at or above `factor`.
int DivisorAtLeast(int common, int factor) {
  for (int d = std::max(factor, 1); d < common; ++d) {
    if (common % d == 0) return d;
  }
  return common;
}

}  // namespace

int SamplingFactorFor(double timeStep, double period) {
  const double needed = kLeastSamplesPerPeriod * timeStep / period;
  if (needed <= 1.0 + 1e-9) return 1;
  // No record can be resampled a million times finer; the bound keeps the cast defined.
  return static_cast<int>(std::ceil(std::min(needed * (1.0 - 1e-9), 1e6)));
}

BandLimitedResampler::BandLimitedResampler(std::size_t samples)
    : samples_(samples), transform_(TransformLength(samples)) {
  if (samples < 2) throw std::invalid_argument("resampling needs at least two samples");
  turned_.resize(transform_.bins());
}

PhasedSamples BandLimitedResampler::Resample(std::span<const double> samples, int factor) {
  if (factor < 1) throw std::invalid_argument("the resampling factor must be at least 1");
  if (samples.size() != samples_) {
    throw std::invalid_argument("the resampler serves records of another length");
  }
  const std::size_t n = samples_;
  const std::size_t f = static_cast<std::size_t>(factor);
  phasePointers_.assign(1, samples.data());
  if (phaseRoom_ < f - 1) {
    phases_.reset();  // the old block goes before the larger one comes
    phases_ = std::make_unique_for_overwrite<double[]>((f - 1) * (n - 1));
    AdviseHugePages(phases_.get(), sizeof(double) * (f - 1) * (n - 1));
    phaseRoom_ = f - 1;
  }
  if (factor > 1) {
    const std::size_t length = transform_.length();
    const std::size_t nyquist = length / 2;
    std::fill(std::copy(samples.begin(), samples.end(), transform_.signal().begin()),
              transform_.signal().end(), 0.0);
    transform_.Forward();
    const std::span<std::complex<double>> spectrum = transform_.spectrum();
    std::copy(spectrum.begin(), spectrum.end(), turned_.begin());
    const double angle = 2.0 * std::numbers::pi / (static_cast<double>(f) * length);
    if (turnFactor_ != factor) {
      turn_.resize(nyquist);
      for (std::size_t k = 0; k < nyquist; ++k) {
        turn_[k] = std::polar(1.0, angle * static_cast<double>(k));
      }
      turnFactor_ = factor;
    }
    // The spectrum turned by r steps is the record read r / F of a sample later. The Nyquist
    // bin (real for a real record) stood for a cosine split between +L/2 and -L/2; turned
    // opposite ways, its two halves add to its value times cos(pi r / F). Each turn rounds
    // once more, so many phases start afresh from the exact angle now and then.
    const double nyquistValue = turned_[nyquist].real();
    const std::vector<std::complex<double>> original =
        f > kTurnsBeforeFreshStart ? turned_ : std::vector<std::complex<double>>();
    const double scale = 1.0 / static_cast<double>(length);
    for (std::size_t r = 1; r < f; ++r) {
      if (r % kTurnsBeforeFreshStart == 0) {
        for (std::size_t k = 0; k < nyquist; ++k) {
          turned_[k] = original[k] * std::polar(1.0, angle * static_cast<double>(k * r));
          spectrum[k] = turned_[k];
        }
      } else {
        double* out = reinterpret_cast<double*>(spectrum.data());
        double* running = reinterpret_cast<double*>(turned_.data());
        const double* by = reinterpret_cast<const double*>(turn_.data());
        for (std::size_t k = 0; k < nyquist; ++k) {
          // (a + ib)(c + id), written out: the library's product checks every result for
          // infinities, which costs more than the product.
          const double re = running[2 * k] * by[2 * k] - running[2 * k + 1] * by[2 * k + 1];
          const double im = running[2 * k] * by[2 * k + 1] + running[2 * k + 1] * by[2 * k];
          running[2 * k] = out[2 * k] = re;
          running[2 * k + 1] = out[2 * k + 1] = im;
        }
      }
      spectrum[nyquist] =
          nyquistValue * std::cos(std::numbers::pi * static_cast<double>(r) / factor);
      transform_.Inverse();
      double* const phase = phases_.get() + (r - 1) * (n - 1);
      const std::span<const double> shifted = transform_.signal();
      // Zero unless a value is infinite or NaN: a sum the compiler keeps in vectors.
      double nonFinite = 0.0;
      for (std::size_t i = 0; i + 1 < n; ++i) {
        phase[i] = shifted[i] * scale;
        nonFinite += phase[i] * 0.0;
      }
      // The transform's sums pass the double range for values near it; the responses to NaN
      // would then be lost in their peak search and read as zero.
      if (nonFinite != 0.0) {
        throw DataError(DataErrorKind::kArithmetic,
                        "the record's values are too large to resample in double precision");
      }
      phasePointers_.push_back(phase);
    }
  }
  return {phasePointers_.data(), f, 1, f * (n - 1) + 1};
}

std::vector<double> ResampleBandLimited(std::span<const double> samples, int factor) {
  if (factor < 1) throw std::invalid_argument("the resampling factor must be at least 1");
  if (factor == 1 || samples.size() < 2) return {samples.begin(), samples.end()};
  BandLimitedResampler resampler(samples.size());
  const PhasedSamples fine = resampler.Resample(samples, factor);
  std::vector<double> result(fine.count);
  for (std::size_t m = 0; m < fine.count; ++m) result[m] = fine[m];
  return result;
}

ResampledRecord::ResampledRecord(std::span<const double> samples, double timeStep,
                                 std::span<const double> periods, BandLimitedResampler* resampler)
    : samples_(samples), timeStep_(timeStep), record_(samples.data()) {
  finest_ = {&record_, 1, 1, samples.size()};
  int largest = 1;
  for (double period : periods) largest = std::max(largest, SamplingFactorFor(timeStep, period));
  if (largest == 1 || samples.size() < 2) return;
  const long long limit = std::max<long long>(
      1, kMaxResampledLength / static_cast<long long>(FastFftLength(samples.size())));
  commonFactor_ = CommonFactor(largest, limit);
  if (commonFactor_ == 1) return;
  if (resampler == nullptr || resampler->samples() != samples.size()) {
    ownResampler_ = std::make_unique<BandLimitedResampler>(samples.size());
    resampler = ownResampler_.get();
  }
  finest_ = resampler->Resample(samples, commonFactor_);
}

int ResampledRecord::Factor(double period) const {
  const int needed = SamplingFactorFor(timeStep_, period);
  return needed == 1 || commonFactor_ == 1 ? 1 : DivisorAtLeast(commonFactor_, needed);
}

PhasedSamples ResampledRecord::View(double period) const {
  const int factor = Factor(period);
  if (factor == 1) return {&record_, 1, 1, samples_.size()};
  PhasedSamples view = finest_;
  view.stride = static_cast<std::size_t>(commonFactor_ / factor);
  view.count = (finest_.count - 1) / view.stride + 1;
  return view;
}

std::span<const double> ResampledRecord::Samples(double period) const {
  const PhasedSamples view = View(period);
  if (view.phaseCount == 1) return samples_;
  const int factor = Factor(period);
  const std::lock_guard<std::mutex> guard(copiesLock_);
  auto found = copies_.find(factor);
  if (found == copies_.end()) {
    std::vector<double> copy(view.count);
    for (std::size_t m = 0; m < view.count; ++m) copy[m] = view[m];
    found = copies_.emplace(factor, std::move(copy)).first;
  }
  return found->second;
}

}  // namespace accprep
