#include "measures/fourier_amplitude.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>

#include "measures/parallel_tasks.hpp"
#include "measures/real_fft.hpp"

namespace accprep {
namespace {

void CheckStep(double timeStep) {
  if (!(timeStep > 0.0) || !std::isfinite(timeStep)) {
    throw std::invalid_argument("the time step must be positive");
  }
}

// |X_k| dt of `samples` for k = 1 .. n/2 into amplitudes[0 ..), which may be the samples
// themselves: they are in the transform's buffer before the first amplitude is written.
void Amplitudes(RealFft& transform, std::span<const double> samples, double timeStep,
                double* amplitudes) {
  std::span<double> signal = transform.signal();
  std::fill(std::copy(samples.begin(), samples.end(), signal.begin()), signal.end(), 0.0);
  transform.Forward();
  const std::size_t stride = transform.length() / samples.size();
  const std::span<const std::complex<double>> spectrum = transform.spectrum();
  for (std::size_t k = 1; k <= samples.size() / 2; ++k) {
    amplitudes[k - 1] = std::sqrt(std::norm(spectrum[k * stride])) * timeStep;
  }
}

// Runs `channel(transform, c)` for every channel on `threads` threads, each planning one
// transform for its channels; a failure (the transform's memory) stops the handing out and is
// rethrown on the caller's thread.
template <typename Channel>
void EachChannel(std::size_t channels, std::size_t samples, int threads, Channel channel) {
  std::atomic<std::size_t> next{0};
  const int workers = std::clamp(threads, 1, static_cast<int>(channels));
  RunTasks(static_cast<std::size_t>(workers), workers, [&](std::size_t) {
    try {
      RealFft transform(FourierTransformLength(samples));
      for (std::size_t c = next++; c < channels; c = next++) channel(transform, c);
    } catch (...) {
      next = channels;
      throw;
    }
  });
}

template <typename Span>
std::size_t CommonLength(std::span<const Span> channels) {
  const std::size_t n = channels.empty() ? 0 : channels.front().size();
  for (const Span& channel : channels) {
    if (channel.size() != n) throw std::invalid_argument("channels of different lengths");
  }
  return n;
}

}  // namespace

// The real transform runs on even lengths: an odd record is transformed at twice its length
// with zeros after it, whose even bins are the record's own (X_2k over 2n samples sums the
// same terms as X_k over n).
std::size_t FourierTransformLength(std::size_t samples) {
  return samples % 2 == 0 ? samples : 2 * samples;
}

std::vector<double> FourierFrequencies(std::size_t samples, double timeStep) {
  CheckStep(timeStep);
  std::vector<double> frequencies(samples / 2);
  const double duration = static_cast<double>(samples) * timeStep;
  for (std::size_t k = 1; k <= frequencies.size(); ++k) {
    frequencies[k - 1] = static_cast<double>(k) / duration;
  }
  return frequencies;
}

std::vector<double> FourierAmplitude(std::span<const double> samples, double timeStep) {
  const std::span<const double> one[] = {samples};
  return std::move(FourierAmplitudes(one, timeStep, 1).front());
}

std::vector<std::vector<double>> FourierAmplitudes(
    std::span<const std::span<const double>> channels, double timeStep, int threads) {
  CheckStep(timeStep);
  const std::size_t n = CommonLength(channels);
  std::vector<std::vector<double>> result(channels.size());
  if (n < 2) return result;
  EachChannel(channels.size(), n, threads, [&](RealFft& transform, std::size_t c) {
    result[c].resize(n / 2);
    Amplitudes(transform, channels[c], timeStep, result[c].data());
  });
  return result;
}

void FourierAmplitudesInPlace(std::span<const std::span<double>> channels, double timeStep,
                              int threads) {
  CheckStep(timeStep);
  const std::size_t n = CommonLength(channels);
  if (n < 2) return;
  EachChannel(channels.size(), n, threads, [&](RealFft& transform, std::size_t c) {
    Amplitudes(transform, channels[c], timeStep, channels[c].data());
  });
}

SmoothedSpectra SmoothSpectra(std::span<const double> frequencies, double binWidth, double nyquist,
                              std::span<const std::span<const double>> spectra,
                              const SpectralSmoothing& smoothing, int threads) {
  SmoothedSpectra result;
  switch (smoothing.kind) {
    case SpectralSmoothing::Kind::kNone:
      result.frequencies.assign(frequencies.begin(), frequencies.end());
      for (std::span<const double> s : spectra) result.amplitudes.emplace_back(s.begin(), s.end());
      break;
    case SpectralSmoothing::Kind::kParzen:
      result.frequencies.assign(frequencies.begin(), frequencies.end());
      result.amplitudes = SmoothParzen(spectra, binWidth, smoothing.parameter);
      break;
    case SpectralSmoothing::Kind::kKonnoOhmachi:
      if (frequencies.empty()) {
        result.amplitudes.resize(spectra.size());
        break;
      }
      result.frequencies = DefaultSmoothingCentres(frequencies.front(), nyquist);
      result.amplitudes = SmoothKonnoOhmachi(frequencies, spectra, result.frequencies,
                                             smoothing.parameter, threads);
      break;
  }
  return result;
}

}  // namespace accprep
