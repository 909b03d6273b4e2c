#include "measures/projection_peaks.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "measures/vector_lanes.hpp"
#include "measures/wide_vectors.hpp"

// The kernels' vectors never cross a function boundary that is not inlined into a kernel
// compiled for them (measures/vector_lanes.hpp).
#pragma GCC diagnostic ignored "-Wpsabi"

namespace accprep {
namespace {

using State = ProjectionPeaks::State;

constexpr int kCoarseStep = 10;  // degrees between the directions tested first
constexpr int kCoarse = kRotationAngles / kCoarseStep;
constexpr int kCoarseSlots = 20;  // kCoarse rounded up to whole vectors of four
// Offsets are found again after this many points have gone to the peaks: often enough that
// the test keeps up with a growing orbit, seldom enough that finding them costs little.
constexpr int kRaisesPerRefresh = 32;

struct Directions {
  alignas(32) std::array<double, kRotationAngles> cosine, sine;
  // The tested directions, and in the spare slots none (their projection is 0).
  alignas(32) std::array<double, kCoarseSlots> coarseCosine{}, coarseSine{};
  std::array<double, kCoarseStep + 1> stepSine;  // sin(i degrees), i = 0 .. 10
  Directions() {
    for (int k = 0; k < kRotationAngles; ++k) {
      const double angle = k * std::numbers::pi / 180.0;
      cosine[k] = std::cos(angle);
      sine[k] = std::sin(angle);
    }
    for (int j = 0; j < kCoarse; ++j) {
      coarseCosine[j] = cosine[j * kCoarseStep];
      coarseSine[j] = sine[j * kCoarseStep];
    }
    for (int i = 0; i <= kCoarseStep; ++i) stepSine[i] = sine[i];
  }
};

const Directions& TheDirections() {
  static const Directions directions;
  return directions;
}

using lanes::Abs;
using lanes::kLanes;
using lanes::Load;
using lanes::MaskOf;
using lanes::Narrow;
using lanes::Wide;

// True where the point passes the disc or every tested direction.
template <typename V>
[[gnu::always_inline]] inline bool SurelyWithin(const State& state, double x1, double x2) {
  if (x1 * x1 + x2 * x2 <= state.radiusSquared) return true;
  const Directions& d = TheDirections();
  typename MaskOf<V>::Type inside =
      Load<V>(d.coarseCosine.data()) == Load<V>(d.coarseCosine.data());
  for (int j = 0; j < kCoarseSlots; j += kLanes<V>) {
    const V projection = x1 * Load<V>(&d.coarseCosine[j]) + x2 * Load<V>(&d.coarseSine[j]);
    inside &= Abs(projection) <= Load<V>(&state.offsets[j]);
  }
  for (int l = 0; l < kLanes<V>; ++l) {
    if (inside[l] == 0) return false;
  }
  return true;
}

// peaks[k] = max(peaks[k], |x1 cos k + x2 sin k|) for every k, the products as the scalar
// form takes them.
template <typename V>
[[gnu::always_inline]] inline void Raise(State& state, double x1, double x2) {
  const Directions& d = TheDirections();
  for (int k = 0; k < kRotationAngles; k += kLanes<V>) {
    const V projection = x1 * Load<V>(&d.cosine[k]) + x2 * Load<V>(&d.sine[k]);
    const V magnitude = Abs(projection);
    V peak = Load<V>(&state.peaks[k]);
    peak = peak < magnitude ? magnitude : peak;
    __builtin_memcpy(&state.peaks[k], &peak, sizeof(V));
  }
  ++state.raised;
}

// The offsets c_j from the peaks. Each stretch between two tested directions allows its two
// ends one scale; each offset keeps to both stretches it ends, so that a kink of the peaks (a
// corner of the orbit) shrinks only its neighbours. The margin lies far above the rounding of
// the projections and far below what would keep many points from being passed over.
void Refresh(State& state) {
  state.raised = 0;
  const Directions& d = TheDirections();
  const std::array<double, kRotationAngles>& peaks = state.peaks;
  std::array<double, kCoarse> allowed;
  for (int j = 0; j < kCoarse; ++j) {
    // Direction 180 degrees is the opposite of 0: the same peak.
    const double low = peaks[j * kCoarseStep];
    const double high = peaks[((j + 1) * kCoarseStep) % kRotationAngles];
    double scale = 1.0;
    for (int i = 1; i < kCoarseStep; ++i) {
      const double bound = d.stepSine[kCoarseStep - i] * low + d.stepSine[i] * high;
      if (bound > 0.0) {
        scale = std::min(scale, peaks[j * kCoarseStep + i] * d.stepSine[kCoarseStep] / bound);
      }
    }
    allowed[j] = scale;
  }
  double least = std::numeric_limits<double>::infinity();
  for (int j = 0; j < kCoarse; ++j) {
    const double scale = std::min(allowed[j], allowed[(j + kCoarse - 1) % kCoarse]);
    state.offsets[j] = scale * (1.0 - 1e-9) * peaks[j * kCoarseStep];
    least = std::min(least, state.offsets[j]);
  }
  for (int j = kCoarse; j < kCoarseSlots; ++j) {
    state.offsets[j] = std::numeric_limits<double>::infinity();
  }
  state.radiusSquared = least * least;
}

template <typename V>
[[gnu::always_inline]] inline void AddPoints(State& state, const double* x1, const double* x2,
                                             std::size_t count, std::size_t stride) {
  for (std::size_t i = 0; i < count; ++i) {
    const double a = x1[i * stride];
    const double b = x2[i * stride];
    if (!SurelyWithin<V>(state, a, b)) Raise<V>(state, a, b);
  }
  if (state.raised >= kRaisesPerRefresh) Refresh(state);
}

// The tested region is convex: a box whose corners lie in it lies in it whole.
template <typename V>
[[gnu::always_inline]] inline void AddBoxed(State& state, double min1, double max1, double min2,
                                            double max2, const double* x1, const double* x2,
                                            std::size_t count, std::size_t stride) {
  if (SurelyWithin<V>(state, min1, min2) && SurelyWithin<V>(state, min1, max2) &&
      SurelyWithin<V>(state, max1, min2) && SurelyWithin<V>(state, max1, max2)) {
    return;
  }
  AddPoints<V>(state, x1, x2, count, stride);
}

[[gnu::target("avx2")]] void AddBoxedWide(State& state, double min1, double max1, double min2,
                                          double max2, const double* x1, const double* x2,
                                          std::size_t count, std::size_t stride) {
  AddBoxed<Wide>(state, min1, max1, min2, max2, x1, x2, count, stride);
}
void AddBoxedNarrow(State& state, double min1, double max1, double min2, double max2,
                    const double* x1, const double* x2, std::size_t count, std::size_t stride) {
  AddBoxed<Narrow>(state, min1, max1, min2, max2, x1, x2, count, stride);
}

}  // namespace

ProjectionPeaks::ProjectionPeaks() : wide_(WideVectorsUsable()) { Refresh(state_); }

void ProjectionPeaks::Add(const double* x1, const double* x2, std::size_t count,
                          std::size_t stride) {
  // A box that holds everything: the points are looked at one by one.
  const double inf = std::numeric_limits<double>::infinity();
  AddBlock(-inf, inf, -inf, inf, x1, x2, count, stride);
}

void ProjectionPeaks::AddBlock(double min1, double max1, double min2, double max2, const double* x1,
                               const double* x2, std::size_t count, std::size_t stride) {
  if (wide_) {
    AddBoxedWide(state_, min1, max1, min2, max2, x1, x2, count, stride);
  } else {
    AddBoxedNarrow(state_, min1, max1, min2, max2, x1, x2, count, stride);
  }
}

}  // namespace accprep
