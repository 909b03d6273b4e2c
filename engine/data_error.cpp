#include "engine/data_error.hpp"

#include <cstring>

namespace accprep {

DataError::DataError(DataErrorKind kind, std::string reason, std::string file, std::int64_t line,
                     int field)
    : std::runtime_error(reason),
      kind_(kind),
      reason_(std::move(reason)),
      file_(std::move(file)),
      line_(line),
      field_(field),
      message_(LocatedMessage(file_, line_, field_, reason_)) {}

void DataError::SetFileIfNone(const std::string& file) {
  if (!file_.empty()) return;
  file_ = file;
  message_ = LocatedMessage(file_, line_, field_, reason_);
}

std::string LocatedMessage(const std::string& file, std::int64_t line, int field,
                           const std::string& reason) {
  std::string message;
  if (!file.empty()) message += file + ": ";
  if (line > 0) {
    message += "line " + std::to_string(line);
    if (field > 0) message += ", field " + std::to_string(field);
    message += ": ";
  }
  return message + reason;
}

std::string SystemReason(int errorNumber) {
  char buffer[256];
  // The GNU strerror_r returns its text, which may or may not live in the buffer.
  return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

}  // namespace accprep
