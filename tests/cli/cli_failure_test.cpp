// What accprep-cli tells the user, and what it leaves behind, for each way a run can fail.
// A failure ends the run with "error: ..." and exit code 1; files written before it stay
// complete, and no half-written file is left under any name.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"
#include "test_records.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

class CliFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.InstallTestJobs(velocity.result, displacement.result);
    folder.Write("records/site1.csv", acceleration.record);
  }

  ProcessResult Run(const std::vector<std::string>& extra = {},
                    const std::string& input = "records/site1.csv") {
    std::vector<std::string> args = {"--name", "b1"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(input);
    return folder.RunCli(args);
  }

  // The error message: from the line that starts with "error: " to the end of the error
  // output (a job's own error lines may follow it).
  static std::string ErrorText(const ProcessResult& run) {
    const std::size_t at = run.err.rfind("error: ");
    if (at == std::string::npos || (at > 0 && run.err[at - 1] != '\n')) {
      return "(no error line) " + run.err;
    }
    return run.err.substr(at);
  }

  void ExpectFailure(const ProcessResult& run, const std::vector<std::string>& mentions) {
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string line = ErrorText(run);
    for (const std::string& mention : mentions) {
      EXPECT_NE(line.find(mention), std::string::npos)
          << "missing \"" << mention << "\" in " << line;
    }
  }

  bool NothingWritten() const {
    return fs::is_empty(folder.Path("out")) && !folder.Exists("records/site1_acc.csv") &&
           !folder.Exists("outacc.csv") && !folder.Exists("jobs.log");
  }

  TestProgramFolder folder;
  AccelerationCase acceleration = MakeAccelerationCase(0);
  JobResultCase velocity = MakeJobResult(3, 0);
  JobResultCase displacement = MakeJobResult(4, 1);
};

TEST_F(CliFailureTest, MissingInputStopsAtTheReadAndWritesNothing) {
  const ProcessResult run = Run({}, "records/none.csv");
  ExpectFailure(run, {"step 4", "records/none.csv", "No such file or directory"});
  EXPECT_EQ(Lines(run.err).front(), "読み込み中");
  EXPECT_TRUE(NothingWritten());
}

TEST_F(CliFailureTest, UnreadableRecordNamesTheLineAndTheField) {
  std::string record = acceleration.record;
  // Fifth field of the first record, on the file's third line.
  const std::size_t third = record.find("\r\n", record.find("\r\n") + 2) + 2;
  std::size_t field = third;
  for (int comma = 0; comma < 4; ++comma) field = record.find(',', field) + 1;
  record.replace(field, record.find(',', field) - field, "1.5x");
  folder.Write("records/site1.csv", record);
  ExpectFailure(Run(), {"step 4", "records/site1.csv", "line 3, field 5", "1.5x"});
  EXPECT_TRUE(NothingWritten());
}

TEST_F(CliFailureTest, RecordCutShortNamesTheFile) {
  std::string record = acceleration.record;
  record.resize(record.size() - 10);  // the last record loses its last fields
  folder.Write("records/site1.csv", record);
  ExpectFailure(Run(), {"step 4", "records/site1.csv"});
  EXPECT_TRUE(NothingWritten());
}

TEST_F(CliFailureTest, RecordWithoutDataRowsLeavesNoEmptyMatrixAndKeepsAnOlderOne) {
  folder.Write("out/b1_accmat.prn", "an earlier complete matrix\r\n");
  folder.Write("records/site1.csv", "header 1\r\nheader 2\r\n");
  // The message names the record, so that it says which one in a batch log.
  ExpectFailure(Run(), {"step 7", "records/site1.csv", "no data rows"});
  EXPECT_EQ(folder.Read("out/b1_accmat.prn"), "an earlier complete matrix\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("out")), fs::directory_iterator()), 1);
  EXPECT_FALSE(folder.Exists("records/site1_acc.csv"));
}

TEST_F(CliFailureTest, MissingOutFolderStopsAtTheMatrixFileAndIsNotCreated) {
  fs::remove(folder.Path("out"));
  ExpectFailure(Run(), {"step 6", "out/b1_accmat.prn"});
  EXPECT_FALSE(folder.Exists("out"));
  EXPECT_FALSE(folder.Exists("records/site1_acc.csv"));
}

TEST_F(CliFailureTest, PublicCsvThatCannotBeWrittenKeepsTheMatrixWrittenBefore) {
  // A folder where the file should go: even root cannot replace it with a file.
  fs::create_directory(folder.Path("records/site1_acc.csv"));
  ExpectFailure(Run(), {"step 11", "site1_acc.csv"});
  EXPECT_EQ(folder.Read("out/b1_accmat.prn"), acceleration.matrix);
  EXPECT_FALSE(folder.Exists("outacc.csv"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("records")), fs::directory_iterator()),
            2);  // the input and the folder in the way: no temporary file
}

TEST_F(CliFailureTest, ExchangeCsvThatCannotBeWrittenStopsBeforeTheJobs) {
  fs::create_directory(folder.Path("outacc.csv"));
  ExpectFailure(Run(), {"step 12", "outacc.csv"});
  EXPECT_EQ(folder.Read("records/site1_acc.csv"), "\r\n" + acceleration.csv);
  EXPECT_FALSE(folder.Exists("jobs.log"));
}

