#include "jobs/result_csv.hpp"

#include <algorithm>
#include <future>
#include <memory>
#include <thread>

#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

// Room for the longest row: 41 numbers, their separators and the line end.
constexpr std::size_t kRowBytes = kWrittenColumns * (kMaxNumberText + 1) + 2;
// Rows one thread formats at a time: large enough that starting the thread costs nothing
// against it, small enough that the two batch buffers stay a few MB.
constexpr std::size_t kBatchRows = 4096;

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

// The text of rows begin..end-1. The buffer is sized for the longest rows once and never
// cleared: every byte up to `size` is written before it is read.
struct Batch {
  std::unique_ptr<char[]> text{new char[kBatchRows * kRowBytes]};
  std::size_t size = 0;

  void Format(std::size_t begin, std::size_t end, bool firstRounded,
              const ResultRowSource& rowAt) {
    char* out = text.get();
    for (std::size_t row = begin; row < end; ++row) out = FormatRow(out, rowAt(row), firstRounded);
    size = static_cast<std::size_t>(out - text.get());
  }
};

}  // namespace

ResultCsvFile::ResultCsvFile(std::string finalPath) : file_(std::move(finalPath)) {}

void ResultCsvFile::WriteHeader(const char* firstName) {
  std::string header = std::string("\"") + firstName + "\"";
  for (int channel = 1; channel <= kChannels; ++channel)
    header += ",\"" + std::to_string(channel) + "ch\"";
  header += "\r\n";
  file_.Write(header);
}

void ResultCsvFile::WriteRows(std::size_t count, bool firstRounded,
                              const ResultRowSource& rowAt) {
  const bool twoThreads = std::thread::hardware_concurrency() >= 2;
  // Two sets of two batches: while one set's text goes to the file (the kernel's copy into
  // the page cache costs about as much as the formatting), the next set is formatted.
  Batch batches[2][2];
  std::future<void> writing;
  int set = 0;
  for (std::size_t begin = 0; begin < count; set ^= 1) {
    Batch& first = batches[set][0];
    Batch& second = batches[set][1];
    const std::size_t middle = std::min(count, begin + kBatchRows);
    const std::size_t end = twoThreads ? std::min(count, middle + kBatchRows) : middle;
    second.size = 0;
    std::future<void> other;
    if (end > middle) {
      other = std::async(std::launch::async,
                         [&, middle, end] { second.Format(middle, end, firstRounded, rowAt); });
    }
    first.Format(begin, middle, firstRounded, rowAt);
    if (other.valid()) other.get();
    // The set written before must be in the file before this one follows it.
    if (writing.valid()) writing.get();
    writing = std::async(std::launch::async, [this, &first, &second] {
      file_.Write(std::string_view(first.text.get(), first.size));
      file_.Write(std::string_view(second.text.get(), second.size));
    });
    begin = end;
  }
  if (writing.valid()) writing.get();
}

void ResultCsvFile::Commit() { file_.Commit(); }

}  // namespace accprep
