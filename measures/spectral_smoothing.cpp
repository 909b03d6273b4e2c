#include "measures/spectral_smoothing.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "engine/number_format.hpp"
#include "measures/real_fft.hpp"

namespace accprep {
namespace {

std::optional<double> PositiveNumber(std::string_view text) {
  const ParseResult parsed = ParseNumber(text);
  if (parsed.error != ParseError::kNone || !(parsed.value > 0.0)) return std::nullopt;
  return parsed.value;
}

// (sin x / x)^4, 1 at x = 0.
double SincFourth(double x) {
  if (x == 0.0) return 1.0;
  const double s = std::sin(x) / x;
  const double s2 = s * s;
  return s2 * s2;
}

// Below this many bins the Parzen sums are taken directly; above, as one convolution by
// Fourier transform, whose rounding stays near 1e-16 of the largest value.
constexpr std::size_t kDirectParzenBins = 2048;

// w[d] for d = 0 .. n-1: the Parzen window at d bins, without its factor 3/4 u, which every
// weighted mean divides out.
std::vector<double> ParzenWeights(std::size_t n, double binWidth, double bandwidth) {
  const double u = 280.0 / (151.0 * bandwidth);
  const double scale = std::numbers::pi * u * binWidth / 2.0;
  std::vector<double> weights(n);
  for (std::size_t d = 0; d < n; ++d) weights[d] = SincFourth(scale * static_cast<double>(d));
  return weights;
}

// The sum of the weights each bin k receives: w[-k] .. w[n-1-k], from prefix sums taken with
// Neumaier's compensation so that the denominators keep full precision over 10^5 bins.
std::vector<double> ParzenDenominators(const std::vector<double>& weights) {
  const std::size_t n = weights.size();
  std::vector<double> prefix(n);
  double sum = 0.0;
  double carry = 0.0;
  for (std::size_t d = 0; d < n; ++d) {
    const double w = weights[d];
    const double t = sum + w;
    carry += std::fabs(sum) >= std::fabs(w) ? (sum - t) + w : (w - t) + sum;
    sum = t;
    prefix[d] = sum + carry;
  }
  std::vector<double> denominators(n);
  for (std::size_t k = 0; k < n; ++k) denominators[k] = prefix[k] + prefix[n - 1 - k] - weights[0];
  return denominators;
}

void CheckParzen(double binWidth, double bandwidth) {
  if (!(binWidth > 0.0) || !std::isfinite(binWidth)) {
    throw std::invalid_argument("the bin width must be positive");
  }
  if (!(bandwidth > 0.0) || !std::isfinite(bandwidth)) {
    throw std::invalid_argument("the Parzen bandwidth must be positive");
  }
}

// A weighted mean lies between the least and the largest value it averages; the transform's
// rounding may not push a result outside.
void KeepWithinRange(std::span<const double> values, std::vector<double>& result) {
  const auto [least, largest] = std::minmax_element(values.begin(), values.end());
  for (double& r : result) r = std::clamp(r, *least, *largest);
}

}  // namespace

std::optional<SpectralSmoothing> ParseSmoothing(std::string_view text) {
  if (text == "none") return SpectralSmoothing{};
  if (text == "ko")
    return SpectralSmoothing{SpectralSmoothing::Kind::kKonnoOhmachi, kDefaultKonnoOhmachiB};
  constexpr std::string_view kParzen = "parzen:";
  constexpr std::string_view kKo = "ko:";
  if (text.starts_with(kParzen)) {
    const std::optional<double> bandwidth = PositiveNumber(text.substr(kParzen.size()));
    if (!bandwidth) return std::nullopt;
    return SpectralSmoothing{SpectralSmoothing::Kind::kParzen, *bandwidth};
  }
  if (text.starts_with(kKo)) {
    const std::optional<double> b = PositiveNumber(text.substr(kKo.size()));
    if (!b || *b > kLargestKonnoOhmachiB) return std::nullopt;
    return SpectralSmoothing{SpectralSmoothing::Kind::kKonnoOhmachi, *b};
  }
  return std::nullopt;
}

std::string SmoothingText(const SpectralSmoothing& smoothing) {
  switch (smoothing.kind) {
    case SpectralSmoothing::Kind::kParzen:
      return "parzen:" + FormatNumber(smoothing.parameter);
    case SpectralSmoothing::Kind::kKonnoOhmachi:
      return "ko:" + FormatNumber(smoothing.parameter);
    case SpectralSmoothing::Kind::kNone:
      break;
  }
  return "none";
}

std::vector<double> SmoothParzen(std::span<const double> values, double binWidth,
                                 double bandwidth) {
  const std::span<const double> one[] = {values};
  return std::move(SmoothParzen(one, binWidth, bandwidth).front());
}

std::vector<std::vector<double>> SmoothParzen(std::span<const std::span<const double>> series,
                                              double binWidth, double bandwidth) {
  CheckParzen(binWidth, bandwidth);
  std::vector<std::vector<double>> results(series.size());
  if (series.empty()) return results;
  const std::size_t n = series.front().size();
  for (std::span<const double> values : series) {
    if (values.size() != n) throw std::invalid_argument("series of different lengths");
  }
  if (n == 0) return results;
  const std::vector<double> weights = ParzenWeights(n, binWidth, bandwidth);
  const std::vector<double> denominators = ParzenDenominators(weights);

  if (n <= kDirectParzenBins) {
    for (std::size_t s = 0; s < series.size(); ++s) {
      results[s].resize(n);
      for (std::size_t k = 0; k < n; ++k) {
        double sum = 0.0;
        for (std::size_t j = 0; j < n; ++j) sum += weights[j > k ? j - k : k - j] * series[s][j];
        results[s][k] = sum / denominators[k];
      }
    }
    return results;
  }

  // One linear convolution by transform: the window laid out circularly over a length that
  // holds every offset -(n-1) .. n-1 once, so that nothing wraps onto a bin.
  RealFft transform(FastFftLength(2 * n - 1));
  const std::size_t length = transform.length();
  std::span<double> signal = transform.signal();
  std::fill(signal.begin(), signal.end(), 0.0);
  signal[0] = weights[0];
  for (std::size_t d = 1; d < n; ++d) signal[d] = signal[length - d] = weights[d];
  transform.Forward();
  const std::vector<std::complex<double>> window(transform.spectrum().begin(),
                                                 transform.spectrum().end());
  const double scale = 1.0 / static_cast<double>(length);
  for (std::size_t s = 0; s < series.size(); ++s) {
    std::fill(std::copy(series[s].begin(), series[s].end(), signal.begin()), signal.end(), 0.0);
    transform.Forward();
    std::span<std::complex<double>> spectrum = transform.spectrum();
    for (std::size_t k = 0; k < spectrum.size(); ++k) spectrum[k] *= window[k];
    transform.Inverse();
    results[s].resize(n);
    for (std::size_t k = 0; k < n; ++k) results[s][k] = signal[k] * scale / denominators[k];
    KeepWithinRange(series[s], results[s]);
  }
  return results;
}

std::vector<double> LogSpacedFrequencies(double lowest, double highest, int count) {
  if (!(lowest > 0.0) || !(highest >= lowest) || !std::isfinite(highest) || count < 2) {
    throw std::invalid_argument("log-spaced frequencies need 0 < lowest <= highest, count >= 2");
  }
  if (lowest == highest) return {lowest};
  std::vector<double> result(static_cast<std::size_t>(count));
  const double span = std::log(highest / lowest);
  for (int k = 0; k < count; ++k) result[k] = lowest * std::exp(span * k / (count - 1));
  result.front() = lowest;
  result.back() = highest;
  return result;
}

std::vector<double> DefaultSmoothingCentres(double firstBin, double nyquist) {
  const double lowest = std::min(std::max(kKonnoOhmachiLowestCentre, firstBin), nyquist);
  return LogSpacedFrequencies(lowest, nyquist, kKonnoOhmachiCentreCount);
}

}  // namespace accprep
