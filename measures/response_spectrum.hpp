#pragma once
// Response spectra of a ground acceleration: the peak responses of damped single-degree-of-
// freedom oscillators, x'' + 2 h w x' + w^2 x = -a(t), w = 2 pi / T, starting at rest.
//
// Each oscillator is stepped with the exact solution for a ground acceleration that is linear
// between samples (measures/oscillator_step.hpp), so no finite-difference error enters. Where
// a period holds fewer than ten samples the record is first resampled band-limited to ten or
// more (measures/band_limited_resampling.hpp), so that the spectrum does not depend on the
// sample rate; periods of ten samples or more see the record exactly as it is. The response
// is followed over the record's own duration.

#include <span>
#include <string>
#include <vector>

namespace accprep {

inline constexpr int kResponsePeriodCount = 100;
inline constexpr double kShortestPeriod = 0.02;  // s
inline constexpr double kLongestPeriod = 10.0;   // s
inline constexpr double kDefaultDamping = 0.05;  // ratio of critical damping

// The 100 periods from 0.02 s to 10 s evenly spaced in logarithm, both ends exact.
std::vector<double> ResponsePeriods();

// True for a damping ratio the recurrence accepts: 0 <= h < 1 (under-critical).
bool IsUsableDamping(double damping);

// Throws std::invalid_argument unless timeStep > 0, every period > 0 (all finite) and
// IsUsableDamping(damping): what every measure of oscillators requires.
void CheckResponseArguments(double timeStep, std::span<const double> periods, double damping);

struct ResponseSpectrum {
  std::vector<double> periods;
  std::vector<double> absoluteAcceleration;  // Sa, max |x'' + a|, units of the input
  std::vector<double> relativeVelocity;      // Sv, max |x'|
  std::vector<double> relativeDisplacement;  // Sd, max |x|
};

// The three spectra of one trace sampled every `timeStep` seconds. Requires timeStep > 0,
// every period > 0 and IsUsableDamping(damping) (std::invalid_argument otherwise). A trace of
// fewer than two samples gives zeros.
ResponseSpectrum ComputeResponseSpectrum(std::span<const double> acceleration, double timeStep,
                                         std::span<const double> periods, double damping);

// The whole response of one oscillator at the record's own samples, by the same recurrence
// and without resampling: for checks of amplitude and phase against closed-form answers,
// where the peaks alone say too little.
struct OscillatorHistory {
  std::vector<double> displacement;          // x, relative to the ground
  std::vector<double> velocity;              // x'
  std::vector<double> absoluteAcceleration;  // x'' + a = -(2 h w x' + w^2 x)
};
OscillatorHistory TrackOscillator(std::span<const double> acceleration, double timeStep,
                                  double period, double damping);

// Sa of each of `channels` (entry c holds the Sa of channels[c], one value per period), the
// channels shared among `threads` threads. Each is ComputeResponseSpectrum's Sa of that
// channel, bit for bit. Same requirements as above.
std::vector<std::vector<double>> ComputeAccelerationSpectra(
    std::span<const std::span<const double>> channels, double timeStep,
    std::span<const double> periods, double damping, int threads = 2);

}  // namespace accprep
