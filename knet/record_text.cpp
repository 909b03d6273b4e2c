#include "knet/record_text.hpp"

#include <vector>

#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

constexpr std::size_t kPieceBytes = 1 << 20;
constexpr char kLineEnd[] = "\r\n";

}  // namespace

std::string RecordTitle(const KnetRecord& record) {
  const KnetHeader& first = record.traces.front().header;
  return "K-NET/KiK-net acceleration in gal: origin " + first.originTime + " M" + first.magnitude +
         ", " + std::to_string(record.traces.size()) + " traces, " +
         std::to_string(record.samplingHz) + " Hz, from " + record.startTime;
}

std::string ChannelNamesLine(const KnetRecord& record) {
  std::string line = "time";
  for (int channel = 1; channel <= kChannels; ++channel) {
    line += ',';
    line += channel <= static_cast<int>(record.traces.size())
                ? record.traces[static_cast<std::size_t>(channel - 1)].Name()
                : kUnusedChannelName;
  }
  return line + "," + kTrailingColumnNames;
}

void WriteRecordText(const KnetRecord& record, const std::function<void(std::string_view)>& sink) {
  const NumberForm form = NumberForm::Point();
  const int traces = static_cast<int>(record.traces.size());
  // Everything after the last trace is the same on every line.
  std::string rowTail;
  for (int channel = traces + 1; channel <= kChannels; ++channel) rowTail += ",0";
  rowTail += ",0,0";
  rowTail += kLineEnd;

  std::string piece = RecordTitle(record) + kLineEnd + ChannelNamesLine(record) + kLineEnd;
  piece.reserve(kPieceBytes + 64 * kMaxNumberText);
  char number[kMaxNumberText];
  for (std::int64_t row = 0; row < record.rows; ++row) {
    piece.append(number, FormatSampleTime(number, row, record.clock));
    for (int channel = 1; channel <= traces; ++channel) {
      piece += ',';
      piece.append(number, FormatNumber(number, record.Value(channel, row), form));
    }
    piece += rowTail;
    if (piece.size() >= kPieceBytes) {
      sink(piece);
      piece.clear();
    }
  }
  sink(piece);
}

}  // namespace accprep
