#include "engine/output_writers.hpp"

#include <algorithm>
#include <future>
#include <cstring>
#include <stdexcept>

#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"
#include "engine/atomic_file.hpp"

namespace accprep {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::int32_t kChunkRows = 4096;
// Room for one complete line of 41 fields, so a line is formatted straight into the buffer.
constexpr std::size_t kLineRoom = kWrittenColumns * (kMaxNumberText + 1) + 2;

const std::string& HeaderLine() {
  static const std::string header = [] {
    std::string text = "\"time\"";
    for (int c = 1; c <= kChannels; ++c) text += ",\"" + std::to_string(c) + "ch\"";
    return text + "\r\n";
  }();
  return header;
}

}  // namespace

OutputWriter::OutputWriter(NumberForm matrixForm)
    : matrixForm_(std::move(matrixForm)), pointForm_(NumberForm::Point()) {}

OutputWriter::~OutputWriter() { Discard(); }

void OutputWriter::CreateOutputFile(const std::string& path) {
  if (file_) throw std::logic_error("CreateOutputFile: a file is already open");
  file_ = std::make_unique<AtomicFile>(path);
  if (buffer_.empty()) buffer_.resize(kBufferSize);
  used_ = 0;
}

void OutputWriter::WriteMatrixRows(const SampleTable& table, std::int32_t rowCount,
                                   const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteMatrixRows: no output file is open");
  WriteRows(table, rowCount, '\t', matrixForm_, progress);
}

void OutputWriter::WriteChannelCsv(const SampleTable& table, std::int32_t rowCount,
                                   const std::optional<std::string>& comment,
                                   const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteChannelCsv: no output file is open");
  if (comment) {
    Put(comment->data(), comment->size());
    Put("\r\n", 2);
  }
  Put(HeaderLine().data(), HeaderLine().size());
  WriteRows(table, rowCount, ',', pointForm_, progress);
}

// Turning doubles into text is nearly all the work of a writer, so rows are formatted in
// chunks, two at a time: one on a second thread while this thread does the other. The lines
// still reach the file in row order, each after its own progress call.
void OutputWriter::WriteRows(const SampleTable& table, std::int32_t rowCount, char separator,
                             const NumberForm& form, const ProgressFn& progress) {
  FormattedRows chunks[2];
  for (std::int32_t first = 1; first <= rowCount; first += 2 * kChunkRows) {
    ThrowIfInterrupted();
    const std::int32_t middle = std::min(rowCount, first + kChunkRows - 1);
    const std::int32_t last = std::min(rowCount, middle + kChunkRows);
    std::future<void> second;
    if (middle < last)
      second = std::async(std::launch::async, [&] {
        FormatRows(table, middle + 1, last, separator, form, chunks[1]);
      });
    FormatRows(table, first, middle, separator, form, chunks[0]);
    EmitRows(chunks[0], first, progress);
    if (second.valid()) {
      second.get();
      EmitRows(chunks[1], middle + 1, progress);
    }
  }
}

void OutputWriter::FormatRows(const SampleTable& table, std::int32_t first, std::int32_t last,
                              char separator, const NumberForm& form, FormattedRows& rows) {
  rows.text.resize(static_cast<std::size_t>(last - first + 1) * kLineRoom);
  rows.lineEnds.clear();
  char* const begin = rows.text.data();
  char* out = begin;
  for (std::int32_t j = first; j <= last; ++j) {
    const double* cells = table.row(j);
    out = FormatNumber(out, cells[0], form);
    for (int c = 1; c < kWrittenColumns; ++c) {
      *out++ = separator;
      out = FormatNumber(out, cells[c], form);
    }
    *out++ = '\r';
    *out++ = '\n';
    rows.lineEnds.push_back(static_cast<std::size_t>(out - begin));
  }
}

void OutputWriter::EmitRows(const FormattedRows& rows, std::int32_t first,
                            const ProgressFn& progress) {
  std::size_t lineStart = 0;
  std::int32_t j = first;
  for (const std::size_t lineEnd : rows.lineEnds) {
    if (progress) progress(static_cast<float>(j));
    Put(rows.text.data() + lineStart, lineEnd - lineStart);
    lineStart = lineEnd;
    ++j;
  }
}

void OutputWriter::CloseOutputFile() {
  if (!file_) throw std::logic_error("CloseOutputFile: no output file is open");
  try {
    Flush();
    file_->Commit();
  } catch (...) {
    Discard();
    throw;
  }
  file_.reset();
}

void OutputWriter::Put(const char* text, std::size_t size) {
  while (size > 0) {
    if (used_ == buffer_.size()) Flush();
    const std::size_t chunk = std::min(size, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text, chunk);
    used_ += chunk;
    text += chunk;
    size -= chunk;
  }
}

void OutputWriter::Flush() {
  try {
    file_->Write(std::string_view(buffer_.data(), used_));
  } catch (...) {
    Discard();
    throw;
  }
  used_ = 0;
}

void OutputWriter::Discard() noexcept {
  file_.reset();
  used_ = 0;
}

}  // namespace accprep
