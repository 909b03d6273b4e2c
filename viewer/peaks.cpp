#include "viewer/peaks.hpp"

#include <cmath>

namespace accprep {

Peak FindPeak(std::span<const double> values, std::span<const double> times) {
  Peak peak;
  if (values.empty()) return peak;
  std::size_t best = 0;
  double largest = std::fabs(values[0]);
  for (std::size_t i = 1; i < values.size(); ++i) {
    const double magnitude = std::fabs(values[i]);
    if (magnitude > largest) {  // strictly greater: the earliest of equal peaks stays
      largest = magnitude;
      best = i;
    }
  }
  peak.found = true;
  peak.value = values[best];
  peak.time = times[best];
  peak.index = static_cast<long long>(best);
  return peak;
}

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
