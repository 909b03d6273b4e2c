#pragma once
// The kernels of the measures that run on several doubles at a time where the processor can:
// the vectors are chosen at run time, since the build targets every x86-64 processor and the
// machines that run it differ. Each such kernel keeps a portable form, which the tests run
// too; the oscillators have an eight-lane form besides.

#include <vector>

namespace accprep {

// The widest vectors a kernel may take, narrowest first.
enum class VectorWidth {
  kPortable,  // two doubles, any x86-64 (or none at all)
  kAvx2,      // four doubles: AVX2 and FMA
  kAvx512,    // eight doubles: AVX-512F
};

// The widest vectors this processor runs, unless a test has limited them (LimitVectorWidth).
VectorWidth UsableVectorWidth();

// True where the four-lane kernels may run: UsableVectorWidth() is kAvx2 or wider.
bool WideVectorsUsable();

// For tests: kernels take vectors no wider than `widest` (and never wider than the processor
// runs) until the next call; kAvx512 restores the choice by processor. Not meant to be
// changed while a computation runs.
void LimitVectorWidth(VectorWidth widest);

// For tests: the widths this processor runs, narrowest first, each a form a kernel may take.
std::vector<VectorWidth> VectorWidthsHere();

}  // namespace accprep
