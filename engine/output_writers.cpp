#include "engine/output_writers.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_error.hpp"
#include "engine/file_operations.hpp"

namespace accprep {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
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
  if (descriptor_ >= 0) throw std::logic_error("CreateOutputFile: a file is already open");
  // The final name is replaced by a rename at close, which would pass over a read-only file
  // or fail late on a folder; refuse both here, where the system would refuse to create.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode))
      throw EngineError(ErrorKind::kIo, "cannot create the file: " + SystemReason(EISDIR), path);
    if (::access(path.c_str(), W_OK) != 0)
      throw EngineError(ErrorKind::kIo, "cannot create the file: " + SystemReason(errno), path);
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = TemporaryPathFor(path);
    const int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      descriptor_ = descriptor;
      temporaryPath_ = std::move(temporary);
      finalPath_ = path;
      if (buffer_.empty()) buffer_.resize(kBufferSize);
      used_ = 0;
      return;
    }
    if (errno != EEXIST && errno != EINTR)
      throw EngineError(ErrorKind::kIo, "cannot create the file: " + SystemReason(errno), path);
  }
  throw EngineError(ErrorKind::kIo, "cannot create the file: " + SystemReason(EEXIST), path);
}

void OutputWriter::WriteMatrixRows(const SampleTable& table, std::int32_t rowCount,
                                   const ProgressFn& progress) {
  if (descriptor_ < 0) throw std::logic_error("WriteMatrixRows: no output file is open");
  for (std::int32_t j = 1; j <= rowCount; ++j) {
    if (progress) progress(static_cast<float>(j));
    const double* cells = table.row(j);
    if (buffer_.size() - used_ < kLineRoom) Flush();
    char* out = buffer_.data() + used_;
    out = FormatNumber(out, cells[0], matrixForm_);
    for (int c = 1; c < kWrittenColumns; ++c) {
      *out++ = '\t';
      out = FormatNumber(out, cells[c], matrixForm_);
    }
    *out++ = '\r';
    *out++ = '\n';
    used_ = out - buffer_.data();
  }
}

void OutputWriter::WriteChannelCsv(const SampleTable& table, std::int32_t rowCount,
                                   const std::optional<std::string>& comment,
                                   const ProgressFn& progress) {
  if (descriptor_ < 0) throw std::logic_error("WriteChannelCsv: no output file is open");
  if (comment) {
    Put(comment->data(), comment->size());
    Put("\r\n", 2);
  }
  Put(HeaderLine().data(), HeaderLine().size());
  for (std::int32_t j = 1; j <= rowCount; ++j) {
    if (progress) progress(static_cast<float>(j));
    const double* cells = table.row(j);
    if (buffer_.size() - used_ < kLineRoom) Flush();
    char* out = buffer_.data() + used_;
    out = FormatNumber(out, cells[0], pointForm_);
    for (int c = 1; c < kWrittenColumns; ++c) {
      *out++ = ',';
      out = FormatNumber(out, cells[c], pointForm_);
    }
    *out++ = '\r';
    *out++ = '\n';
    used_ = out - buffer_.data();
  }
}

void OutputWriter::CloseOutputFile() {
  if (descriptor_ < 0) throw std::logic_error("CloseOutputFile: no output file is open");
  Flush();
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if (::close(descriptor) != 0) {
    const int error = errno;
    ::unlink(temporaryPath_.c_str());
    throw EngineError(ErrorKind::kIo, "cannot close the file: " + SystemReason(error), finalPath_);
  }
  if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporaryPath_.c_str());
    throw EngineError(ErrorKind::kIo, "cannot put the file in place: " + SystemReason(error),
                      finalPath_);
  }
  temporaryPath_.clear();
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
  const char* data = buffer_.data();
  std::size_t left = used_;
  while (left > 0) {
    const ssize_t written = ::write(descriptor_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write the file: ", errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  used_ = 0;
}

void OutputWriter::Fail(const std::string& what, int errorNumber) {
  const std::string path = finalPath_;
  Discard();
  throw EngineError(ErrorKind::kIo, what + SystemReason(errorNumber), path);
}

void OutputWriter::Discard() noexcept {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  if (!temporaryPath_.empty()) {
    ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
  used_ = 0;
}

}  // namespace accprep
