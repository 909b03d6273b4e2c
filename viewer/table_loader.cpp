#include "viewer/table_loader.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "engine/channel_csv.hpp"
#include "engine/record_reader.hpp"

namespace accprep {
namespace {

// A record takes at least one character and one separator or line end per value, so a file
// holds at most this many records for each byte.
constexpr std::uint64_t kMinimumRecordBytes = 2 * kTableFileColumns;
constexpr std::size_t kSampleBytes = 64 << 10;

// The records a file of `size` bytes likely holds, from the lines of its first 64 KB: the
// lines of one file are much alike, and the table grows should the guess fall short. Room
// for the most it could hold would leave four times the memory the records need to be
// cleared by the system.
std::int64_t LikelyRecords(const std::string& path, std::uint64_t size) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> sample(kSampleBytes);
  file.read(sample.data(), static_cast<std::streamsize>(sample.size()));
  const auto lines = std::count(sample.begin(), sample.begin() + file.gcount(), '\n');
  if (lines == 0) return 1024;
  const std::uint64_t lineBytes = static_cast<std::uint64_t>(file.gcount()) / lines;
  return static_cast<std::int64_t>(size / lineBytes + size / lineBytes / 4 + 1024);
}

// How a channel file of `size` bytes is read.
RecordForm ChannelFileForm(const std::string& path, HeaderForm header, std::uint64_t size) {
  RecordForm form;
  form.headerLines = header == HeaderForm::kOptionalComment ? ChannelCsvHeaderLines(path) : 1;
  form.fieldsPerRecord = kTableFileColumns;
  form.maxRecords = static_cast<std::int64_t>(size / kMinimumRecordBytes + 1);
  return form;
}

}  // namespace

std::uint64_t FileSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

ChannelTable LoadChannelTable(const std::string& path, HeaderForm header, LoadProgress* progress) {
  const std::uint64_t size = FileSize(path);
  RecordForm form = ChannelFileForm(path, header, size);
  std::uint64_t reported = 0;
  if (progress != nullptr) {
    form.bytesRead = [&](std::uint64_t bytes) {
      progress->fetch_add(bytes - reported, std::memory_order_relaxed);
      reported = bytes;
    };
  }

  ChannelTable table(std::min(form.maxRecords, LikelyRecords(path, size)));
  double* columns[kTableFileColumns];
  const auto findColumns = [&] {
    for (int c = 0; c < kTableFileColumns; ++c) columns[c] = table.column(c).data();
  };
  findColumns();
  const std::int64_t rows =
      ReadRecords(path, form, [&](std::int64_t first, const double* values, std::int64_t count) {
        if (first - 1 + count > table.capacity()) {
          table.Shrink(first - 1);
          table.Grow(std::max(2 * table.capacity(), first - 1 + count));
          findColumns();
        }
        for (std::int64_t i = 0; i < count; ++i) {
          const double* record = values + i * kTableFileColumns;
          for (int c = 0; c < kTableFileColumns; ++c) columns[c][first - 1 + i] = record[c];
        }
      });
  if (progress != nullptr && size > reported) progress->fetch_add(size - reported);
  table.Shrink(rows);
  table.SetFirstLine(form.headerLines + 1);
  return table;
}

void ForEachChannelRecord(const std::string& path, HeaderForm header,
                          const std::function<void(const double* record)>& record) {
  ReadRecords(path, ChannelFileForm(path, header, FileSize(path)),
              [&](std::int64_t, const double* values, std::int64_t count) {
                for (std::int64_t i = 0; i < count; ++i) record(values + i * kTableFileColumns);
              });
}

}  // namespace accprep
