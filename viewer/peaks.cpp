#include "viewer/peaks.hpp"

namespace accprep {

std::array<ChannelPeaks, kChannels> FindChannelPeaks(const ChannelTable* acceleration,
                                                     const ChannelTable* velocity,
                                                     const ChannelTable* displacement) {
  std::array<ChannelPeaks, kChannels> peaks{};
  for (int c = 1; c <= kChannels; ++c) {
    ChannelPeaks& entry = peaks[c - 1];
    if (acceleration != nullptr) {
      entry.acceleration = FindPeak(acceleration->column(c), acceleration->column(0));
    }
    if (velocity != nullptr) entry.velocity = FindPeak(velocity->column(c), velocity->column(0));
    if (displacement != nullptr) {
      entry.displacement = FindPeak(displacement->column(c), displacement->column(0));
    }
  }
  return peaks;
}

}  // namespace accprep
