#include "measures/wide_vectors.hpp"

#include <algorithm>
#include <atomic>

namespace accprep {
namespace {

std::atomic<VectorWidth> g_widest{VectorWidth::kAvx512};

VectorWidth ProcessorWidth() {
#if defined(__x86_64__) || defined(__i386__)
  // The library's test includes whether the system saves the registers' state.
  static const VectorWidth width =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2") &&
              __builtin_cpu_supports("fma")
          ? VectorWidth::kAvx512
      : __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? VectorWidth::kAvx2
                                                                        : VectorWidth::kPortable;
  return width;
#else
  return VectorWidth::kPortable;
#endif
}

}  // namespace

VectorWidth UsableVectorWidth() {
  return std::min(ProcessorWidth(), g_widest.load(std::memory_order_relaxed));
}

bool WideVectorsUsable() { return UsableVectorWidth() >= VectorWidth::kAvx2; }

void LimitVectorWidth(VectorWidth widest) { g_widest.store(widest, std::memory_order_relaxed); }

std::vector<VectorWidth> VectorWidthsHere() {
  std::vector<VectorWidth> widths;
  for (VectorWidth width : {VectorWidth::kPortable, VectorWidth::kAvx2, VectorWidth::kAvx512}) {
    if (width <= ProcessorWidth()) widths.push_back(width);
  }
  return widths;
}

}  // namespace accprep
