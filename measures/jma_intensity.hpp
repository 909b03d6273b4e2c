#pragma once
// The JMA instrumental seismic intensity of one three-component record: two horizontal
// components and the vertical, acceleration in gal, sampled every `timeStep` s. The method and
// its filter F(f) are those the Japan Meteorological Agency published with the instrumental
// intensity in 1996 (気象庁「計測震度の算出方法」, Japan Meteorological Agency, "How the
// instrumental seismic intensity is computed").
//
//   1. each component is Fourier transformed, zero padded to a fast length of at least the
//      record (no taper), and its bins k = 0..N/2 at f = k / (N dt) weighted by F(f);
//   2. transformed back, cut to the record, and summed as a vector per sample:
//      a(t) = sqrt(a1^2 + a2^2 + a3^2);
//   3. a0 is the largest a such that a(t) >= a for at least 0.3 s in all, counted in samples;
//   4. I = 2 log10 a0 + 0.94, reported and classed as measures/intensity_scale.hpp says.

#include <span>
#include <vector>

#include "measures/intensity_scale.hpp"

namespace accprep {

inline constexpr double kIntensityDuration = 0.3;  // s

// F(f) = F1 F2 F3 for f in Hz: F1 = (1/f)^1/2 (period effect); F2 = (1 + 0.694 y^2 +
// 0.241 y^4 + 0.0557 y^6 + 0.009664 y^8 + 0.00134 y^10 + 0.000155 y^12)^-1/2, y = f / 10 Hz
// (high cut); F3 = (1 - exp(-(f / 0.5 Hz)^3))^1/2 (low cut). F(0) = 0, as for any f <= 0.
double IntensityFilterGain(double frequency);

// Steps 1 and 2: the filtered vector sum, one value per sample. The three components must
// have one length; timeStep > 0 (std::invalid_argument otherwise).
std::vector<double> FilteredVectorSum(std::span<const double> horizontal1,
                                      std::span<const double> horizontal2,
                                      std::span<const double> vertical, double timeStep);

// Step 3: with K = ceil(0.3 s / dt) samples (to a relative 1e-9, so that 0.3 / 0.01 counts
// 30), a0 is the K-th largest value of the vector sum: the count of samples at or above it
// reaches K, and any larger level is met by fewer. Throws DataError kInput when the record
// holds fewer than K samples.
double IntensityLevel(std::span<const double> vectorSum, double timeStep);

struct JmaIntensity {
  double a0 = 0.0;        // gal
  double computed = 0.0;  // I; -infinity for a record without motion (a0 = 0)
  double reported = 0.0;  // ReportedIntensity(computed)
  IntensityClass intensityClass = IntensityClass::k0;
  std::vector<double> vectorSum;  // the filtered vector sum a(t), gal
};

// All four steps. Throws as FilteredVectorSum and IntensityLevel do.
JmaIntensity ComputeJmaIntensity(std::span<const double> horizontal1,
                                 std::span<const double> horizontal2,
                                 std::span<const double> vertical, double timeStep);

}  // namespace accprep
