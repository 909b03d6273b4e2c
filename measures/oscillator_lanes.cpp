// Compiled with -ffp-contract=off (measures/CMakeLists.txt): a fused multiply-add would round
// differently from the scalar recurrence, and the vectors must give its very bits.
#include "measures/oscillator_lanes.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "measures/vector_lanes.hpp"
#include "measures/wide_vectors.hpp"

// The kernels' vectors never cross a function boundary that is not inlined into a kernel
// compiled for them (measures/vector_lanes.hpp).
#pragma GCC diagnostic ignored "-Wpsabi"

namespace accprep {
namespace {

using lanes::Abs;
using lanes::kLanes;
using lanes::Max;
using lanes::Min;
using lanes::Narrow;
using lanes::Splat;
using lanes::Wide;
using lanes::Widest;

// The coefficients of G vectors of oscillators; lanes beyond `count` repeat the last one.
template <typename V, int G>
struct Coefficients {
  V a11[G], a12[G], a21[G], a22[G], b11[G], b12[G], b21[G], b22[G], twoHw[G], w2[G];

  [[gnu::always_inline]] Coefficients(const OscillatorStep* steps, std::size_t count) {
    for (int g = 0; g < G; ++g) {
      for (int l = 0; l < kLanes<V>; ++l) {
        const OscillatorStep& r =
            steps[std::min<std::size_t>(static_cast<std::size_t>(g * kLanes<V> + l), count - 1)];
        a11[g][l] = r.a11;
        a12[g][l] = r.a12;
        a21[g][l] = r.a21;
        a22[g][l] = r.a22;
        b11[g][l] = r.b11;
        b12[g][l] = r.b12;
        b21[g][l] = r.b21;
        b22[g][l] = r.b22;
        twoHw[g][l] = r.twoHw;
        w2[g][l] = r.w2;
      }
    }
  }

  // OscillatorStep::Advance, vector g, operation for operation.
  [[gnu::always_inline]] void Advance(int g, V& x, V& v, double now, double next) const {
    const V xn = (a11[g] * x + a12[g] * v) + (b11[g] * now + b12[g] * next);
    const V vn = (a21[g] * x + a22[g] * v) + (b21[g] * now + b22[g] * next);
    x = xn;
    v = vn;
  }
};

// The samples of a record one after another, from its phases.
class SampleReader {
 public:
  explicit SampleReader(const PhasedSamples& samples)
      : phases_(samples.phases), phaseCount_(samples.phaseCount), stride_(samples.stride) {}
  [[gnu::always_inline]] double Next() {
    const double value = phases_[phase_][index_];
    phase_ += stride_;
    if (phase_ >= phaseCount_) {
      phase_ -= phaseCount_;
      ++index_;
    }
    return value;
  }

