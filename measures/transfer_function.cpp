#include "measures/transfer_function.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>
#include <stdexcept>

namespace accprep {
namespace {

// The four spectra the estimate is made of, one value per bin or per centre.
struct PowerSpectra {
  std::vector<double> inputPower;   // |X|^2
  std::vector<double> crossReal;    // Re conj(X) Y
  std::vector<double> crossImag;    // Im conj(X) Y
  std::vector<double> outputPower;  // |Y|^2
};

PowerSpectra RawPowers(const PairSpectra& spectra, std::size_t first) {
  PowerSpectra raw;
  for (std::size_t k = first; k < spectra.bins(); ++k) {
    const std::complex<double> x = spectra.input[k];
    const std::complex<double> y = spectra.output[k];
    const std::complex<double> cross = std::conj(x) * y;
    raw.inputPower.push_back(std::norm(x));
    raw.crossReal.push_back(cross.real());
    raw.crossImag.push_back(cross.imag());
    raw.outputPower.push_back(std::norm(y));
  }
  return raw;
}

PowerSpectra FromSeries(std::vector<std::vector<double>> series) {
  return {std::move(series[0]), std::move(series[1]), std::move(series[2]), std::move(series[3])};
}

}  // namespace

TransferFunction EstimateTransferFunction(const PairSpectra& spectra,
                                          const SpectralSmoothing& smoothing) {
  if (spectra.bins() < 2 || !(spectra.frequencyStep > 0)) {
    throw std::invalid_argument("a transfer function needs two bins or more");
  }
  TransferFunction result;
  PowerSpectra smoothed;
  switch (smoothing.kind) {
    case SpectralSmoothing::Kind::kNone:
      smoothed = RawPowers(spectra, 1);
      for (std::size_t k = 1; k < spectra.bins(); ++k) {
        result.frequency.push_back(spectra.frequency(k));
      }
      break;
    case SpectralSmoothing::Kind::kParzen: {
      // Over every bin, 0 Hz included, as the window's definition sums; the 0 Hz result of a
      // record less its mean says nothing and is left out.
      const PowerSpectra raw = RawPowers(spectra, 0);
      const std::array<std::span<const double>, 4> series = {raw.inputPower, raw.crossReal,
                                                             raw.crossImag, raw.outputPower};
      smoothed = FromSeries(SmoothParzen(series, spectra.frequencyStep, smoothing.parameter));
      for (std::vector<double>* values : {&smoothed.inputPower, &smoothed.crossReal,
                                          &smoothed.crossImag, &smoothed.outputPower}) {
        values->erase(values->begin());
      }
      for (std::size_t k = 1; k < spectra.bins(); ++k) {
        result.frequency.push_back(spectra.frequency(k));
      }
      break;
    }
    case SpectralSmoothing::Kind::kKonnoOhmachi: {
      const PowerSpectra raw = RawPowers(spectra, 1);
      std::vector<double> frequencies;
      for (std::size_t k = 1; k < spectra.bins(); ++k) frequencies.push_back(spectra.frequency(k));
      result.frequency = DefaultSmoothingCentres(frequencies.front(), frequencies.back());
      const std::array<std::span<const double>, 4> series = {raw.inputPower, raw.crossReal,
                                                             raw.crossImag, raw.outputPower};
      smoothed = FromSeries(
          SmoothKonnoOhmachi(frequencies, series, result.frequency, smoothing.parameter));
      break;
    }
  }

  const std::size_t count = result.frequency.size();
  result.response.resize(count);
  result.coherence.resize(count);
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t i = 0; i < count; ++i) {
    const double input = smoothed.inputPower[i];
    const std::complex<double> cross(smoothed.crossReal[i], smoothed.crossImag[i]);
    if (!(input > 0)) {
      result.response[i] = {kNan, kNan};
      result.coherence[i] = kNan;
      continue;
    }
    result.response[i] = cross / input;
    const double output = smoothed.outputPower[i];
    if (smoothing.kind == SpectralSmoothing::Kind::kNone) {
      result.coherence[i] = 1.0;  // one bin of one record: |conj(X) Y|^2 = |X|^2 |Y|^2
    } else {
      result.coherence[i] =
          output > 0 ? std::clamp(std::norm(cross) / (input * output), 0.0, 1.0) : 0.0;
    }
  }
  return result;
}

double TransferAmplitude(std::complex<double> response) { return std::abs(response); }

double TransferPhaseDegrees(std::complex<double> response) {
  const double degrees = std::arg(response) * 180.0 / std::numbers::pi;
  return degrees == -180.0 ? 180.0 : degrees;
}

}  // namespace accprep
