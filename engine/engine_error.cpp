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

EngineError::EngineError(Refusal refusal, std::string reason)
    : EngineError(ErrorKind::kRefused, std::move(reason)) {
  refusal_ = refusal;
}

void EngineError::SetStep(RunStep step) {
  runStep_ = step;
  Compose();
}

void EngineError::SetFileIfNone(const std::string& file) {
  if (!file_.empty()) return;
  file_ = file;
  Compose();
}

void EngineError::Compose() {
  message_.clear();
  if (runStep_) {
    message_ +=
        "step " + std::to_string(StepNumber(*runStep_)) + " (" + StepName(*runStep_) + "): ";
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
