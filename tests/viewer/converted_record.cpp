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

}  // namespace accprep::testing
