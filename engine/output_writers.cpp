#include "engine/output_writers.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "engine/atomic_file.hpp"
#include "engine/channel_csv.hpp"
#include "engine/data_error.hpp"
#include "engine/interruption.hpp"
#include "engine/line_blocks.hpp"
#include "engine/read_only_file.hpp"
#include "engine/row_text.hpp"

namespace accprep {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// Room for one complete line of 41 fields, so a line is formatted straight into the buffer.
constexpr std::size_t kLineRoom = kWrittenColumns * (kMaxNumberText + 1) + 2;

const std::string& HeaderLine() {
  static const std::string header = ChannelCsvHeader("time");
  return header;
}

// Replaces every `from` in [begin, end) by `to`, sixteen bytes at a time: the run passes some
// 770 MB this way, which a byte loop takes the better part of a second for.
void ReplaceBytes(char* begin, char* end, char from, char to) {
  using Bytes = char __attribute__((vector_size(16)));
  const Bytes fromBytes = Bytes{} + from;
  const Bytes toBytes = Bytes{} + to;
  for (; end - begin >= 16; begin += 16) {
    Bytes bytes;
    std::memcpy(&bytes, begin, sizeof bytes);
    const Bytes match = bytes == fromBytes;
    bytes = (bytes & ~match) | (toBytes & match);
    std::memcpy(begin, &bytes, sizeof bytes);
  }
  for (; begin < end; ++begin)
    if (*begin == from) *begin = to;
}

// The file does not hold the rows that were read from it or written into it.
[[noreturn]] void Changed(const std::string& path) {
  throw DataError(DataErrorKind::kIo, "the file changed after it was written", path);
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
  PutHead(comment);
  WriteRows(table, rowCount, ',', pointForm_, progress);
}

void OutputWriter::WriteChannelCsvOfMatrix(const std::string& matrixPath, const SampleTable& table,
                                           std::int32_t rowCount,
                                           const std::optional<std::string>& comment,
                                           const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteChannelCsvOfMatrix: no output file is open");
  // A matrix written straight into a device or FIFO (atomic_file.hpp) cannot be read back.
  struct stat matrix {};
  const bool readable = ::stat(matrixPath.c_str(), &matrix) == 0 && S_ISREG(matrix.st_mode);
  if (matrixForm_.decimalSeparator != pointForm_.decimalSeparator || !readable) {
    WriteChannelCsv(table, rowCount, comment, progress);
    return;
  }
  PutHead(comment);
  Flush();
  CopyLinesReplacing(matrixPath, 0, '\t', ',', rowCount, progress);
}

void OutputWriter::WriteMatrixOfChannelCsv(const std::string& csvPath, int headerLines,
                                           const SampleTable& table, std::int32_t rowCount,
                                           const ProgressFn& progress) {
  if (!file_) throw std::logic_error("WriteMatrixOfChannelCsv: no output file is open");
  if (matrixForm_.decimalSeparator != pointForm_.decimalSeparator) {
    WriteMatrixRows(table, rowCount, progress);
    return;
  }
  CopyLinesReplacing(csvPath, headerLines, ',', '\t', rowCount, progress);
}

void OutputWriter::CopyLinesReplacing(const std::string& path, int skipLines, char from, char to,
                                      std::int32_t rowCount, const ProgressFn& progress) {
  const ReadOnlyFile file(path);
  LineBlocks source(file.descriptor(), path);
  const char* line = nullptr;
  const char* lineEnd = nullptr;
  for (int h = 0; h < skipLines; ++h) {
    if (!source.NextLine(line, lineEnd)) Changed(path);
  }
  std::int32_t row = 0;
  char* begin = nullptr;
  char* end = nullptr;
  while (source.NextBlock(begin, end)) {
    if (end[-1] != '\n') Changed(path);  // a last line without its line end is none of ours
    // One progress call per row before its text goes out: the rows of a block all go out
    // together after theirs.
    for (const char* lineStart = begin; lineStart < end;) {
      if (row == rowCount) Changed(path);
      if (progress) progress(static_cast<float>(++row));
      lineStart = static_cast<const char*>(std::memchr(lineStart, '\n', end - lineStart)) + 1;
    }
    ReplaceBytes(begin, end, from, to);
    try {
      file_->Write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    } catch (...) {
      Discard();
      throw;
    }
  }
  if (row != rowCount) Changed(path);
}

void OutputWriter::PutHead(const std::optional<std::string>& comment) {
  if (comment) {
    Put(comment->data(), comment->size());
    Put("\r\n", 2);
  }
  Put(HeaderLine().data(), HeaderLine().size());
}

// The lines reach the file in row order, each row's progress call before its text.
void OutputWriter::WriteRows(const SampleTable& table, std::int32_t rowCount, char separator,
                             const NumberForm& form, const ProgressFn& progress) {
  const auto formatRow = [&table, separator, &form](std::int64_t row, char* out) {
    const double* cells = table.row(static_cast<std::int32_t>(row));
    out = FormatNumber(out, cells[0], form);
    for (int c = 1; c < kWrittenColumns; ++c) {
      *out++ = separator;
      out = FormatNumber(out, cells[c], form);
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
  };
  Flush();  // the comment and header lines go first
  FormatRowsInOrder(
      1, rowCount, kLineRoom, formatRow,
      [&](std::int64_t first, const char* text, const std::size_t* lineEnds, std::int64_t rows) {
        ThrowIfInterrupted();
        if (progress) {
          for (std::int64_t i = 0; i < rows; ++i) progress(static_cast<float>(first + i));
        }
        try {
          file_->Write(std::string_view(text, lineEnds[rows - 1]));
        } catch (...) {
          Discard();
          throw;
        }
      });
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