 private:
  const double* const* phases_;
  std::size_t phaseCount_;
  std::size_t stride_;
  std::size_t phase_ = 0;
  std::size_t index_ = 0;
};

template <typename V, int G, bool kAllThree>
[[gnu::always_inline]] inline void PeaksKernel(PhasedSamples input, const OscillatorStep* steps,
                                               std::size_t count, OscillatorPeaks* peaks) {
  const Coefficients<V, G> c(steps, count);
  V x[G] = {}, v[G] = {}, sa[G] = {}, sv[G] = {}, sd[G] = {};
  SampleReader in(input);
  double now = input.count > 0 ? in.Next() : 0.0;
  for (std::size_t i = 1; i < input.count; ++i) {
    const double next = in.Next();
    for (int g = 0; g < G; ++g) {
      c.Advance(g, x[g], v[g], now, next);
      sa[g] = Max(sa[g], Abs(c.twoHw[g] * v[g] + c.w2[g] * x[g]));
      if constexpr (kAllThree) {
        sv[g] = Max(sv[g], Abs(v[g]));
        sd[g] = Max(sd[g], Abs(x[g]));
      }
    }
    now = next;
  }
  for (std::size_t k = 0; k < count; ++k) {
    const int g = static_cast<int>(k) / kLanes<V>;
    const int l = static_cast<int>(k) % kLanes<V>;
    peaks[k].sa = sa[g][l];
    peaks[k].sv = kAllThree ? sv[g][l] : 0.0;
    peaks[k].sd = kAllThree ? sd[g][l] : 0.0;
  }
}

template <typename V, bool kAllThree>
[[gnu::always_inline]] inline void PeaksFor(PhasedSamples input, const OscillatorStep* steps,
                                            std::size_t count, OscillatorPeaks* peaks) {
  switch ((count + kLanes<V> - 1) / kLanes<V>) {
    case 1:
      return PeaksKernel<V, 1, kAllThree>(input, steps, count, peaks);
    case 2:
      return PeaksKernel<V, 2, kAllThree>(input, steps, count, peaks);
    case 3:
      return PeaksKernel<V, 3, kAllThree>(input, steps, count, peaks);
    default:
      return PeaksKernel<V, 4, kAllThree>(input, steps, count, peaks);
  }
}

[[gnu::target("avx512f")]] void PeaksWidest(PhasedSamples input, const OscillatorStep* steps,
                                            std::size_t count, OscillatorPeaks* peaks,
                                            bool allThree) {
  allThree ? PeaksFor<Widest, true>(input, steps, count, peaks)
           : PeaksFor<Widest, false>(input, steps, count, peaks);
}
[[gnu::target("avx2")]] void PeaksWide(PhasedSamples input, const OscillatorStep* steps,
                                       std::size_t count, OscillatorPeaks* peaks, bool allThree) {
  allThree ? PeaksFor<Wide, true>(input, steps, count, peaks)
           : PeaksFor<Wide, false>(input, steps, count, peaks);
}
void PeaksNarrow(PhasedSamples input, const OscillatorStep* steps, std::size_t count,
                 OscillatorPeaks* peaks, bool allThree) {
  allThree ? PeaksFor<Narrow, true>(input, steps, count, peaks)
           : PeaksFor<Narrow, false>(input, steps, count, peaks);
}

// Steps between hand-outs of displacements: short enough that a block of a short period
// spans little of its orbit (so its box rarely reaches past what came before), long enough
// that the hand-outs cost little beside the steps.
constexpr std::size_t kBlockSteps = 16;

template <typename V, int G>
[[gnu::always_inline]] inline void DisplacementKernel(PhasedSamples input1, PhasedSamples input2,
                                                      const OscillatorStep* steps,
                                                      std::size_t count,
                                                      DisplacementBlocks& blocks) {
  constexpr int L = kLanes<V>;
  constexpr std::size_t kRow = 2 * G * L;  // doubles a step: x1 of each vector, then x2
  const Coefficients<V, G> c(steps, count);
  V x1[G] = {}, v1[G] = {}, x2[G] = {}, v2[G] = {};
  V low1[G], high1[G], low2[G], high2[G];
  const V infinity = Splat<V>(std::numeric_limits<double>::infinity());
  auto reset = [&] {
    for (int g = 0; g < G; ++g) {
      low1[g] = low2[g] = infinity;
      high1[g] = high2[g] = -infinity;
    }
  };
  reset();
  alignas(64) double buffer[kBlockSteps * kRow];
  std::size_t filled = 0;
  auto handOut = [&] {
    for (std::size_t k = 0; k < count; ++k) {
      const int g = static_cast<int>(k) / L;
      const int l = static_cast<int>(k) % L;
      const DisplacementBlocks::Box box{low1[g][l], high1[g][l], low2[g][l], high2[g][l]};
      blocks.Block(k, box, buffer + g * L + l, buffer + (G + g) * L + l, filled, kRow);
    }
    filled = 0;
    reset();
  };
  const std::size_t n = std::min(input1.count, input2.count);
  SampleReader in1(input1);
  SampleReader in2(input2);
  double now1 = n > 0 ? in1.Next() : 0.0;
  double now2 = n > 0 ? in2.Next() : 0.0;
  for (std::size_t i = 1; i < n; ++i) {
    const double next1 = in1.Next();
    const double next2 = in2.Next();
    double* row = buffer + filled * kRow;
    for (int g = 0; g < G; ++g) {
      c.Advance(g, x1[g], v1[g], now1, next1);
      c.Advance(g, x2[g], v2[g], now2, next2);
      __builtin_memcpy(row + g * L, &x1[g], sizeof(V));
      __builtin_memcpy(row + (G + g) * L, &x2[g], sizeof(V));
      low1[g] = Min(low1[g], x1[g]);
      high1[g] = Max(high1[g], x1[g]);
      low2[g] = Min(low2[g], x2[g]);
      high2[g] = Max(high2[g], x2[g]);
    }
    now1 = next1;
    now2 = next2;
    if (++filled == kBlockSteps) handOut();
  }
  if (filled > 0) handOut();
}

template <typename V>
[[gnu::always_inline]] inline void DisplacementsFor(PhasedSamples input1, PhasedSamples input2,
                                                    const OscillatorStep* steps, std::size_t count,
                                                    DisplacementBlocks& blocks) {
  if (count <= static_cast<std::size_t>(kLanes<V>)) {
    DisplacementKernel<V, 1>(input1, input2, steps, count, blocks);
  } else {
    DisplacementKernel<V, 2>(input1, input2, steps, count, blocks);
  }
}

[[gnu::target("avx512f")]] void DisplacementsWidest(PhasedSamples input1, PhasedSamples input2,
                                                    const OscillatorStep* steps, std::size_t count,
                                                    DisplacementBlocks& blocks) {
  DisplacementsFor<Widest>(input1, input2, steps, count, blocks);
}
[[gnu::target("avx2")]] void DisplacementsWide(PhasedSamples input1, PhasedSamples input2,
                                               const OscillatorStep* steps, std::size_t count,
                                               DisplacementBlocks& blocks) {
  DisplacementsFor<Wide>(input1, input2, steps, count, blocks);
}
void DisplacementsNarrow(PhasedSamples input1, PhasedSamples input2, const OscillatorStep* steps,
                         std::size_t count, DisplacementBlocks& blocks) {
  DisplacementsFor<Narrow>(input1, input2, steps, count, blocks);
}

}  // namespace

int OscillatorLanes() {
  switch (UsableVectorWidth()) {
    case VectorWidth::kAvx512:
      return kLanes<Widest>;
    case VectorWidth::kAvx2:
      return kLanes<Wide>;
    default:
      return kLanes<Narrow>;
  }
}

void StepForPeaks(PhasedSamples input, std::span<const OscillatorStep> steps,
                  std::span<OscillatorPeaks> peaks, bool allThree) {
  const std::size_t lanes = static_cast<std::size_t>(OscillatorLanes());
  if (steps.empty()) return;
  if (steps.size() > kMostVectorsInFlight * lanes || peaks.size() != steps.size()) {
    throw std::invalid_argument("StepForPeaks: more oscillators than a pass steps");
  }
  if (lanes == static_cast<std::size_t>(kLanes<Widest>)) {
    PeaksWidest(input, steps.data(), steps.size(), peaks.data(), allThree);
  } else if (lanes == static_cast<std::size_t>(kLanes<Wide>)) {
    PeaksWide(input, steps.data(), steps.size(), peaks.data(), allThree);
  } else {
    PeaksNarrow(input, steps.data(), steps.size(), peaks.data(), allThree);
  }
}

void StepForDisplacements(PhasedSamples input1, PhasedSamples input2,
                          std::span<const OscillatorStep> steps, DisplacementBlocks& blocks) {
  const std::size_t lanes = static_cast<std::size_t>(OscillatorLanes());
  if (steps.empty()) return;
  if (steps.size() > kMostVectorsInFlight / 2 * lanes) {
    throw std::invalid_argument("StepForDisplacements: more oscillators than a pass steps");
  }
  if (lanes == static_cast<std::size_t>(kLanes<Widest>)) {
    DisplacementsWidest(input1, input2, steps.data(), steps.size(), blocks);
  } else if (lanes == static_cast<std::size_t>(kLanes<Wide>)) {
    DisplacementsWide(input1, input2, steps.data(), steps.size(), blocks);
  } else {
    DisplacementsNarrow(input1, input2, steps.data(), steps.size(), blocks);
  }
}

}  // namespace accprep
