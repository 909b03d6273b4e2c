#pragma once
// Per-channel measures of a record's damage potential, for acceleration in gal sampled every
// `timeStep` s: Arias intensity, the significant durations D5-75 and D5-95, and the
// cumulative absolute velocity. Every integral is exact for the record read as linear
// between its samples, the reading the response spectra make.

#include <optional>
#include <span>

namespace accprep {

inline constexpr double kStandardGravity = 9.80665;  // m/s^2

struct AriasMeasures {
  double arias = 0.0;            // Ia = pi / (2 g) * integral of a^2 dt, m/s (a in m/s^2)
  std::optional<double> d5to75;  // s, from the time the integral of a^2 reaches 5 % of its
  std::optional<double> d5to95;  //   total to the time it reaches 75 % / 95 %; none when 0
  double cav = 0.0;              // integral of |a| dt, cm/s
};

// Requires timeStep > 0 (std::invalid_argument otherwise). Fewer than two samples, or a
// channel that is zero throughout, give zeros and no durations.
AriasMeasures ComputeAriasMeasures(std::span<const double> acceleration, double timeStep);

}  // namespace accprep
