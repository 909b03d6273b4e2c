#pragma once
// The test kit every suite shares: a temporary folder, whole-file reads and writes, the
// channel-CSV header written out by hand, and one way to expect an EngineError.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine/engine_error.hpp"

namespace accprep::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The whole file, byte for byte; throws std::runtime_error when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes `content` as it is (no line-end translation); throws when it cannot.
void WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// The header line of a channel CSV, CR LF included: "time","1ch",...,"40ch" (or "freq" first).
std::string ChannelCsvHeader(const std::string& firstName = "time");

// Runs `action`, which must throw an EngineError, and returns it; a test failure (and none)
// when it throws nothing.
template <typename Action>
std::optional<EngineError> ExpectEngineError(Action&& action) {
  try {
    action();
  } catch (const EngineError& error) {
    return error;
  }
  ADD_FAILURE() << "no EngineError was thrown";
  return std::nullopt;
}

// What the EngineError of `action` says (what()); empty, and a test failure, when none.
template <typename Action>
std::string EngineErrorText(Action&& action) {
  const std::optional<EngineError> error = ExpectEngineError(std::forward<Action>(action));
  return error ? std::string(error->what()) : std::string();
}

}  // namespace accprep::testing
