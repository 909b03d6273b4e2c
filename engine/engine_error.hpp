#pragma once
// The one error type of the conversion engine. A failed step throws it with what a user needs
// to act on: which step, which file, where in the file, and the reason in plain words. The
// window and the command line turn it into their own message.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace accprep {

enum class ErrorKind {
  kInput,       // a file or value the user supplied cannot be used (syntax, missing file)
  kCapacity,    // the sample table is full, or an index lies outside it
  kArithmetic,  // rounding overflowed or met an invalid value; no data rows to average
  kIo,          // the system refused to open, write, close, rename, copy or delete a file
  kJob,         // an integration job could not start, failed, or left no result
  kRefused,     // the run refused its inputs before touching any file
};

class EngineError : public std::runtime_error {
 public:
  // reason: what went wrong, without the file or position (those are separate fields).
  // line and field are 1-based; 0 means "does not apply".
  EngineError(ErrorKind kind, std::string reason, std::string file = {}, std::int64_t line = 0,
              int field = 0);

  ErrorKind kind() const noexcept { return kind_; }
  const std::string& reason() const noexcept { return reason_; }
  const std::string& file() const noexcept { return file_; }
  std::int64_t line() const noexcept { return line_; }
  int field() const noexcept { return field_; }
  // 0 while the error has not passed through the conversion run.
  int step() const noexcept { return step_; }
  const std::string& stepName() const noexcept { return stepName_; }

  // The conversion run names the step the error belongs to; what() then leads with it.
  void SetStep(int step, std::string stepName);

  // "step 4 (reading the acceleration record): /data/a.csv: line 12, field 3: not a number: "x""
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  void Compose();

  ErrorKind kind_;
  std::string reason_;
  std::string file_;
  std::int64_t line_;
  int field_;
  int step_ = 0;
  std::string stepName_;
  std::string message_;
};

// The system's text for an errno value, e.g. "No space left on device".
std::string SystemReason(int errorNumber);

}  // namespace accprep
