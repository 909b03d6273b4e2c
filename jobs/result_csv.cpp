#include "jobs/result_csv.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/engine_error.hpp"
#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// Room for the longest row: 41 numbers, their separators and the line end.
constexpr std::size_t kRowBytes = (kWrittenColumns + 1) * (kMaxNumberText + 1) + 2;

const NumberForm& PointForm() {
  static const NumberForm form = NumberForm::Point();
  return form;
}

}  // namespace

ResultCsvFile::ResultCsvFile(std::string finalPath)
    : finalPath_(std::move(finalPath)), buffer_(kBufferBytes) {
  // Beside the final name, so the rename never crosses a file system; the leading dot keeps
  // it out of ordinary listings, our process id apart from another job's. The mode lets the
  // umask decide, as for any file the user creates.
  const std::size_t slash = finalPath_.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  temporaryPath_ = finalPath_.substr(0, nameStart) + "." + finalPath_.substr(nameStart) +
                   ".part-" + std::to_string(::getpid());
  descriptor_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor_ < 0) {
    int error = errno;
    temporaryPath_.clear();
    throw EngineError(ErrorKind::kIo, "cannot create the result: " + SystemReason(error),
                      finalPath_);
  }
}

ResultCsvFile::~ResultCsvFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

void ResultCsvFile::WriteHeader(const char* firstName) {
  std::string header = std::string("\"") + firstName + "\"";
  for (int channel = 1; channel <= kChannels; ++channel)
    header += ",\"" + std::to_string(channel) + "ch\"";
  header += "\r\n";
  if (buffer_.size() - used_ < header.size()) Flush();
  std::memcpy(buffer_.data() + used_, header.data(), header.size());
  used_ += header.size();
}

void ResultCsvFile::WriteRow(double first, bool firstRounded, const double* values,
                             std::size_t count, std::size_t stride) {
  if (buffer_.size() - used_ < kRowBytes) Flush();
  char* out = buffer_.data() + used_;
  const NumberForm& form = PointForm();
  out = firstRounded ? FormatSignificant(out, first, kResultDigits, form)
                     : FormatNumber(out, first, form);
  for (std::size_t i = 0; i < count; ++i) {
    *out++ = ',';
    out = FormatSignificant(out, values[i * stride], kResultDigits, form);
  }
  *out++ = '\r';
  *out++ = '\n';
  used_ = static_cast<std::size_t>(out - buffer_.data());
}

void ResultCsvFile::Flush() {
  const char* data = buffer_.data();
  std::size_t left = used_;
  while (left > 0) {
    ssize_t written = ::write(descriptor_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) Fail("cannot write the result", errno);
    if (written == 0) Fail("cannot write the result", ENOSPC);
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  used_ = 0;
}

void ResultCsvFile::Commit() {
  Flush();
  int descriptor = descriptor_;
  descriptor_ = -1;
  // close reports the write errors that a network or full file system delays until then.
  if (::close(descriptor) != 0) Fail("cannot write the result", errno);
  if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
    Fail("cannot put the result in place", errno);
  temporaryPath_.clear();
}

void ResultCsvFile::Fail(const std::string& what, int errorNumber) {
  // The destructor removes the temporary file; the final name keeps whatever it had.
  throw EngineError(ErrorKind::kIo, what + ": " + SystemReason(errorNumber), finalPath_);
}

}  // namespace accprep
