#include "measures/response_spectrum.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <thread>


namespace accprep {
namespace {

// One step of the exact solution: [x, v](i+1) = A [x, v](i) + B [a(i), a(i+1)].
struct Recurrence {
  double a11, a12, a21, a22;
  double b11, b12, b21, b22;
  double twoHw, w2;  // absolute acceleration = -(2 h w v + w^2 x)
};

Recurrence MakeRecurrence(double period, double damping, double dt) {
  const double w = 2.0 * std::numbers::pi / period;
  const double h = damping;
  const double root = std::sqrt(1.0 - h * h);
  const double wd = w * root;
  const double e = std::exp(-h * w * dt);
  const double s = std::sin(wd * dt);
  const double c = std::cos(wd * dt);
  const double w2 = w * w;
  const double w3 = w2 * w;
  const double ratio = h / root;

  Recurrence r{};
  r.a11 = e * (ratio * s + c);
  r.a12 = e * s / wd;
  r.a21 = -w / root * e * s;
  r.a22 = e * (c - ratio * s);

  const double p = (2.0 * h * h - 1.0) / (w2 * dt);
  const double q = 2.0 * h / (w3 * dt);
  const double cs = c - ratio * s;
  const double ws = wd * s + h * w * c;
  r.b11 = e * ((p + h / w) * s / wd + (q + 1.0 / w2) * c) - q;
  r.b12 = -e * (p * s / wd + q * c) - 1.0 / w2 + q;
  r.b21 = e * ((p + h / w) * cs - (q + 1.0 / w2) * ws) + 1.0 / (w2 * dt);
  r.b22 = -e * (p * cs - q * ws) - 1.0 / (w2 * dt);
  r.twoHw = 2.0 * h * w;
  r.w2 = w2;
  return r;
}

// Oscillators stepped side by side: each one's step waits on its own previous step, so
// several independent ones keep the arithmetic units busy where one would leave them idle.
constexpr int kLanes = 8;

struct LanePeaks {
  double sa[kLanes];
  double sv[kLanes];
  double sd[kLanes];
};

LanePeaks RespondLanes(std::span<const double> acc, const Recurrence* recurrences) {
  double a11[kLanes], a12[kLanes], a21[kLanes], a22[kLanes];
  double b11[kLanes], b12[kLanes], b21[kLanes], b22[kLanes], twoHw[kLanes], w2[kLanes];
  double x[kLanes], v[kLanes];
  LanePeaks peaks{};
  for (int l = 0; l < kLanes; ++l) {
    const Recurrence& r = recurrences[l];
    a11[l] = r.a11; a12[l] = r.a12; a21[l] = r.a21; a22[l] = r.a22;
    b11[l] = r.b11; b12[l] = r.b12; b21[l] = r.b21; b22[l] = r.b22;
    twoHw[l] = r.twoHw; w2[l] = r.w2;
    x[l] = 0.0; v[l] = 0.0;
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

// Fills sa/sv/sd (any may be null) for periods [first, first + count), count <= kLanes.
void RespondGroup(std::span<const double> acc, double timeStep, std::span<const double> periods,
                  double damping, std::size_t first, std::size_t count, double* sa, double* sv,
                  double* sd) {
  Recurrence recurrences[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    // Spare lanes repeat the last period; their results are dropped.
    const std::size_t k = first + std::min<std::size_t>(static_cast<std::size_t>(l), count - 1);
    recurrences[l] = MakeRecurrence(periods[k], damping, timeStep);
  }
  const LanePeaks peaks = RespondLanes(acc, recurrences);
  for (std::size_t l = 0; l < count; ++l) {
    if (sa != nullptr) sa[first + l] = peaks.sa[l];
    if (sv != nullptr) sv[first + l] = peaks.sv[l];
    if (sd != nullptr) sd[first + l] = peaks.sd[l];
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
  for (std::size_t first = 0; first < periods.size(); first += kLanes) {
    RespondGroup(acceleration, timeStep, periods, damping, first,
                 std::min<std::size_t>(kLanes, periods.size() - first),
                 spectrum.absoluteAcceleration.data(), spectrum.relativeVelocity.data(),
                 spectrum.relativeDisplacement.data());
  }
  return spectrum;
}

OscillatorHistory TrackOscillator(std::span<const double> acceleration, double timeStep,
                                  double period, double damping) {
  const double periods[] = {period};
  CheckArguments(timeStep, periods, damping);
  const Recurrence r = MakeRecurrence(period, damping, timeStep);
  OscillatorHistory history;
  const std::size_t n = acceleration.size();
  history.displacement.assign(n, 0.0);
  history.velocity.assign(n, 0.0);
  history.absoluteAcceleration.assign(n, 0.0);
  double x = 0.0;
  double v = 0.0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double xn = (r.a11 * x + r.a12 * v) + (r.b11 * acceleration[i] + r.b12 * acceleration[i + 1]);
    const double vn = (r.a21 * x + r.a22 * v) + (r.b21 * acceleration[i] + r.b22 * acceleration[i + 1]);
    x = xn;
    v = vn;
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
  std::vector<std::vector<double>> spectra(channels.size(), std::vector<double>(periods.size(), 0.0));
  const std::size_t groups = (periods.size() + kLanes - 1) / kLanes;
  const std::size_t items = groups * channels.size();
  std::atomic<std::size_t> nextItem{0};
  // Items of (channel, period group) handed out one at a time, so both cores stay busy to
  // the end even though long and short periods cost the same.
  auto work = [&] {
    for (std::size_t item = nextItem++; item < items; item = nextItem++) {
      const std::size_t channel = item / groups;
      const std::size_t first = (item % groups) * kLanes;
      RespondGroup(channels[channel], timeStep, periods, damping, first,
                   std::min<std::size_t>(kLanes, periods.size() - first),
                   spectra[channel].data(), nullptr, nullptr);
    }
  };
  {
    std::vector<std::jthread> workers;
    for (int t = 1; t < std::max(threads, 1); ++t) workers.emplace_back(work);
    work();
  }
  return spectra;
}

}  // namespace accprep
