#include "measures/band_limited_resampling.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "engine/data_error.hpp"
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

std::vector<double> ResampleBandLimited(std::span<const double> samples, int factor) {
  if (factor < 1) throw std::invalid_argument("the resampling factor must be at least 1");
  if (factor == 1 || samples.size() < 2) return {samples.begin(), samples.end()};
  const std::size_t n = samples.size();
  RealFft coarse(FastFftLength(n));
  std::fill(std::copy(samples.begin(), samples.end(), coarse.signal().begin()),
            coarse.signal().end(), 0.0);
  coarse.Forward();

  // The same spectrum over a factor times longer transform: the bins above the old Nyquist
  // frequency stay zero. The old Nyquist bin stood for a cosine split between +N/2 and -N/2;
  // now those are two different bins, so each takes half.
  RealFft fine(coarse.length() * static_cast<std::size_t>(factor));
  const std::size_t nyquist = coarse.length() / 2;
  std::copy(coarse.spectrum().begin(), coarse.spectrum().end(), fine.spectrum().begin());
  fine.spectrum()[nyquist] *= 0.5;
  std::fill(fine.spectrum().begin() + static_cast<std::ptrdiff_t>(nyquist) + 1,
            fine.spectrum().end(), 0.0);
  fine.Inverse();

  const double scale = 1.0 / static_cast<double>(coarse.length());
  std::vector<double> result(static_cast<std::size_t>(factor) * (n - 1) + 1);
  bool finite = true;
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = fine.signal()[i] * scale;
    finite &= std::isfinite(result[i]);
  }
  // The transform's sums pass the double range for values near it; the responses to NaN would
  // then be lost in their peak search and read as zero.
  if (!finite) {
    throw DataError(DataErrorKind::kArithmetic,
                    "the record's values are too large to resample in double precision");
  }
  return result;
}

ResampledRecord::ResampledRecord(std::span<const double> samples, double timeStep,
                                 std::span<const double> periods)
    : samples_(samples), timeStep_(timeStep) {
  int largest = 1;
  for (double period : periods) largest = std::max(largest, SamplingFactorFor(timeStep, period));
  if (largest == 1 || samples.size() < 2) return;
  const long long limit = std::max<long long>(
      1, kMaxResampledLength / static_cast<long long>(FastFftLength(samples.size())));
  commonFactor_ = CommonFactor(largest, limit);
  if (commonFactor_ == 1) return;
  std::vector<double> fine = ResampleBandLimited(samples, commonFactor_);
  bool finestUsed = false;
  for (double period : periods) {
    const int factor = Factor(period);
    finestUsed = finestUsed || factor == commonFactor_;
    if (factor == 1 || factor == commonFactor_ || resampled_.contains(factor)) continue;
    // Every (common / factor)-th sample of the finest form is the record at `factor`: the
    // zero-padded transform is one trigonometric sum, whatever points it is evaluated at.
    const std::size_t stride = static_cast<std::size_t>(commonFactor_ / factor);
    std::vector<double> coarser((fine.size() - 1) / stride + 1);
    for (std::size_t i = 0; i < coarser.size(); ++i) coarser[i] = fine[i * stride];
    resampled_.emplace(factor, std::move(coarser));
  }
  if (finestUsed) resampled_.emplace(commonFactor_, std::move(fine));
}

int ResampledRecord::Factor(double period) const {
  const int needed = SamplingFactorFor(timeStep_, period);
  return needed == 1 || commonFactor_ == 1 ? 1 : DivisorAtLeast(commonFactor_, needed);
}

std::span<const double> ResampledRecord::Samples(double period) const {
  const int factor = Factor(period);
  if (factor == 1) return samples_;
  const auto found = resampled_.find(factor);
  if (found == resampled_.end()) {
    throw std::invalid_argument("the period needs a sampling this record was not resampled to");
  }
  return found->second;
}

}  // namespace accprep
