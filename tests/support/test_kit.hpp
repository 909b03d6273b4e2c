#pragma once
// The test kit every suite shares: a temporary folder, whole-file reads and writes, the
// channel-CSV header written out by hand, the shipped jobs in a folder of the test's own, and
// one way to expect a DataError or an EngineError. A test file holds behaviour; its plumbing lives
// here.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <source_location>
#include <string>
#include <utility>

#include "engine/data_error.hpp"
#include "engine/engine_error.hpp"

namespace accprep::testing {

// A fresh folder under the system's temporary folder, removed with everything in it. Given a
// `subfolder` name, path() is that folder, made inside the fresh one: a way to put blanks or
// other characters into the folder's own name.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& subfolder = {});
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path root_;
  std::filesystem::path path_;
};

// The whole file, byte for byte; throws std::runtime_error when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes `content` as it is (no line-end translation); throws when it cannot.
void WriteWholeFile(const std::string& path, const std::string& content);
// The same, then rwxr-xr-x: a job or script the code under test is to start.
void WriteExecutable(const std::string& path, const std::string& content);

// The text of a POSIX shell job as the conversion run starts one (by its path, no arguments):
// "#!/bin/sh", a line that sets `here` to the job's own folder (the exchange folder), then
// `body`, ended by a line end.
std::string JobScript(const std::string& body);
// Writes JobScript(body) to `path`, runnable.
void WriteJob(const std::string& path, const std::string& body);
bool FileExists(const std::string& path);

// Makes the system refuse a write beyond `bytes` a file with EFBIG ("File too large"), as a
// full disk would, where no small file system can be mounted. Process-wide: held only around
// the writes under test.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  std::uint64_t savedLimit_ = 0;
  void (*savedHandler_)(int) = nullptr;
};

// The header line of a channel CSV, CR LF included: "time","1ch",...,"40ch" (or "freq" first).
std::string ChannelCsvHeader(const std::string& firstName = "time");

// Copies the built fftvel.bat and fftdis.bat into `folder` and links accprep-integrate beside
// them, so that a test's exchange files never meet another test's. False when they are not
// built.
bool InstallShippedJobs(const std::string& folder);

// The error of type E (DataError or EngineError) that `action` throws, or none when it
// returns: for a step that may succeed.
template <typename E, typename Action>
std::optional<E> CatchError(Action&& action) {
  try {
    action();
  } catch (const E& error) {
    return error;
  }
  return std::nullopt;
}

// Runs `action`, which must throw an E, and returns it; a test failure (and none) when it
// throws nothing. Failures are reported at the caller's line.
template <typename E, typename Action>
std::optional<E> ExpectError(Action&& action,
                             std::source_location where = std::source_location::current()) {
  std::optional<E> error = CatchError<E>(std::forward<Action>(action));
  if (!error) ADD_FAILURE_AT(where.file_name(), where.line()) << "no error was thrown";
  return error;
}

// What the E of `action` says (what()); empty, and a test failure, when none.
template <typename E, typename Action>
std::string ErrorText(Action&& action,
                      std::source_location where = std::source_location::current()) {
  const std::optional<E> error = ExpectError<E>(std::forward<Action>(action), where);
  return error ? std::string(error->what()) : std::string();
}

// The same, and a test failure unless the error is of `kind`.
template <typename E, typename Action>
std::string ErrorText(Action&& action, decltype(std::declval<E>().kind()) kind,
                      std::source_location where = std::source_location::current()) {
  const std::optional<E> error = ExpectError<E>(std::forward<Action>(action), where);
  if (!error) return {};
  if (error->kind() != kind) {
    ADD_FAILURE_AT(where.file_name(), where.line())
        << "error of kind " << static_cast<int>(error->kind()) << ", expected "
        << static_cast<int>(kind) << ": " << error->what();
  }
  return error->what();
}

// The same for the run's errors (engine_error.hpp) and those of files and values
// (data_error.hpp), by name.
template <typename Action>
std::optional<EngineError> CatchEngineError(Action&& action) {
  return CatchError<EngineError>(std::forward<Action>(action));
}
template <typename Action>
std::optional<EngineError> ExpectEngineError(
    Action&& action, std::source_location where = std::source_location::current()) {
  return ExpectError<EngineError>(std::forward<Action>(action), where);
}
template <typename Action>
std::optional<DataError> ExpectDataError(
    Action&& action, std::source_location where = std::source_location::current()) {
  return ExpectError<DataError>(std::forward<Action>(action), where);
}
template <typename Action>
std::string EngineErrorText(Action&& action,
                            std::source_location where = std::source_location::current()) {
  return ErrorText<EngineError>(std::forward<Action>(action), where);
}
template <typename Action>
std::string EngineErrorText(Action&& action, ErrorKind kind,
                            std::source_location where = std::source_location::current()) {
  return ErrorText<EngineError>(std::forward<Action>(action), kind, where);
}
template <typename Action>
std::string DataErrorText(Action&& action,
                          std::source_location where = std::source_location::current()) {
  return ErrorText<DataError>(std::forward<Action>(action), where);
}
template <typename Action>
std::string DataErrorText(Action&& action, DataErrorKind kind,
                          std::source_location where = std::source_location::current()) {
  return ErrorText<DataError>(std::forward<Action>(action), kind, where);
}

}  // namespace accprep::testing
