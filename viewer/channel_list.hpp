#pragma once
// Lists of channel numbers as the command line gives them ("1,2,3" for --components, "1,5"
// for --pair): the one rule for every option that names channels.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace accprep {

// `count` different channel numbers 1..40 separated by commas, nothing else (no blanks, no
// sign); none otherwise.
std::optional<std::vector<int>> ParseChannelNumbers(std::string_view text, std::size_t count);

}  // namespace accprep
