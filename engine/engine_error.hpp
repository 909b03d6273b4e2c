#pragma once
// The error of the conversion run. A failed step throws it with what a user needs to act on:
// which step, which file, where in the file, and the reason in plain words. The window and the
// command line turn it into their own message.
//
// The parts the run calls (reader, writers, files) throw DataError, which knows no step; the
// run turns it into an EngineError where it catches it, adding the step. Failures that belong
// to the run itself (a refused input, a failed job, an interruption) are EngineErrors from the
// start.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/data_error.hpp"
#include "engine/run_step.hpp"

namespace accprep {

enum class ErrorKind {
  kInput,        // a file or value the user supplied cannot be used (syntax, missing file)
  kCapacity,     // the sample table is full, or an index lies outside it
  kArithmetic,   // rounding overflowed or met an invalid value; no data rows to average
  kIo,           // the system refused to open, write, close, rename, copy or delete a file
  kJob,          // an integration job could not start, failed, or left no result
  kRefused,      // the run refused its inputs before touching any file (refusal() says why)
  kInterrupted,  // a signal or the user stopped the run
};

class EngineError : public std::runtime_error {
 public:
  // reason: what went wrong, without the file or position (those are separate fields).
  // line and field are 1-based; 0 means "does not apply".
  EngineError(ErrorKind kind, std::string reason, std::string file = {}, std::int64_t line = 0,
              int field = 0);
  // A refusal of the run's inputs (kind kRefused).
  EngineError(Refusal refusal, std::string reason);
  // A data error met in `step`: the same kind, reason, file and position.
  EngineError(const DataError& error, RunStep step);

  ErrorKind kind() const noexcept { return kind_; }
  const std::string& reason() const noexcept { return place_.reason; }
  const std::string& file() const noexcept { return place_.file; }
  std::int64_t line() const noexcept { return place_.line; }
  int field() const noexcept { return place_.field; }
  std::optional<Refusal> refusal() const noexcept { return refusal_; }
  // The step of the run the error belongs to; none while it has not passed through the run.
  std::optional<RunStep> runStep() const noexcept { return runStep_; }
  // The step's number, 0 without one.
  int step() const noexcept { return runStep_ ? StepNumber(*runStep_) : 0; }
  std::string stepName() const { return runStep_ ? StepName(*runStep_) : ""; }

  // The conversion run names the step the error belongs to; what() then leads with it.
  void SetStep(RunStep step);
  // Names the file the error concerns when it names none yet, so that a message read alone
  // in a batch log still says where to look.
  void SetFileIfNone(const std::string& file);

  // "step 4 (reading the acceleration record): /data/a.csv: line 12, field 3: not a number: "x""
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  void Compose();

  ErrorKind kind_;
  ErrorPlace place_;
  std::optional<Refusal> refusal_;
  std::optional<RunStep> runStep_;
  std::string message_;
};

}  // namespace accprep
