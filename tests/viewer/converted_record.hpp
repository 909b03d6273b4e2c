#pragma once
// A record converted by the built accprep-cli and its shipped jobs in a program folder of its
// own, for the viewer's end-to-end runs: the built accprep-view is then run on it there.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"

namespace accprep::testing {

// A file copied into the folder's records/ as `name`.
struct RecordFile {
  std::string source;
  std::string name;
};

class ConvertedRecord {
 public:
  // Copies `files` into records/ and converts the first with --name `baseName`. A failure to
  // convert is a test failure, and ok() is false.
  ConvertedRecord(const std::vector<RecordFile>& files, const std::string& baseName);

  bool ok() const { return ok_; }
  const TestProgramFolder& folder() const { return folder_; }
  // records/<name of the first file>, relative to the folder.
  const std::string& record() const { return record_; }

  // accprep-view with `args`, in the folder.
  ProcessResult RunViewer(std::vector<std::string> args) const;

 private:
  TestProgramFolder folder_;
  std::string record_;
  bool ok_ = false;
};

// A suite's fixture for end-to-end runs on the shared K-NET record: converted once for the
// suite (records/knet.csv, base name k), the viewer run in its folder.
class SharedRecordSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  static ProcessResult RunViewer(std::vector<std::string> args) {
    return converted_->RunViewer(std::move(args));
  }

  static ConvertedRecord* converted_;
  static const TestProgramFolder* folder_;
};

}  // namespace accprep::testing
