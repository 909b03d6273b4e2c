#include "engine/channel_csv.hpp"

#include <fstream>

#include "engine/data_error.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

bool LooksLikeHeader(const std::string& line) { return line.starts_with("\"time\","); }

}  // namespace

std::string ChannelCsvHeader(std::string_view firstName) {
  std::string header = "\"";
  header.append(firstName).append("\"");
  for (int channel = 1; channel <= kChannels; ++channel)
    header.append(",\"").append(std::to_string(channel)).append("ch\"");
  return header.append("\r\n");
}

int ChannelCsvHeaderLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw DataError::System(errno, "cannot open the file", path);
  std::string first;
  std::string second;
  if (!std::getline(file, first))
    throw DataError(DataErrorKind::kInput, "the file ends before header line 1", path);
  const bool hasSecond = static_cast<bool>(std::getline(file, second));
  if (LooksLikeHeader(first) && !(hasSecond && LooksLikeHeader(second))) return 1;
  if (!hasSecond)
    throw DataError(DataErrorKind::kInput, "the file ends before header line 2", path);
  return 2;
}

}  // namespace accprep
