#include "viewer/table_loader.hpp"

#include <sys/stat.h>

#include "engine/channel_csv.hpp"
#include "engine/record_reader.hpp"

namespace accprep {
namespace {

// A record takes at least one character and one separator or line end per value, so a file
// holds at most this many records for each byte: the table's room, reserved but not touched.
constexpr std::uint64_t kMinimumRecordBytes = 2 * kTableFileColumns;

}  // namespace

std::uint64_t FileSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

ChannelTable LoadChannelTable(const std::string& path, HeaderForm header, LoadProgress* progress) {
  RecordForm form;
  form.headerLines = header == HeaderForm::kOptionalComment ? ChannelCsvHeaderLines(path) : 1;
  form.fieldsPerRecord = kTableFileColumns;
  const std::uint64_t size = FileSize(path);
  form.maxRecords = static_cast<std::int64_t>(size / kMinimumRecordBytes + 1);
  std::uint64_t reported = 0;
  if (progress != nullptr) {
    form.bytesRead = [&](std::uint64_t bytes) {
      progress->fetch_add(bytes - reported, std::memory_order_relaxed);
      reported = bytes;
    };
  }

  ChannelTable table(form.maxRecords);
  double* columns[kTableFileColumns];
  for (int c = 0; c < kTableFileColumns; ++c) columns[c] = table.column(c).data();
  const std::int64_t rows = ReadRecords(
      path, form, [&columns](std::int64_t first, const double* values, std::int64_t count) {
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

}  // namespace accprep
