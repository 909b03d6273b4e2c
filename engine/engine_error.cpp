#include "engine/engine_error.hpp"

namespace accprep {
namespace {

ErrorKind KindOf(DataErrorKind kind) {
  switch (kind) {
    case DataErrorKind::kInput:
      return ErrorKind::kInput;
    case DataErrorKind::kCapacity:
      return ErrorKind::kCapacity;
    case DataErrorKind::kArithmetic:
      return ErrorKind::kArithmetic;
    case DataErrorKind::kIo:
      return ErrorKind::kIo;
  }
  return ErrorKind::kInput;
}

}  // namespace

EngineError::EngineError(ErrorKind kind, std::string reason, std::string file, std::int64_t line,
                         int field)
    : std::runtime_error(reason),
      kind_(kind),
      place_{std::move(reason), std::move(file), line, field} {
  Compose();
}

EngineError::EngineError(Refusal refusal, std::string reason)
    : EngineError(ErrorKind::kRefused, std::move(reason)) {
  refusal_ = refusal;
}

EngineError::EngineError(const DataError& error, RunStep step)
    : std::runtime_error(error.reason()), kind_(KindOf(error.kind())), place_(error.place()) {
  SetStep(step);
}

void EngineError::SetStep(RunStep step) {
  runStep_ = step;
  Compose();
}

void EngineError::SetFileIfNone(const std::string& file) {
  if (!place_.file.empty()) return;
  place_.file = file;
  Compose();
}

void EngineError::Compose() {
  message_.clear();
  if (runStep_) {
    message_ +=
        "step " + std::to_string(StepNumber(*runStep_)) + " (" + StepName(*runStep_) + "): ";
  }
  message_ += place_.Message();
}

}  // namespace accprep
