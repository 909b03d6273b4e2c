// End-to-end runs of accprep-cli in a throw-away program folder: what a complete run writes,
// byte for byte, where, and what it tells the user.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"
#include "test_records.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kCompleteRunCaptions = {
    "読み込み中", "書き出し中", "公開データを作成", "書き出し中", "書き出し中", "終了"};

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

int CountLines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

class CliRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.InstallTestJobs(velocity.result, displacement.result);
    folder.Write("records/site1.csv", acceleration.record);
  }

  TestProgramFolder folder;
  AccelerationCase acceleration = MakeAccelerationCase(0);
  // Fewer records than the acceleration record: only their own rows reach the matrix files.
  JobResultCase velocity = MakeJobResult(3, 0);
  JobResultCase displacement = MakeJobResult(5, 1);
};

TEST_F(CliRunTest, CompleteRunWritesEveryOutputByteForByte) {
  const std::string comment = "site 1, \"north\" 観測";
  const ProcessResult run =
      folder.RunCli({"--name", "b1", "--comment", comment, "records/site1.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "done\n");
  EXPECT_EQ(Lines(run.err), kCompleteRunCaptions);

  EXPECT_EQ(folder.Read("out/b1_accmat.prn"), acceleration.matrix);
  EXPECT_EQ(folder.Read("out/b1_velmat.prn"), velocity.matrix);
  EXPECT_EQ(folder.Read("out/b1_dismat.prn"), displacement.matrix);
  // The comment as given, unquoted, then the same lines as the exchange CSV.
  EXPECT_EQ(folder.Read("records/site1_acc.csv"), comment + "\r\n" + acceleration.csv);
  EXPECT_EQ(folder.Read("records/site1_vel.csv"), velocity.result);
  EXPECT_EQ(folder.Read("records/site1_dis.csv"), displacement.result);
  EXPECT_EQ(folder.Read("records/site1_velAmp.csv"), TestProgramFolder::SpectrumOf("fftvel.bat"));
  EXPECT_EQ(folder.Read("records/site1_disAmp.csv"), TestProgramFolder::SpectrumOf("fftdis.bat"));

  // Both jobs saw the exchange CSV; each ran once, without arguments, and the displacement job
  // found neither the spectrum nor the velocity result of the first.
  EXPECT_EQ(folder.Read("seen/fftvel.bat.csv"), acceleration.csv);
  EXPECT_EQ(folder.Read("seen/fftdis.bat.csv"), acceleration.csv);
  EXPECT_EQ(folder.Read("jobs.log"), "fftvel.bat args=0\nfftdis.bat args=0\n");

  // The exchange files are gone, the jobs and the folder's lock file stay, and no temporary
  // file is left anywhere.
  EXPECT_EQ(FolderEntries(folder.path()),
            (std::vector<std::string>{".accprep.lock", "accprep-cli", "fftdis.bat", "fftvel.bat",
                                      "jobs.log", "out", "prepared", "records", "seen"}));
  EXPECT_EQ(FolderEntries(folder.Path("out")),
            (std::vector<std::string>{"b1_accmat.prn", "b1_dismat.prn", "b1_velmat.prn"}));
  EXPECT_EQ(FolderEntries(folder.Path("records")),
            (std::vector<std::string>{"site1.csv", "site1_acc.csv", "site1_dis.csv",
                                      "site1_disAmp.csv", "site1_vel.csv", "site1_velAmp.csv"}));
}

TEST_F(CliRunTest, CommentDefaultsToAnEmptyLine) {
  const ProcessResult run = folder.RunCli({"--name", "b1", "records/site1.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(folder.Read("records/site1_acc.csv"), "\r\n" + acceleration.csv);
}

TEST_F(CliRunTest, SecondRunReplacesTheOutputsOfTheFirst) {
  ASSERT_EQ(folder.RunCli({"--name", "b1", "records/site1.csv"}).exitCode, 0);
  ASSERT_EQ(folder.Read("out/b1_accmat.prn"), acceleration.matrix);

  const AccelerationCase second = MakeAccelerationCase(2);
  const JobResultCase secondVelocity = MakeJobResult(2, 4);
  const JobResultCase secondDisplacement = MakeJobResult(6, 5);
  folder.Write("records/site1.csv", second.record);
  folder.InstallTestJobs(secondVelocity.result, secondDisplacement.result);
  const ProcessResult run =
      folder.RunCli({"--name", "b1", "--comment", "2nd", "records/site1.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  EXPECT_EQ(folder.Read("out/b1_accmat.prn"), second.matrix);
  EXPECT_EQ(folder.Read("out/b1_velmat.prn"), secondVelocity.matrix);
  EXPECT_EQ(folder.Read("out/b1_dismat.prn"), secondDisplacement.matrix);
  EXPECT_EQ(folder.Read("records/site1_acc.csv"), "2nd\r\n" + second.csv);
  EXPECT_EQ(folder.Read("records/site1_vel.csv"), secondVelocity.result);
  EXPECT_EQ(folder.Read("records/site1_dis.csv"), secondDisplacement.result);
}

TEST(CliNames, ChannelFilesLoseTheLastFourCharactersOfTheInputPath) {
  struct Case {
    const char* input;          // as given on the command line
    const char* workingFolder;  // relative to the program folder
    const char* name;
    const char* channelStem;  // where the five channel files go, relative to the program folder
  };
  const Case cases[] = {
      {"site1.csv", "records", "b1", "records/site1"},
      // Exactly four characters: an empty stem, the files land in the working folder.
      {"x.cs", "records", "b1", "records/"},
      // A two-letter extension costs one character of the name.
      {"records/rec.ab", ".", "b1", "records/re"},
      // Characters, not bytes: the last four are ".ab" and "録".
      {"records/観測記録.ab", ".", "b1", "records/観測記"},
      {"records/観測 記録.csv", ".", "試験 1 (東)", "records/観測 記録"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    TestProgramFolder folder;
    folder.InstallTestJobs(MakeJobResult(2).result, MakeJobResult(2).result);
    const std::string working = folder.Path(c.workingFolder);
    folder.Write(working + "/" + c.input, MakeAccelerationCase().record);
    const ProcessResult run = folder.RunCli({"--name", c.name, c.input}, working);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "done\n");
    for (const char* suffix : {"_acc.csv", "_vel.csv", "_dis.csv", "_velAmp.csv", "_disAmp.csv"}) {
      EXPECT_TRUE(folder.Exists(std::string(c.channelStem) + suffix)) << c.channelStem << suffix;
    }
    for (const char* suffix : {"_accmat.prn", "_velmat.prn", "_dismat.prn"}) {
      EXPECT_TRUE(folder.Exists(std::string("out/") + c.name + suffix)) << c.name << suffix;
    }
  }
}

TEST_F(CliRunTest, BatchConvertsEachInputUnderItsOwnBaseName) {
  const AccelerationCase other = MakeAccelerationCase(1);
  folder.Write("records/c.csv", other.record);
  const ProcessResult run = folder.RunCli({"--name", "b1", "records/site1.csv", "records/c.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "done\ndone\n");
  std::vector<std::string> expectedErr = {"[1/2] records/site1.csv"};
  expectedErr.insert(expectedErr.end(), kCompleteRunCaptions.begin(), kCompleteRunCaptions.end());
  expectedErr.push_back("[2/2] records/c.csv");
  expectedErr.insert(expectedErr.end(), kCompleteRunCaptions.begin(), kCompleteRunCaptions.end());
  EXPECT_EQ(Lines(run.err), expectedErr);

  EXPECT_EQ(folder.Read("out/b1_site1_accmat.prn"), acceleration.matrix);
  EXPECT_EQ(folder.Read("out/b1_c_accmat.prn"), other.matrix);
  EXPECT_EQ(folder.Read("records/c_acc.csv"), "\r\n" + other.csv);
  EXPECT_EQ(FolderEntries(folder.Path("out")),
            (std::vector<std::string>{"b1_c_accmat.prn", "b1_c_dismat.prn", "b1_c_velmat.prn",
                                      "b1_site1_accmat.prn", "b1_site1_dismat.prn",
                                      "b1_site1_velmat.prn"}));
  EXPECT_EQ(CountLines(folder.Read("jobs.log")), 4);
}

TEST_F(CliRunTest, BatchStopsAtTheFirstFailingInputAndNamesIt) {
  folder.Write("records/c.csv", MakeAccelerationCase(1).record);
  const ProcessResult run =
      folder.RunCli({"--name", "b1", "records/site1.csv", "records/missing.csv", "records/c.csv"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "done\n");
  EXPECT_NE(run.err.find("\nerror: records/missing.csv: step 4"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("1 of 3 inputs converted; the batch stopped at records/missing.csv"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("[3/3]"), std::string::npos);
  EXPECT_TRUE(folder.Exists("out/b1_site1_dismat.prn"));
  EXPECT_FALSE(folder.Exists("out/b1_c_accmat.prn"));
  EXPECT_FALSE(folder.Exists("records/c_acc.csv"));
}

TEST(CliUsage, MistakesExitTwoAndHelpAndVersionExitZero) {
  TestProgramFolder folder;
  const ProcessResult none = folder.RunCli({});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("Usage:"), std::string::npos);
  EXPECT_EQ(none.out, "");

  const ProcessResult collision = folder.RunCli({"--name", "b1", "a.csv", "x/a.csv"});
  EXPECT_EQ(collision.exitCode, 2);
  EXPECT_NE(collision.err.find("would both write the matrix files of b1_a"), std::string::npos);

  const ProcessResult help = folder.RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--comment"), std::string::npos);

  const ProcessResult version = folder.RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("accprep-cli ", 0), 0u) << version.out;
  // Nothing was converted, so nothing was written.
  EXPECT_TRUE(fs::is_empty(folder.Path("out")));
}

// The shipped velocity and displacement jobs on the example record.
TEST(CliShippedJobs, ConvertsTheExampleRecord) {
  TestProgramFolder folder;
  ASSERT_TRUE(folder.InstallShippedJobs())
      << "the shipped jobs are not built in " << ACCPREP_PROGRAM_FOLDER;
  fs::copy_file(ACCPREP_SOURCE_DIR "/examples/example-record.csv",
                folder.Path("records/example-record.csv"));
  const ProcessResult run =
      folder.RunCli({"--name", "demo", "--comment", "example", "records/example-record.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_FALSE(run.out.empty());
  EXPECT_EQ(Lines(run.out).back(), "done");
  // The shipped jobs report their own timings on the same error output, between the captions.
  std::vector<std::string> captions;
  for (const std::string& line : Lines(run.err)) {
    if (std::find(kCompleteRunCaptions.begin(), kCompleteRunCaptions.end(), line) !=
        kCompleteRunCaptions.end()) {
      captions.push_back(line);
    }
  }
  EXPECT_EQ(captions, kCompleteRunCaptions);

  const std::string accMatrix = folder.Read("out/demo_accmat.prn");
  EXPECT_EQ(CountLines(accMatrix), 2000);
  EXPECT_EQ(std::count(accMatrix.begin(), accMatrix.end(), '\t'), 2000 * 40);
  const std::string publicCsv = folder.Read("records/example-record_acc.csv");
  EXPECT_EQ(publicCsv.rfind("example\r\n" + ChannelCsvHeader(), 0), 0u);
  EXPECT_EQ(CountLines(publicCsv), 2002);
  for (const char* kind : {"vel", "dis"}) {
    SCOPED_TRACE(kind);
    const std::string matrix = folder.Read(std::string("out/demo_") + kind + "mat.prn");
    const std::string record = folder.Read(std::string("records/example-record_") + kind + ".csv");
    // One matrix line per record of the job's result, 41 fields each.
    EXPECT_GT(CountLines(matrix), 0);
    EXPECT_EQ(CountLines(matrix) + 1, CountLines(record));
    EXPECT_EQ(std::count(matrix.begin(), matrix.end(), '\t'), 40 * CountLines(matrix));
    EXPECT_FALSE(folder.Read(std::string("records/example-record_") + kind + "Amp.csv").empty());
  }
  for (const char* exchange : {"outacc.csv", "velout.csv", "disout.csv", "amp3.csv"}) {
    EXPECT_FALSE(folder.Exists(exchange)) << exchange;
  }
}

}  // namespace
}  // namespace accprep::testing
