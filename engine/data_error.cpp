#include "engine/data_error.hpp"

#include <cerrno>
#include <cstring>

namespace accprep {

DataError::DataError(DataErrorKind kind, std::string reason, std::string file, std::int64_t line,
                     int field)
    : std::runtime_error(reason),
      kind_(kind),
      place_{std::move(reason), std::move(file), line, field},
      message_(place_.Message()) {}

DataError DataError::System(int errorNumber, const std::string& what, std::string file) {
  DataError error(DataErrorKind::kIo, what + ": " + SystemReason(errorNumber), std::move(file));
  error.systemError_ = errorNumber;
  return error;
}

bool IsOutOfSpace(int errorNumber) noexcept {
  return errorNumber == ENOSPC || errorNumber == EDQUOT;
}

void DataError::SetFileIfNone(const std::string& file) {
  if (!place_.file.empty()) return;
  place_.file = file;
  message_ = place_.Message();
}

std::string ErrorPlace::Message() const {
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
