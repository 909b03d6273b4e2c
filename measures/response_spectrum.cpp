#include "measures/response_spectrum.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>

#include "measures/band_limited_resampling.hpp"
#include "measures/oscillator_lanes.hpp"
#include "measures/oscillator_step.hpp"
#include "measures/parallel_tasks.hpp"

namespace accprep {

void CheckResponseArguments(double timeStep, std::span<const double> periods, double damping) {
  if (!(timeStep > 0.0) || !std::isfinite(timeStep)) {
    throw std::invalid_argument("the time step must be positive");
  }
  if (!IsUsableDamping(damping)) throw std::invalid_argument("damping must lie in [0, 1)");
  for (double period : periods) {
    if (!(period > 0.0) || !std::isfinite(period)) {
      throw std::invalid_argument("periods must be positive");
    }
  }
}

namespace {

// A resampler for the records of `samples` values that `periods` need resampled, made on the
// first need and kept in `holder` for the next channel of the same length; none where no
// period is short.
BandLimitedResampler* ResamplerFor(std::unique_ptr<BandLimitedResampler>& holder,
                                   std::size_t samples, double timeStep,
                                   std::span<const double> periods) {
  if (samples < 2) return nullptr;
  const bool anyShort = std::any_of(periods.begin(), periods.end(), [&](double period) {
    return SamplingFactorFor(timeStep, period) > 1;
  });
  if (!anyShort) return nullptr;
  if (!holder || holder->samples() != samples) {
    holder = std::make_unique<BandLimitedResampler>(samples);
  }
  return holder.get();
}

// The peaks of every period, written at sa/sv/sd[k] (sv and sd may be null). Periods that see
// the record at the same sampling share passes, as few as hold them, each as full as the
// others; a lane's arithmetic never depends on its neighbours, so a period's result is the
// same whichever others share its pass.
void RespondAll(std::span<const double> acc, double timeStep, std::span<const double> periods,
                double damping, double* sa, double* sv, double* sd,
                BandLimitedResampler* resampler) {
  const ResampledRecord record(acc, timeStep, periods, resampler);
  std::map<int, std::vector<std::size_t>> bySampling;
  for (std::size_t k = 0; k < periods.size(); ++k) {
    bySampling[record.Factor(periods[k])].push_back(k);
  }
  const std::size_t lanes = static_cast<std::size_t>(OscillatorLanes());
  const bool allThree = sv != nullptr && sd != nullptr;
  std::vector<OscillatorStep> steps;
  std::vector<OscillatorPeaks> peaks;
  for (const auto& [factor, indices] : bySampling) {
    const PhasedSamples samples = record.View(periods[indices.front()]);
    const double step = record.Step(periods[indices.front()]);
    const std::size_t vectors = (indices.size() + lanes - 1) / lanes;
    const std::size_t passes = (vectors + kMostVectorsInFlight - 1) / kMostVectorsInFlight;
    std::size_t first = 0;
    for (std::size_t pass = 0; pass < passes; ++pass) {
      const std::size_t passVectors = vectors / passes + (pass < vectors % passes ? 1 : 0);
      const std::size_t count = std::min(passVectors * lanes, indices.size() - first);
      steps.resize(count);
      peaks.resize(count);
      for (std::size_t i = 0; i < count; ++i) {
        steps[i] = MakeOscillatorStep(periods[indices[first + i]], damping, step);
      }
      StepForPeaks(samples, steps, peaks, allThree);
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t k = indices[first + i];
        sa[k] = peaks[i].sa;
        if (allThree) {
          sv[k] = peaks[i].sv;
          sd[k] = peaks[i].sd;
        }
      }
      first += count;
    }
  }
}

}  // namespace

std::vector<double> ResponsePeriods() {
  std::vector<double> periods(kResponsePeriodCount);
  const double span = std::log(kLongestPeriod / kShortestPeriod);
  for (int k = 0; k < kResponsePeriodCount; ++k) {
    periods[k] = kShortestPeriod * std::exp(span * k / (kResponsePeriodCount - 1));
  }
  periods.front() = kShortestPeriod;
  periods.back() = kLongestPeriod;
  return periods;
}

bool IsUsableDamping(double damping) { return damping >= 0.0 && damping < 1.0; }

ResponseSpectrum ComputeResponseSpectrum(std::span<const double> acceleration, double timeStep,
                                         std::span<const double> periods, double damping) {
  CheckResponseArguments(timeStep, periods, damping);
  ResponseSpectrum spectrum;
  spectrum.periods.assign(periods.begin(), periods.end());
  spectrum.absoluteAcceleration.assign(periods.size(), 0.0);
  spectrum.relativeVelocity.assign(periods.size(), 0.0);
  spectrum.relativeDisplacement.assign(periods.size(), 0.0);
  std::unique_ptr<BandLimitedResampler> resampler;
  RespondAll(acceleration, timeStep, periods, damping, spectrum.absoluteAcceleration.data(),
             spectrum.relativeVelocity.data(), spectrum.relativeDisplacement.data(),
             ResamplerFor(resampler, acceleration.size(), timeStep, periods));
  return spectrum;
}

OscillatorHistory TrackOscillator(std::span<const double> acceleration, double timeStep,
                                  double period, double damping) {
  const double periods[] = {period};
  CheckResponseArguments(timeStep, periods, damping);
  const OscillatorStep r = MakeOscillatorStep(period, damping, timeStep);
  OscillatorHistory history;
  const std::size_t n = acceleration.size();
  history.displacement.assign(n, 0.0);
  history.velocity.assign(n, 0.0);
  history.absoluteAcceleration.assign(n, 0.0);
  double x = 0.0;
  double v = 0.0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    r.Advance(x, v, acceleration[i], acceleration[i + 1]);
    history.displacement[i + 1] = x;
    history.velocity[i + 1] = v;
    history.absoluteAcceleration[i + 1] = -(r.twoHw * v + r.w2 * x);
  }
  return history;
}

std::vector<std::vector<double>> ComputeAccelerationSpectra(
    std::span<const std::span<const double>> channels, double timeStep,
    std::span<const double> periods, double damping, int threads) {
  CheckResponseArguments(timeStep, periods, damping);
  std::vector<std::vector<double>> spectra(channels.size(),
                                           std::vector<double>(periods.size(), 0.0));
  // Whole channels handed out one at a time: a channel's short periods share one resampling,
  // and every channel costs the same, so both cores stay busy to the end. Each thread keeps
  // one resampler for its channels. A failure (the resampling's memory) stops the handing
  // out and is rethrown on the caller's thread.
  std::atomic<std::size_t> next{0};
  const int workers = std::max(threads, 1);
  RunTasks(static_cast<std::size_t>(workers), workers, [&](std::size_t) {
    try {
      std::unique_ptr<BandLimitedResampler> resampler;
      for (std::size_t c = next++; c < channels.size(); c = next++) {
        RespondAll(channels[c], timeStep, periods, damping, spectra[c].data(), nullptr, nullptr,
                   ResamplerFor(resampler, channels[c].size(), timeStep, periods));
      }
    } catch (...) {
      next = channels.size();
      throw;
    }
  });
  return spectra;
}

}  // namespace accprep
