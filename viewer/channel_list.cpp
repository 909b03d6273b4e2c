#include "viewer/channel_list.hpp"

#include <charconv>

#include "engine/sample_table.hpp"

namespace accprep {

std::optional<std::vector<int>> ParseChannelNumbers(std::string_view text, std::size_t count) {
  std::vector<int> channels(count);
  const char* p = text.data();
  const char* const end = text.data() + text.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) {
      if (p == end || *p != ',') return std::nullopt;
      ++p;
    }
    const auto [next, error] = std::from_chars(p, end, channels[i]);
    if (error != std::errc() || next == p || channels[i] < 1 || channels[i] > kChannels) {
      return std::nullopt;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (channels[j] == channels[i]) return std::nullopt;
    }
    p = next;
  }
  if (p != end) return std::nullopt;
  return channels;
}

}  // namespace accprep
