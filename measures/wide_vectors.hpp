#pragma once
// The kernels of the measures that run on four doubles at a time where the processor can:
// AVX2 and FMA are chosen at run time, since the build targets every x86-64 processor and the
// machines that run it differ. Each such kernel keeps a portable form, which the tests run too.

namespace accprep {

// True where this processor executes AVX2 and FMA instructions, unless a test has turned them
// off with AllowWideVectors(false).
bool WideVectorsUsable();

// For tests: false makes every kernel take its portable form, true restores the choice by
// processor. Not meant to be changed while a computation runs.
void AllowWideVectors(bool allowed);

}  // namespace accprep
