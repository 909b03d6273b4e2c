#pragma once
// The JMA long-period ground-motion class of a record's two horizontal components
// (acceleration in gal, sampled every `timeStep` s).
//
// For each period T = 1.6, 1.8, ..., 7.8 s, an oscillator of 5 % damping responds to each
// component by the exact recurrence of the response spectra (measures/oscillator_step.hpp,
// band-limited resampling where a period holds fewer than ten samples); its absolute velocity
// is the relative velocity plus the ground velocity (the record integrated exactly as a
// piecewise-linear signal, from 0 at the first sample). Sva(T) is the largest value over time
// of the vector sum of the two components' absolute velocities; the class follows from the
// largest Sva.

#include <array>
#include <span>
#include <vector>

namespace accprep {

inline constexpr double kLongPeriodDamping = 0.05;

// The 32 periods 1.6, 1.8, ..., 7.8 s, each the double nearest its decimal.
std::vector<double> LongPeriodPeriods();

// Classes 1..4 begin at these Sva (cm/s); below the first is class 0.
inline constexpr std::array<double, 4> kLongPeriodClassFloors = {5.0, 15.0, 50.0, 100.0};

// 0 below 5 cm/s, 1 from 5, 2 from 15, 3 from 50, 4 from 100 cm/s.
int LongPeriodClassOf(double sva);

struct LongPeriodMotion {
  std::vector<double> periods;  // s
  std::vector<double> sva;      // cm/s, one per period
  double peakSva = 0.0;         // the largest Sva
  double peakPeriod = 0.0;      // its period (the first on a tie; 0 when every Sva is 0)
  int motionClass = 0;          // LongPeriodClassOf(peakSva)
};

// The two components must have one length; timeStep > 0 (std::invalid_argument otherwise).
// Fewer than two samples give zeros throughout.
LongPeriodMotion ComputeLongPeriodMotion(std::span<const double> horizontal1,
                                         std::span<const double> horizontal2, double timeStep);

}  // namespace accprep
