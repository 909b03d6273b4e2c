#pragma once
// Orientation-independent response spectra of two horizontal components (Boore, 2010): for
// each period, the oscillator displacements x1(t), x2(t) of both components (the response
// spectra's exact step, band-limited resampling below ten samples a period), and for
// t = 0, 1, ..., 179 degrees PSA(t) = w^2 max over time |x1 cos t + x2 sin t|, w = 2 pi / T.
// RotD00 is the least of the 180, RotD100 the largest, RotD50 the mean of the 90th and 91st
// in ascending order.
//
// The rotation is linear, so two oscillators a period give every angle's response; and the
// largest projection over time is found without 180 passes over the history
// (measures/projection_peaks.hpp).

#include <array>
#include <span>
#include <vector>

#include "measures/projection_peaks.hpp"

namespace accprep {

struct RotDValues {
  double rotd00 = 0.0;
  double rotd50 = 0.0;
  double rotd100 = 0.0;
  // PSA of each component as it lies (0 and 90 degrees): what the viewer draws RotD over,
  // from the very peaks the three come from, so that RotD00 <= both <= RotD100 holds exactly.
  double horizontal1 = 0.0;
  double horizontal2 = 0.0;
};

// The three of 180 PSA values, one per degree, with the values at 0 and 90 degrees.
RotDValues RotDOf(const std::array<double, kRotationAngles>& psa);

struct RotDSpectrum {
  std::vector<double> periods;
  std::vector<RotDValues> values;  // one per period, in the input's units (PSA)
};

// RotD00, RotD50 and RotD100 at `periods` of two components sampled every `timeStep` s, their
// periods shared among `threads` threads. Requires components of one length, timeStep > 0,
// periods > 0 and IsUsableDamping(damping) (std::invalid_argument otherwise). Fewer than two
// samples give zeros.
RotDSpectrum ComputeRotDSpectrum(std::span<const double> horizontal1,
                                 std::span<const double> horizontal2, double timeStep,
                                 std::span<const double> periods, double damping, int threads = 2);

}  // namespace accprep
