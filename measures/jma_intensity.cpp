#include "measures/jma_intensity.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "engine/data_error.hpp"
#include "measures/real_fft.hpp"

namespace accprep {

double IntensityFilterGain(double frequency) {
  if (!(frequency > 0.0)) return 0.0;
  const double periodEffect = std::sqrt(1.0 / frequency);
  const double y2 = (frequency / 10.0) * (frequency / 10.0);
  const double polynomial =
      1.0 + y2 * (0.694 +
                  y2 * (0.241 + y2 * (0.0557 + y2 * (0.009664 + y2 * (0.00134 + y2 * 0.000155)))));
  const double highCut = 1.0 / std::sqrt(polynomial);
  const double lowCut = std::sqrt(1.0 - std::exp(-std::pow(frequency / 0.5, 3)));
  return periodEffect * highCut * lowCut;
}

std::vector<double> FilteredVectorSum(std::span<const double> horizontal1,
                                      std::span<const double> horizontal2,
                                      std::span<const double> vertical, double timeStep) {
  if (!(timeStep > 0.0) || !std::isfinite(timeStep)) {
    throw std::invalid_argument("the time step must be positive");
  }
  const std::size_t n = horizontal1.size();
  if (horizontal2.size() != n || vertical.size() != n) {
    throw std::invalid_argument("the three components must have one length");
  }
  std::vector<double> sumOfSquares(n, 0.0);
  if (n == 0) return sumOfSquares;
  RealFft fft(FastFftLength(n));
  // The filter and the inverse transform's 1/N in one weight per bin.
  const double binWidth = 1.0 / (static_cast<double>(fft.length()) * timeStep);
  std::vector<double> weights(fft.bins());
  for (std::size_t k = 0; k < weights.size(); ++k) {
    weights[k] =
        IntensityFilterGain(static_cast<double>(k) * binWidth) / static_cast<double>(fft.length());
  }
  for (std::span<const double> component : {horizontal1, horizontal2, vertical}) {
    std::fill(std::copy(component.begin(), component.end(), fft.signal().begin()),
              fft.signal().end(), 0.0);
    fft.Forward();
    for (std::size_t k = 0; k < weights.size(); ++k) fft.spectrum()[k] *= weights[k];
    fft.Inverse();
    for (std::size_t i = 0; i < n; ++i) sumOfSquares[i] += fft.signal()[i] * fft.signal()[i];
  }
  for (double& value : sumOfSquares) value = std::sqrt(value);
  return sumOfSquares;
}

double IntensityLevel(std::span<const double> vectorSum, double timeStep) {
  const auto count =
      static_cast<std::size_t>(std::ceil(kIntensityDuration / timeStep * (1.0 - 1e-9)));
  if (vectorSum.size() < count) {
    throw DataError(DataErrorKind::kInput,
                    "the record is shorter than the 0.3 s the seismic intensity needs");
  }
  std::vector<double> sorted(vectorSum.begin(), vectorSum.end());
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(count - 1),
                   sorted.end(), std::greater<>());
  return sorted[count - 1];
}

JmaIntensity ComputeJmaIntensity(std::span<const double> horizontal1,
                                 std::span<const double> horizontal2,
                                 std::span<const double> vertical, double timeStep) {
  JmaIntensity result;
  result.vectorSum = FilteredVectorSum(horizontal1, horizontal2, vertical, timeStep);
  result.a0 = IntensityLevel(result.vectorSum, timeStep);
  result.computed = result.a0 > 0.0 ? 2.0 * std::log10(result.a0) + 0.94
                                    : -std::numeric_limits<double>::infinity();
  result.reported = ReportedIntensity(result.computed);
  result.intensityClass = IntensityClassOf(result.reported);
  return result;
}

}  // namespace accprep
