#pragma once
// Peak values of the traces: the sample of largest absolute value and its time, the figures
// engineers quote first for a record (PGA, PGV, PGD).

#include <array>
#include <span>

#include "viewer/channel_table.hpp"

namespace accprep {

struct Peak {
  bool found = false;  // false for an empty trace
  double value = 0.0;  // the sample itself, sign kept: a peak of -312.5 gal stays negative
  double time = 0.0;
  long long index = 0;
};

// The sample of largest absolute value in `values`, with times[index] as its time (`times` is
// as long as `values`). On a tie the earliest sample wins, so +a before -a gives +a.
Peak FindPeak(std::span<const double> values, std::span<const double> times);

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
