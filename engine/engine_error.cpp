#include "engine/engine_error.hpp"

#include <cstring>

namespace accprep {

EngineError::EngineError(ErrorKind kind, std::string reason, std::string file, std::int64_t line,
                         int field)
    : std::runtime_error(reason),
      kind_(kind),
      reason_(std::move(reason)),
      file_(std::move(file)),
      line_(line),
      field_(field) {
  Compose();
}

void EngineError::SetStep(int step, std::string stepName) {
  step_ = step;
  stepName_ = std::move(stepName);
  Compose();
}

void EngineError::Compose() {
  message_.clear();
  if (step_ > 0) {
    message_ += "step " + std::to_string(step_);
    if (!stepName_.empty()) message_ += " (" + stepName_ + ")";
    message_ += ": ";
  }
  if (!file_.empty()) message_ += file_ + ": ";
  if (line_ > 0) {
    message_ += "line " + std::to_string(line_);
    if (field_ > 0) message_ += ", field " + std::to_string(field_);
    message_ += ": ";
  }
  message_ += reason_;
}

std::string SystemReason(int errorNumber) {
  char buffer[256];
  // The GNU strerror_r returns its text, which may or may not live in the buffer.
  return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

}  // namespace accprep