TEST_F(CliFailureTest, RefusedInputsStopBeforeAnythingIsReadOrWritten) {
  folder.Write("a.c", acceleration.record);
  const struct {
    std::vector<std::string> args;
    const char* why;
  } refusals[] = {
      {{"--name", "b1", "a.c"}, "input path shorter than four characters"},
      {{"--name", "sub/b1", "records/site1.csv"}, "folder separator in the name"},
      {{"--name", "sub\\b1", "records/site1.csv"}, "backslash in the name"},
      {{"--name", "b\t1", "records/site1.csv"}, "control character in the name"},
      {{"--name", "b1", "--comment", "two\nlines", "records/site1.csv"}, "line break in comment"},
      {{"--name", "b1", "--comment", "two\rlines", "records/site1.csv"}, "carriage return"},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.why);
    const ProcessResult run = folder.RunCli(refusal.args);
    ExpectFailure(run, {});
    EXPECT_EQ(run.err.find("読み込み中\n書き出し中"), std::string::npos) << run.err;
    EXPECT_TRUE(NothingWritten());
  }
}

TEST_F(CliFailureTest, VelocityJobThatCannotBeStartedKeepsWhatWasWritten) {
  folder.Remove("fftvel.bat");
  ExpectFailure(Run(), {"step 14", "fftvel.bat"});
  EXPECT_EQ(folder.Read("out/b1_accmat.prn"), acceleration.matrix);
  EXPECT_EQ(folder.Read("records/site1_acc.csv"), "\r\n" + acceleration.csv);
  // Nothing is rolled back, but the exchange CSV goes: the message says what went wrong, and
  // the next run would otherwise find it.
  EXPECT_FALSE(folder.Exists("outacc.csv"));
}

TEST_F(CliFailureTest, FailingJobReportsItsExitCodeAndItsErrorOutput) {
  folder.WriteJob("fftvel.bat", "echo 'integration diverged at 12.5 s' >&2\nexit 3\n");
  ExpectFailure(Run(), {"step 14", "fftvel.bat", "3", "integration diverged at 12.5 s"});
  EXPECT_FALSE(folder.Exists("records/site1_vel.csv"));
  EXPECT_FALSE(folder.Exists("out/b1_velmat.prn"));
}

TEST_F(CliFailureTest, JobThatLeavesNoResultStopsTheRun) {
  folder.WriteJob("fftvel.bat", "cp \"$here/prepared/fftvel.bat-amp3.csv\" \"$here/amp3.csv\"\n");
  ExpectFailure(Run(), {"fftvel.bat", "velout.csv"});
  EXPECT_FALSE(folder.Exists("records/site1_vel.csv"));
  EXPECT_FALSE(folder.Exists("outacc.csv"));
}

TEST_F(CliFailureTest, JobThatLeavesNoSpectrumStopsTheRun) {
  folder.WriteJob("fftvel.bat", "cp \"$here/prepared/velout.csv\" \"$here/velout.csv\"\n");
  ExpectFailure(Run(), {"fftvel.bat", "amp3.csv"});
  EXPECT_FALSE(folder.Exists("records/site1_velAmp.csv"));
}

TEST_F(CliFailureTest, StaleResultOfAnEarlierRunIsNotTakenForTheNewOne) {
  folder.Write("velout.csv", MakeJobResult(2, 3).result);
  folder.Write("amp3.csv", "stale spectrum\r\n");
  folder.WriteJob("fftvel.bat", "exit 0\n");
  ExpectFailure(Run(), {"fftvel.bat", "velout.csv"});
  // The job found no stale file, and none was copied beside the input.
  EXPECT_EQ(folder.Read("jobs.log"), "fftvel.bat args=0\n");
  EXPECT_FALSE(folder.Exists("records/site1_vel.csv"));
  EXPECT_FALSE(folder.Exists("records/site1_velAmp.csv"));
}

TEST_F(CliFailureTest, UnreadableVelocityResultNamesItsLineAndField) {
  std::string result = velocity.result;
  result.insert(result.find("\r\n", result.find("\r\n") + 2), ",extra");  // line 2: 42 values
  folder.InstallTestJobs(result, displacement.result);
  folder.Write("records/site1_vel.csv", "earlier complete copy\r\n");
  ExpectFailure(Run(), {"step 16", "velout.csv", "line 2"});
  // The result is read before it is copied: the earlier copy stays as it was.
  EXPECT_EQ(folder.Read("records/site1_vel.csv"), "earlier complete copy\r\n");
  EXPECT_FALSE(folder.Exists("records/site1_velAmp.csv"));
  EXPECT_FALSE(folder.Exists("out/b1_velmat.prn"));
}

TEST_F(CliFailureTest, DisplacementJobThatCannotBeStartedKeepsTheVelocityOutputs) {
  folder.Remove("fftdis.bat");
  ExpectFailure(Run(), {"step 20", "fftdis.bat"});
  EXPECT_EQ(folder.Read("out/b1_velmat.prn"), velocity.matrix);
  EXPECT_EQ(folder.Read("records/site1_vel.csv"), velocity.result);
  EXPECT_FALSE(folder.Exists("velout.csv"));
  EXPECT_FALSE(folder.Exists("amp3.csv"));
  EXPECT_FALSE(folder.Exists("outacc.csv"));
}

TEST_F(CliFailureTest, ExchangeCsvAlreadyGoneAtItsDeletionIsNoFailure) {
  // A displacement job that cleans up after itself.
  folder.WriteJob("fftdis.bat",
                  "cp \"$here/prepared/disout.csv\" \"$here/disout.csv\"\n"
                  "cp \"$here/prepared/fftdis.bat-amp3.csv\" \"$here/amp3.csv\"\n"
                  "rm \"$here/outacc.csv\"\n");
  const ProcessResult run = Run();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "done\n");
  EXPECT_EQ(Lines(run.err).back(), "終了");
  EXPECT_EQ(folder.Read("out/b1_dismat.prn"), displacement.matrix);
}

}  // namespace
}  // namespace accprep::testing
