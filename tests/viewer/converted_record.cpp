#include "converted_record.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace accprep::testing {

ConvertedRecord::ConvertedRecord(const std::vector<RecordFile>& files,
                                 const std::string& baseName) {
  EXPECT_TRUE(folder_.InstallShippedJobs());
  for (const RecordFile& file : files) {
    std::filesystem::copy_file(file.source, folder_.Path("records/" + file.name));
    if (record_.empty()) record_ = "records/" + file.name;
  }
  const ProcessResult run = folder_.RunCli({"--name", baseName, record_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ok_ = run.exitCode == 0;
}

ProcessResult ConvertedRecord::RunViewer(std::vector<std::string> args) const {
  args.insert(args.begin(), std::string(ACCPREP_PROGRAM_FOLDER) + "/accprep-view");
  return RunProcess({args, folder_.path(), {}});
}

ConvertedRecord* SharedRecordSuite::converted_ = nullptr;
const TestProgramFolder* SharedRecordSuite::folder_ = nullptr;

void SharedRecordSuite::SetUpTestSuite() {
  converted_ = new ConvertedRecord(
      {{std::string(ACCPREP_SHARED_DATA_DIR) + "/knet-aomori-2018.csv", "knet.csv"}}, "k");
  ASSERT_TRUE(converted_->ok());
  folder_ = &converted_->folder();
}

void SharedRecordSuite::TearDownTestSuite() {
  delete converted_;
  converted_ = nullptr;
  folder_ = nullptr;
}

}  // namespace accprep::testing
