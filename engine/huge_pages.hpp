#pragma once
// Large blocks filled once from end to end (the sample table, a job's channels and spectra, a
// loaded conversion) are worth backing by 2 MB pages: on systems that give transparent huge
// pages on request, that turns the tens of thousands of page faults of filling 150 MB into a
// few dozen, which on a virtual machine costs a tenth of a second less per block.

#include <cstddef>

namespace accprep {

// Asks for huge pages for the whole 2 MB pages inside [block, block + bytes). A hint only:
// the block's content and size do not change, and a system without them ignores it.
void AdviseHugePages(const void* block, std::size_t bytes) noexcept;

}  // namespace accprep
