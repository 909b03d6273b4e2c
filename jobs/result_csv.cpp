#include "jobs/result_csv.hpp"

#include "engine/channel_csv.hpp"
#include "engine/number_format.hpp"
#include "engine/row_text.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

// Room for the longest row: 41 numbers, their separators and the line end.
constexpr std::size_t kRowBytes = kWrittenColumns * (kMaxNumberText + 1) + 2;
// The integrated values keep nine significant digits: far more than the record's own
// precision, and short enough to keep the files and their reading quick.
constexpr int kResultDigits = 9;

char* FormatRow(char* out, const ResultRow& row, bool firstRounded) {
  const NumberForm point = NumberForm::Point();
  out = firstRounded ? FormatSignificant(out, row.first, kResultDigits, point)
                     : FormatNumber(out, row.first, point);
  for (int c = 0; c < kChannels; ++c) {
    *out++ = ',';
    out = FormatSignificant(out, row.values[c * row.stride], kResultDigits, point);
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

}  // namespace

ResultCsvFile::ResultCsvFile(std::string finalPath) : file_(std::move(finalPath)) {}

void ResultCsvFile::WriteHeader(const char* firstName) { file_.Write(ChannelCsvHeader(firstName)); }

void ResultCsvFile::WriteRows(std::size_t count, bool firstRounded, const ResultRowSource& rowAt) {
  FormatRowsInOrder(
      0, static_cast<std::int64_t>(count) - 1, kRowBytes,
      [&](std::int64_t row, char* out) {
        return FormatRow(out, rowAt(static_cast<std::size_t>(row)), firstRounded);
      },
      [this](std::int64_t, const char* text, const std::size_t* lineEnds, std::int64_t rows) {
        file_.Write(std::string_view(text, lineEnds[rows - 1]));
      });
}

void ResultCsvFile::Commit() { file_.Commit(); }

}  // namespace accprep
