#pragma once
// A synthetic shear building with exact answers, for the checks of the building analyses:
// lumped floor masses on shear springs above a moving base, classically damped. Its modes
// come from the mass and stiffness matrices; its response to a base acceleration is the sum
// of its modes, each stepped with the exact oscillator step (measures/oscillator_step.hpp),
// so the only errors left are those of the analysis under test.

#include <cstddef>
#include <span>
#include <vector>

namespace accprep::testing {

struct ShearBuilding {
  // Floor 1 (above the base) first, the roof last; one entry per floor each.
  std::vector<double> masses;         // t
  std::vector<double> stiffnesses;    // kN/m: story j joins floor j to floor j-1 (0 = base)
  std::vector<double> dampingRatios;  // of mode 1, 2, ... (classical damping)
};

struct BuildingModes {
  std::vector<double> frequencies;          // Hz, ascending
  std::vector<std::vector<double>> shapes;  // shapes[mode][floor], mass-normalised
  std::vector<double> participation;        // of each mode for a uniform base motion
};

// The exact modes: K phi = w^2 M phi solved by Jacobi rotations of M^-1/2 K M^-1/2.
BuildingModes ExactModes(const ShearBuilding& building);

struct BuildingResponse {
  // [floor][sample], floors 1..n at 0..n-1: absolute acceleration (the base's units) and the
  // displacement relative to the base (those units x s^2: cm for gal).
  std::vector<std::vector<double>> acceleration;
  std::vector<std::vector<double>> relativeDisplacement;
};

// The response, at rest at the first sample, to the base acceleration `base` sampled every
// `step` seconds (read as linear between samples).
BuildingResponse RespondToBase(const ShearBuilding& building, const BuildingModes& modes,
                               std::span<const double> base, double step);

// Channel `channel` (1..40) of the shared K-NET record (../shared/data/knet-aomori-2018.csv),
// less its mean, in gal, sampled every 0.01 s: a real base motion. Throws DataError when the
// record cannot be read.
std::vector<double> SharedRecordChannel(int channel);
inline constexpr double kSharedRecordStep = 0.01;

}  // namespace accprep::testing
