#include "measures/response_spectrum.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "measures/band_limited_resampling.hpp"
#include "measures/oscillator_step.hpp"

namespace accprep {
namespace {

// Oscillators stepped side by side: each one's step waits on its own previous step, so
// several independent ones keep the arithmetic units busy where one would leave them idle.
constexpr int kLanes = 8;

struct LanePeaks {
  double sa[kLanes];
  double sv[kLanes];
  double sd[kLanes];
};

LanePeaks RespondLanes(std::span<const double> acc, const OscillatorStep* steps) {
  double a11[kLanes], a12[kLanes], a21[kLanes], a22[kLanes];
  double b11[kLanes], b12[kLanes], b21[kLanes], b22[kLanes], twoHw[kLanes], w2[kLanes];
  double x[kLanes], v[kLanes];
  LanePeaks peaks{};
  for (int l = 0; l < kLanes; ++l) {
    const OscillatorStep& r = steps[l];
    a11[l] = r.a11;
    a12[l] = r.a12;
    a21[l] = r.a21;
    a22[l] = r.a22;
    b11[l] = r.b11;
    b12[l] = r.b12;
    b21[l] = r.b21;
    b22[l] = r.b22;
    twoHw[l] = r.twoHw;
    w2[l] = r.w2;
    x[l] = 0.0;
    v[l] = 0.0;
  }
  const std::size_t n = acc.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double now = acc[i];
    const double next = acc[i + 1];
    for (int l = 0; l < kLanes; ++l) {
      const double xn = (a11[l] * x[l] + a12[l] * v[l]) + (b11[l] * now + b12[l] * next);
      const double vn = (a21[l] * x[l] + a22[l] * v[l]) + (b21[l] * now + b22[l] * next);
      x[l] = xn;
      v[l] = vn;
      peaks.sd[l] = std::max(peaks.sd[l], std::fabs(xn));
      peaks.sv[l] = std::max(peaks.sv[l], std::fabs(vn));
      peaks.sa[l] = std::max(peaks.sa[l], std::fabs(twoHw[l] * vn + w2[l] * xn));
    }
  }
  return peaks;
}

void CheckArguments(double timeStep, std::span<const double> periods, double damping) {
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

// The peaks of every period, written at sa/sv/sd[k] (any may be null). Periods that see the
// record at the same sampling share lanes; a lane's arithmetic never depends on its
// neighbours, so a period's result is the same whichever others share its group.
void RespondAll(std::span<const double> acc, double timeStep, std::span<const double> periods,
                double damping, double* sa, double* sv, double* sd) {
  const ResampledRecord record(acc, timeStep, periods);
  std::map<int, std::vector<std::size_t>> bySampling;
  for (std::size_t k = 0; k < periods.size(); ++k) {
    bySampling[record.Factor(periods[k])].push_back(k);
  }
  for (const auto& [factor, indices] : bySampling) {
    const std::span<const double> samples = record.Samples(periods[indices.front()]);
    const double step = record.Step(periods[indices.front()]);
    for (std::size_t first = 0; first < indices.size(); first += kLanes) {
      const std::size_t count = std::min<std::size_t>(kLanes, indices.size() - first);
      OscillatorStep steps[kLanes];
      for (int l = 0; l < kLanes; ++l) {
        // Spare lanes repeat the last period; their results are dropped.
        const std::size_t k =
            indices[first + std::min<std::size_t>(static_cast<std::size_t>(l), count - 1)];
        steps[l] = MakeOscillatorStep(periods[k], damping, step);
      }
      const LanePeaks peaks = RespondLanes(samples, steps);
      for (std::size_t l = 0; l < count; ++l) {
        const std::size_t k = indices[first + l];
        if (sa != nullptr) sa[k] = peaks.sa[l];
        if (sv != nullptr) sv[k] = peaks.sv[l];
        if (sd != nullptr) sd[k] = peaks.sd[l];
      }
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
  CheckArguments(timeStep, periods, damping);
  ResponseSpectrum spectrum;
  spectrum.periods.assign(periods.begin(), periods.end());
  spectrum.absoluteAcceleration.assign(periods.size(), 0.0);
  spectrum.relativeVelocity.assign(periods.size(), 0.0);
  spectrum.relativeDisplacement.assign(periods.size(), 0.0);
  RespondAll(acceleration, timeStep, periods, damping, spectrum.absoluteAcceleration.data(),
             spectrum.relativeVelocity.data(), spectrum.relativeDisplacement.data());
  return spectrum;
}

OscillatorHistory TrackOscillator(std::span<const double> acceleration, double timeStep,
                                  double period, double damping) {
  const double periods[] = {period};
  CheckArguments(timeStep, periods, damping);
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
  CheckArguments(timeStep, periods, damping);
  std::vector<std::vector<double>> spectra(channels.size(),
                                           std::vector<double>(periods.size(), 0.0));
  std::atomic<std::size_t> next{0};
  std::mutex failureLock;
  std::exception_ptr failure;
  // Whole channels handed out one at a time: a channel's short periods share one resampling,
  // and every channel costs the same, so both cores stay busy to the end. A failure (the
  // resampling's memory) stops the handing out and is rethrown on the caller's thread.
  auto work = [&] {
    try {
      for (std::size_t c = next++; c < channels.size(); c = next++) {
        RespondAll(channels[c], timeStep, periods, damping, spectra[c].data(), nullptr, nullptr);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> guard(failureLock);
      if (!failure) failure = std::current_exception();
      next = channels.size();
    }
  };
  {
    std::vector<std::jthread> workers;
    for (int t = 1; t < std::max(threads, 1); ++t) workers.emplace_back(work);
    work();
  }
  if (failure) std::rethrow_exception(failure);
  return spectra;
}

}  // namespace accprep
