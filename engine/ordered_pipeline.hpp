#pragma once
// Work done in pieces on two threads and handed on in order: piece i is made by worker i % 2
// in a slot of its own, and the calling thread takes pieces 0, 1, 2, ... as they are done.
// Each worker has two slots, so it makes its next piece while its last one waits to be taken.
// The reader parses chunks of a file this way, the writers format batches of rows.

#include <cstdint>
#include <functional>

namespace accprep {

// Slots a pipeline uses: the caller keeps this many and `make` and `take` index them.
inline constexpr int kPipelineSlots = 4;

// Makes piece `piece` in slot `slot` (0..kPipelineSlots-1) on a worker thread.
using MakePieceFn = std::function<void(std::uint64_t piece, int slot)>;
// Takes piece `piece` from slot `slot` on the calling thread, before the slot is used again.
using TakePieceFn = std::function<void(std::uint64_t piece, int slot)>;

// Runs make and take for pieces 0..count-1. An exception from take stops the workers and
// leaves this function; one from make does so as soon as the calling thread next waits for a
// piece. Either way no piece is taken after it.
void RunOrderedPipeline(std::uint64_t count, const MakePieceFn& make, const TakePieceFn& take);

}  // namespace accprep
