#include "measures/pair_spectra.hpp"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "measures/real_fft.hpp"

namespace accprep {
namespace {

// A fast transform length may leave out at most this share of a record's samples.
constexpr double kLeastKeptShare = 0.99;

void TransformInto(RealFft& fft, std::span<const double> samples,
                   std::vector<std::complex<double>>& spectrum) {
  const std::size_t n = fft.length();
  const double mean = std::accumulate(samples.begin(), samples.begin() + n, 0.0) / n;
  std::span<double> signal = fft.signal();
  for (std::size_t i = 0; i < n; ++i) signal[i] = samples[i] - mean;
  fft.Forward();
  spectrum.assign(fft.spectrum().begin(), fft.spectrum().end());
}

}  // namespace

PairTransform::PairTransform(std::size_t length, double timeStep) : timeStep_(timeStep) {
  if (length < 4 || length % 2 != 0 || !(timeStep > 0)) {
    throw std::invalid_argument("PairTransform needs an even length >= 4 and a step > 0");
  }
  fft_ = std::make_unique<RealFft>(length);
}

PairTransform::~PairTransform() = default;

std::size_t PairTransform::length() const { return fft_->length(); }

PairSpectra PairTransform::Compute(std::span<const double> input, std::span<const double> output) {
  if (input.size() < length() || output.size() < length()) {
    throw std::invalid_argument("PairTransform::Compute: records shorter than the transform");
  }
  PairSpectra spectra;
  spectra.frequencyStep = 1.0 / (static_cast<double>(length()) * timeStep_);
  TransformInto(*fft_, input, spectra.input);
  TransformInto(*fft_, output, spectra.output);
  return spectra;
}

PairSpectra ComputePairSpectra(std::span<const double> input, std::span<const double> output,
                               double timeStep) {
  if (input.size() != output.size() || input.size() < 4) {
    throw std::invalid_argument("ComputePairSpectra needs two records of one length >= 4");
  }
  const std::size_t samples = input.size();
  const std::size_t fast = FastFftLengthAtMost(samples);
  const bool keepsEnough =
      static_cast<double>(fast) >= kLeastKeptShare * static_cast<double>(samples);
  PairTransform transform(keepsEnough ? fast : samples - samples % 2, timeStep);
  return transform.Compute(input, output);
}

}  // namespace accprep
