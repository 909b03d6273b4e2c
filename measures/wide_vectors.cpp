#include "measures/wide_vectors.hpp"

#include <atomic>

namespace accprep {
namespace {

std::atomic<bool> g_allowed{true};

bool ProcessorHasAvx2Fma() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return has;
#else
  return false;
#endif
}

}  // namespace

bool WideVectorsUsable() {
  return g_allowed.load(std::memory_order_relaxed) && ProcessorHasAvx2Fma();
}

void AllowWideVectors(bool allowed) { g_allowed.store(allowed, std::memory_order_relaxed); }

}  // namespace accprep
