#include "engine/output_writers.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "engine/atomic_file.hpp"
#include "engine/channel_csv.hpp"
#include "engine/data_error.hpp"
#include "engine/interruption.hpp"
#include "engine/row_text.hpp"

namespace accprep {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

const std::string& HeaderLine() {
  static const std::string header = ChannelCsvHeader("time");
  return header;
}

}  // namespace

OutputWriter::OutputWriter(NumberForm matrixForm)
    : matrixForm_(std::move(matrixForm)), pointForm_(NumberForm::Point()) {}

OutputWriter::~OutputWriter() { AbandonOutputFile(); }

void OutputWriter::CreateOutputFile(const std::string& path) {
  if (file_) throw std::logic_error("CreateOutputFile: a file is already open");
  file_ = std::make_unique<AtomicFile>(path);
  if (buffer_.empty()) buffer_.resize(kBufferSize);
  used_ = 0;
}

void OutputWriter::WriteMatrixRows(const SampleTable& table, std::int32_t rowCount,
                                   const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteMatrixRows: no output file is open");
  WriteRows(table, 1, rowCount, '\t', matrixForm_, progress);
}

void OutputWriter::WriteChannelCsv(const SampleTable& table, std::int32_t rowCount,
                                   const std::optional<std::string>& comment,
                                   const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteChannelCsv: no output file is open");
  PutHead(comment);
  WriteRows(table, 1, rowCount, ',', pointForm_, progress);
}

void OutputWriter::WriteMatrixLines(std::span<char> canonicalLines, const SampleTable& table,
                                    std::int32_t first, std::int32_t count) {
  if (!file_) throw std::logic_error("WriteMatrixLines: no output file is open");
  if (canonicalLines.empty() || matrixForm_.decimalSeparator != pointForm_.decimalSeparator) {
    WriteRows(table, first, first + count - 1, '\t', matrixForm_, nullptr);
    return;
  }
  ReplaceBytes(canonicalLines.data(), canonicalLines.data() + canonicalLines.size(), ',', '\t');
  Flush();
  Emit(std::string_view(canonicalLines.data(), canonicalLines.size()));
}

void OutputWriter::PutHead(const std::optional<std::string>& comment) {
  if (comment) {
    Put(comment->data(), comment->size());
    Put("\r\n", 2);
  }
  Put(HeaderLine().data(), HeaderLine().size());
}

// The lines reach the file in row order, each row's progress call before its text.
void OutputWriter::WriteRows(const SampleTable& table, std::int32_t first, std::int32_t last,
                             char separator, const NumberForm& form, const ProgressFn& progress) {
  const auto formatRow = [&table, separator, &form](std::int64_t row, char* out) {
    return FormatTableRow(out, table.row(static_cast<std::int32_t>(row)), separator, form);
  };
  Flush();  // what is buffered (the comment and header lines) goes first
  FormatRowsInOrder(
      first, last, kTableRowRoom, formatRow,
      [&](std::int64_t from, const char* text, const std::size_t* lineEnds, std::int64_t rows) {
        ThrowIfInterrupted();
        if (progress) {
          for (std::int64_t i = 0; i < rows; ++i) progress(static_cast<float>(from + i));
        }
        Emit(std::string_view(text, lineEnds[rows - 1]));
      });
}

void OutputWriter::CloseOutputFile() {
  if (!file_) throw std::logic_error("CloseOutputFile: no output file is open");
  Flush();
  try {
    file_->Commit();
  } catch (...) {
    AbandonOutputFile();
    throw;
  }
  file_.reset();
}

void OutputWriter::AbandonOutputFile() noexcept {
  file_.reset();
  used_ = 0;
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
  const std::size_t used = used_;
  used_ = 0;
  Emit(std::string_view(buffer_.data(), used));
}

void OutputWriter::Emit(std::string_view text) {
  try {
    file_->Write(text);
  } catch (...) {
    AbandonOutputFile();
    throw;
  }
}

}  // namespace accprep
