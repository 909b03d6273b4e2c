#include "converted_shared_record.hpp"

#include <filesystem>

namespace accprep::testing {

TestProgramFolder* ConvertedSharedRecord::folder_ = nullptr;

void ConvertedSharedRecord::SetUpTestSuite() {
  folder_ = new TestProgramFolder;
  ASSERT_TRUE(folder_->InstallShippedJobs());
  const std::string record = folder_->Path("records/knet.csv");
  std::filesystem::copy_file(std::string(ACCPREP_SHARED_DATA_DIR) + "/knet-aomori-2018.csv",
                             record);
  const ProcessResult run = folder_->RunCli({"--name", "k", record});
  ASSERT_EQ(run.exitCode, 0) << run.err;
}

void ConvertedSharedRecord::TearDownTestSuite() {
  delete folder_;
  folder_ = nullptr;
}

ProcessResult ConvertedSharedRecord::RunViewer(std::vector<std::string> args) {
  args.insert(args.begin(), std::string(ACCPREP_PROGRAM_FOLDER) + "/accprep-view");
  return RunProcess({args, folder_->path(), {}});
}

}  // namespace accprep::testing
