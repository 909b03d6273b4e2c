#pragma once
// Signals with closed-form answers, for the measures' tests.

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace accprep::testing {

inline constexpr double kPi = std::numbers::pi;

// amplitude * sin(2 pi f t + phase) at t = 0, step, 2 step, ...
inline std::vector<double> Harmonic(double amplitude, double frequency, double step,
                                    std::size_t count, double phase = 0.0) {
  std::vector<double> values(count);
  for (std::size_t i = 0; i < count; ++i) {
    values[i] = amplitude * std::sin(2 * kPi * frequency * step * static_cast<double>(i) + phase);
  }
  return values;
}

}  // namespace accprep::testing
