#pragma once
// The error of a file or a value that cannot be used: a field that is no number, a value that
// is not finite, a record cut short, a file the system will not open or write. It says where
// (the file, the line, the field) and why, and nothing of who was reading or writing: the
// conversion run adds its step where it catches one (engine_error.hpp); the other programs
// print it as it is.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace accprep {

enum class DataErrorKind {
  kInput,       // the text or a value cannot be used (syntax, a missing line, a record cut short)
  kCapacity,    // more records than a table holds, or a place outside it
  kArithmetic,  // a computation overflowed or met an invalid value; nothing to average
  kIo,          // the system refused to open, read, write, close, rename, copy or delete a file
};

class DataError : public std::runtime_error {
 public:
  // reason: what went wrong, without the file or the position (those are separate fields).
  // line and field are 1-based; 0 means "does not apply".
  DataError(DataErrorKind kind, std::string reason, std::string file = {}, std::int64_t line = 0,
            int field = 0);

  DataErrorKind kind() const noexcept { return kind_; }
  const std::string& reason() const noexcept { return reason_; }
  const std::string& file() const noexcept { return file_; }
  std::int64_t line() const noexcept { return line_; }
  int field() const noexcept { return field_; }

  // Names the file the error concerns when it names none yet: a computation that knows no
  // file leaves it to the caller that read the values.
  void SetFileIfNone(const std::string& file);

  // "/data/a.csv: line 12, field 3: not a number: "x""
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  DataErrorKind kind_;
  std::string reason_;
  std::string file_;
  std::int64_t line_;
  int field_;
  std::string message_;
};

// "file: line L, field F: reason", leaving out the parts that do not apply (an empty file, a
// line or field of 0): the form of every message that says where something went wrong.
std::string LocatedMessage(const std::string& file, std::int64_t line, int field,
                           const std::string& reason);

// The system's text for an errno value, e.g. "No space left on device".
std::string SystemReason(int errorNumber);

}  // namespace accprep
