#include "viewer/acceleration_channels.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "engine/channel_csv.hpp"
#include "engine/data_error.hpp"
#include "engine/line_blocks.hpp"
#include "engine/read_only_file.hpp"
#include "engine/record_reader.hpp"
#include "engine/time_step.hpp"
#include "viewer/channel_table.hpp"

namespace accprep {
namespace {

// The line ends of the file: every record stands on at least one line, so the records
// number at most this (plus one for a last line without its end). Counting them costs a
// fraction of parsing them, and lets the channels be laid out once, without room to spare
// or to grow into.
std::int64_t LineEnds(const std::string& path) {
  const ReadOnlyFile file(path);
  LineBlocks blocks(file.descriptor(), path);
  std::int64_t count = 0;
  char* begin = nullptr;
  char* end = nullptr;
  // memchr finds the ends several times as fast as a count of every byte.
  while (blocks.NextBlock(begin, end)) {
    for (const char* at = begin;
         (at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr; ++at) {
      ++count;
    }
  }
  return count;
}

}  // namespace

void RequireAccelerationFile(const ConversionFiles& files, const std::string& need) {
  if (!files.has(ConversionFile::kAcceleration)) {
    throw DataError(DataErrorKind::kInput, "no such file: " + need + " the acceleration file",
                    files.path(ConversionFile::kAcceleration));
  }
}

AccelerationChannels LoadAccelerationChannels(
    const ConversionFiles& files, std::span<const int> numbers, const std::string& need,
    const std::function<void(std::int64_t records)>& expected) {
  RequireAccelerationFile(files, need);
  for (int number : numbers) {
    if (number < 1 || number > kChannels) throw std::invalid_argument("no such channel");
  }
  const std::string& path = files.path(ConversionFile::kAcceleration);
  RecordForm form;
  form.headerLines = ChannelCsvHeaderLines(path);
  form.fieldsPerRecord = kTableFileColumns;
  const std::int64_t lineEnds = LineEnds(path);
  const std::int64_t capacity = std::max<std::int64_t>(1, lineEnds + 1 - form.headerLines);
  form.maxRecords = capacity;
  if (expected) expected(std::max<std::int64_t>(0, lineEnds - form.headerLines));
  // The channels not asked for are passed over unread.
  form.unusedFields = ((std::uint64_t{1} << kTableFileColumns) - 1) & ~std::uint64_t{1};
  for (int number : numbers) form.unusedFields &= ~(std::uint64_t{1} << number);

  // Column 0 the times, then the channels asked for, each `capacity` values long.
  AccelerationChannels result;
  const std::size_t columns = numbers.size() + 1;
  result.block_ = HugePageBlock(columns * static_cast<std::size_t>(capacity) * sizeof(double));
  double* const cells = result.block_.As<double>();
  const std::int64_t rows =
      ReadRecords(path, form, [&](std::int64_t first, const double* values, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          const double* record = values + i * kTableFileColumns;
          const std::int64_t row = first - 1 + i;
          cells[row] = record[0];
          for (std::size_t c = 0; c < numbers.size(); ++c) {
            cells[(c + 1) * capacity + row] = record[numbers[c]];
          }
        }
      });
  result.rows_ = rows;
  result.timeStep_ = UniformTimeStep(cells, 1, rows, path, form.headerLines + 1);
  for (std::size_t c = 0; c < numbers.size(); ++c) {
    result.channels_.emplace_back(cells + (c + 1) * capacity, static_cast<std::size_t>(rows));
  }
  return result;
}

std::vector<std::span<double>> AccelerationChannels::MutableChannels() {
  std::vector<std::span<double>> channels;
  for (std::span<const double> channel : channels_) {
    channels.emplace_back(const_cast<double*>(channel.data()), channel.size());
  }
  return channels;
}

std::vector<int> AllChannelNumbers() {
  std::vector<int> numbers(kChannels);
  for (int c = 1; c <= kChannels; ++c) numbers[c - 1] = c;
  return numbers;
}

}  // namespace accprep
