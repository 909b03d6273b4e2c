#pragma once
// Many oscillators stepped side by side over one record, by the exact recurrence of
// measures/oscillator_step.hpp: eight to a vector where the processor runs AVX-512, four
// with AVX2, two elsewhere, and up to four vectors in flight, since each step waits on the one
// before it and only independent oscillators keep the arithmetic units busy meanwhile.
//
// Every oscillator's arithmetic is the scalar recurrence's, operation for operation and
// without fused multiply-adds, so a result does not depend on the kernel that ran it nor on
// the oscillators that shared its pass.

#include <cstddef>
#include <span>

#include "measures/band_limited_resampling.hpp"
#include "measures/oscillator_step.hpp"

namespace accprep {

// Oscillators a vector of the kernels this processor runs (8 with AVX-512, 4 with AVX2, else
// 2), within the width a test may have set (measures/wide_vectors.hpp).
int OscillatorLanes();
// The most vectors one pass steps at once.
inline constexpr int kMostVectorsInFlight = 4;

struct OscillatorPeaks {
  double sa = 0.0;  // max |x'' + a| = max |2 h w x' + w^2 x|
  double sv = 0.0;  // max |x'|
  double sd = 0.0;  // max |x|
};

// Steps the oscillators steps[k] from rest over `input` and writes their peaks to peaks[k]
// (sa only, unless `allThree`). At most kMostVectorsInFlight * OscillatorLanes() oscillators;
// peaks must be as many.
void StepForPeaks(PhasedSamples input, std::span<const OscillatorStep> steps,
                  std::span<OscillatorPeaks> peaks, bool allThree);

// Receives the displacements of oscillators on two records in blocks of consecutive steps:
// for each oscillator its x1 and x2 at `count` steps (every `stride`-th double from the
// pointers) and the box they lie in.
class DisplacementBlocks {
 public:
  struct Box {
    double min1, max1, min2, max2;
  };
  virtual void Block(std::size_t oscillator, const Box& box, const double* x1, const double* x2,
                     std::size_t count, std::size_t stride) = 0;

 protected:
  ~DisplacementBlocks() = default;
};

// Steps each oscillator steps[k] from rest over `input1` and, as a second oscillator of the
// same step, over `input2` (the same number of samples), and hands their displacements to
// `blocks` as oscillator k. At most (kMostVectorsInFlight / 2) * OscillatorLanes()
// oscillators.
void StepForDisplacements(PhasedSamples input1, PhasedSamples input2,
                          std::span<const OscillatorStep> steps, DisplacementBlocks& blocks);

}  // namespace accprep
