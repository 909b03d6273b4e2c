#pragma once
// The peaks of a conversion's channels: PGA, PGV and PGD of each, by the one peak rule of
// measures/peak_search.hpp.

#include <array>

#include "measures/peak_search.hpp"
#include "viewer/channel_table.hpp"

namespace accprep {

struct ChannelPeaks {
  Peak acceleration;  // PGA
  Peak velocity;      // PGV
  Peak displacement;  // PGD
};

// Channels 1..40 at entries 0..39. A null table leaves its peaks not found.
std::array<ChannelPeaks, kChannels> FindChannelPeaks(const ChannelTable* acceleration,
                                                     const ChannelTable* velocity,
                                                     const ChannelTable* displacement);

}  // namespace accprep
