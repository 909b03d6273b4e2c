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

// True for the errno values of a file system without room: no space left, or the quota used
// up.
bool IsOutOfSpace(int errorNumber) noexcept;

enum class DataErrorKind {
  kInput,       // the text or a value cannot be used (syntax, a missing line, a record cut short)
  kCapacity,    // more records than a table holds, or a place outside it
  kArithmetic,  // a computation overflowed or met an invalid value; nothing to average
  kIo,          // the system refused to open, read, write, close, rename, copy or delete a file
};

// Where something went wrong and why: what every error message of the tool is made of.
struct ErrorPlace {
  std::string reason;     // what went wrong, without the file or the position
  std::string file;       // empty: none named
  std::int64_t line = 0;  // 1-based; 0 means "does not apply"
  int field = 0;          // 1-based; 0 means "does not apply"

  // "file: line L, field F: reason", leaving out the parts that do not apply.
  std::string Message() const;
};

class DataError : public std::runtime_error {
 public:
  // reason: what went wrong, without the file or the position (those are separate fields).
  // line and field are 1-based; 0 means "does not apply".
  DataError(DataErrorKind kind, std::string reason, std::string file = {}, std::int64_t line = 0,
            int field = 0);
  // A failure the system reported with `errorNumber` while working on `file`: kind kIo, the
  // reason "<what>: <the system's text>" ("cannot write the file: No space left on device").
  static DataError System(int errorNumber, const std::string& what, std::string file);

  DataErrorKind kind() const noexcept { return kind_; }
  const ErrorPlace& place() const noexcept { return place_; }
  const std::string& reason() const noexcept { return place_.reason; }
  const std::string& file() const noexcept { return place_.file; }
  std::int64_t line() const noexcept { return place_.line; }
  int field() const noexcept { return place_.field; }
  // The errno of a failure the system reported (System), 0 for the others.
  int systemError() const noexcept { return systemError_; }
  // The system reported a file system without room (IsOutOfSpace above).
  bool IsOutOfSpace() const noexcept { return accprep::IsOutOfSpace(systemError_); }

  // Names the file the error concerns when it names none yet: a computation that knows no
  // file leaves it to the caller that read the values.
  void SetFileIfNone(const std::string& file);

  // "/data/a.csv: line 12, field 3: not a number: "x""
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  DataErrorKind kind_;
  ErrorPlace place_;
  int systemError_ = 0;
  std::string message_;
};

// The system's text for an errno value, e.g. "No space left on device".
std::string SystemReason(int errorNumber);

}  // namespace accprep
