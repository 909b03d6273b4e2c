#include "measures/band_limited_resampling.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

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
    : samples_(samples), transform_(FastFftLength(samples)) {
  if (samples < 2) throw std::invalid_argument("resampling needs at least two samples");
  spectrum_.resize(transform_.bins());
}

std::span<const double> BandLimitedResampler::Resample(std::span<const double> samples,
                                                       int factor) {
  if (factor < 1) throw std::invalid_argument("the resampling factor must be at least 1");
  if (samples.size() != samples_) {
    throw std::invalid_argument("the resampler serves records of another length");
  }
  const std::size_t n = samples_;
  const std::size_t f = static_cast<std::size_t>(factor);
  fine_.resize(f * (n - 1) + 1);
  for (std::size_t i = 0; i < n; ++i) fine_[f * i] = samples[i];
  if (factor == 1) return fine_;

  const std::size_t length = transform_.length();
  const std::size_t nyquist = length / 2;
  std::fill(std::copy(samples.begin(), samples.end(), transform_.signal().begin()),
            transform_.signal().end(), 0.0);
  transform_.Forward();
  std::copy(transform_.spectrum().begin(), transform_.spectrum().end(), spectrum_.begin());
  if (turnFactor_ != factor) {
    turn_.resize(nyquist);
    const double angle = 2.0 * std::numbers::pi / (static_cast<double>(f) * length);
    for (std::size_t k = 0; k < nyquist; ++k) {
      turn_[k] = std::polar(1.0, angle * static_cast<double>(k));
    }
    turnFactor_ = factor;
  }
  // The spectrum turned by r steps is the record read r / F of a sample later. The Nyquist
  // bin (real for a real record) stood for a cosine split between +L/2 and -L/2; turned
  // opposite ways, its two halves add to its value times cos(pi r / F).
  const double nyquistValue = spectrum_[nyquist].real();
  const double scale = 1.0 / static_cast<double>(length);
  std::vector<std::complex<double>>& turned = spectrum_;
  for (std::size_t r = 1; r < f; ++r) {
    for (std::size_t k = 0; k < nyquist; ++k) turned[k] *= turn_[k];
    std::copy(turned.begin(), turned.begin() + static_cast<std::ptrdiff_t>(nyquist),
              transform_.spectrum().begin());
    transform_.spectrum()[nyquist] =
        nyquistValue * std::cos(std::numbers::pi * static_cast<double>(r) / factor);
    transform_.Inverse();
    const std::span<const double> shifted = transform_.signal();
    for (std::size_t i = 0; i + 1 < n; ++i) fine_[f * i + r] = shifted[i] * scale;
  }
  return fine_;
}

std::vector<double> ResampleBandLimited(std::span<const double> samples, int factor) {
  if (factor < 1) throw std::invalid_argument("the resampling factor must be at least 1");
  if (factor == 1 || samples.size() < 2) return {samples.begin(), samples.end()};
  BandLimitedResampler resampler(samples.size());
  const std::span<const double> fine = resampler.Resample(samples, factor);
  return {fine.begin(), fine.end()};
}

ResampledRecord::ResampledRecord(std::span<const double> samples, double timeStep,
                                 std::span<const double> periods, BandLimitedResampler* resampler)
    : samples_(samples), timeStep_(timeStep), finest_(samples) {
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

StridedSamples ResampledRecord::View(double period) const {
  const int factor = Factor(period);
  if (factor == 1) return {samples_.data(), samples_.size(), 1};
  if (commonFactor_ % factor != 0) {
    throw std::invalid_argument("the period needs a sampling this record was not resampled to");
  }
  const std::size_t stride = static_cast<std::size_t>(commonFactor_ / factor);
  return {finest_.data(), (finest_.size() - 1) / stride + 1, stride};
}

std::span<const double> ResampledRecord::Samples(double period) const {
  const StridedSamples view = View(period);
  if (view.stride == 1) return {view.data, view.count};
  const int factor = Factor(period);
  const std::lock_guard<std::mutex> guard(copiesLock_);
  auto found = copies_.find(factor);
  if (found == copies_.end()) {
    std::vector<double> copy(view.count);
    for (std::size_t i = 0; i < view.count; ++i) copy[i] = view[i];
    found = copies_.emplace(factor, std::move(copy)).first;
  }
  return found->second;
}

}  // namespace accprep
