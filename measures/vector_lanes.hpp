#pragma once
// The vector types and the few operations the measures' kernels share: four doubles a vector
// where a kernel is compiled for AVX2, eight for AVX-512 (measures/wide_vectors.hpp chooses
// at run time), two in the portable form. Every helper is inlined into the kernel that calls it,
// and so takes that kernel's instructions; none is called across a function boundary, which is why
// GCC's note about the vectors' calling convention does not apply.

#include <cstring>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace accprep::lanes {

typedef double Widest __attribute__((vector_size(64)));
typedef double Wide __attribute__((vector_size(32)));
typedef double Narrow __attribute__((vector_size(16)));
typedef long long WidestMask __attribute__((vector_size(64)));
typedef long long WideMask __attribute__((vector_size(32)));
typedef long long NarrowMask __attribute__((vector_size(16)));

// The integer vector a comparison of V gives (all bits set where true).
template <typename V>
struct MaskOf;
template <>
struct MaskOf<Widest> {
  using Type = WidestMask;
};
template <>
struct MaskOf<Wide> {
  using Type = WideMask;
};
template <>
struct MaskOf<Narrow> {
  using Type = NarrowMask;
};

template <typename V>
constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));

template <typename V>
[[gnu::always_inline]] inline V Load(const double* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename V>
[[gnu::always_inline]] inline void Store(double* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

template <typename V>
[[gnu::always_inline]] inline V Splat(double value) {
  V v;
  for (int l = 0; l < kLanes<V>; ++l) v[l] = value;
  return v;
}

// |x| by clearing the sign bit, as fabs does.
template <typename V>
[[gnu::always_inline]] inline V Abs(V x) {
  using Mask = typename MaskOf<V>::Type;
  return reinterpret_cast<V>(reinterpret_cast<Mask>(x) & ~reinterpret_cast<Mask>(Splat<V>(-0.0)));
}

// std::max(peak, value) lane by lane: the peak stays unless the value exceeds it.
template <typename V>
[[gnu::always_inline]] inline V Max(V peak, V value) {
  return peak < value ? value : peak;
}

// std::min(low, value) lane by lane.
template <typename V>
[[gnu::always_inline]] inline V Min(V low, V value) {
  return value < low ? value : low;
}

// The sum of the lanes, first to last.
template <typename V>
[[gnu::always_inline]] inline double Total(V v) {
  double sum = 0.0;
  for (int l = 0; l < kLanes<V>; ++l) sum += v[l];
  return sum;
}

}  // namespace accprep::lanes

#pragma GCC diagnostic pop
