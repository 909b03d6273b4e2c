// accprep-cli in real use: two conversions in one program folder, interruptions by signals at
// different moments, and a run killed outright. Through the built program, in throw-away
// program folders, with the shipped jobs where their results tell one record from another.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"
#include "test_kit.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kPatience = 30s;

// Waits until `ready` holds, looking every millisecond; false after kPatience.
bool WaitUntil(const std::function<bool()>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Every file under `folder` whose name marks it as a temporary being written.
std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.path().filename().string().find(".part-") != std::string::npos)
      found.push_back(entry.path().string());
  return found;
}

// Gone, or a zombie no one has reaped yet (it runs nothing any more).
bool ProcessGone(const std::string& pidText) {
  const int pid = std::stoi(pidText);
  if (::kill(pid, 0) != 0) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  return close != std::string::npos && text.size() > close + 2 && text[close + 2] == 'Z';
}

// A record of `records` records of the tool's input form: time, 40 channels, 2 trailing.
std::string Record(int records) {
  std::string text = "h1\r\nh2\r\n";
  for (int r = 0; r < records; ++r) {
    text += std::to_string(r) + "e-2";
    for (int c = 1; c <= 40; ++c) text += "," + std::to_string((r * 7 + c * 13) % 200 - 100);
    text += ",0,0\r\n";
  }
  return text;
}

// A job result of `rows` records: large enough that writing its matrix takes a while.
std::string LargeResult(int rows) {
  std::string text = ChannelCsvHeader();
  std::string values;
  for (int c = 1; c <= 40; ++c) values += ",1.23456789";
  values += "\r\n";
  text.reserve(static_cast<std::size_t>(rows) * (values.size() + 8));
  for (int r = 1; r <= rows; ++r) text += std::to_string(r) + values;
  return text;
}

const std::vector<std::string> kOutputs = {"out/b1_accmat.prn",        "out/b1_velmat.prn",
                                           "out/b1_dismat.prn",        "records/site1_acc.csv",
                                           "records/site1_vel.csv",    "records/site1_dis.csv",
                                           "records/site1_velAmp.csv", "records/site1_disAmp.csv"};
const std::vector<std::string> kExchangeFiles = {"outacc.csv", "velout.csv", "disout.csv",
                                                 "amp3.csv"};

std::string Earlier(const std::string& output) { return "earlier " + output + "\r\n"; }

// --- two conversions in one folder ---------------------------------------------------------

class SharedFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.InstallShippedJobs()) << "the shipped jobs are not built";
    // The velocity job waits a moment first, so that the second run starts while the first
    // one waits for its job, as it did when the runs took over each other's results.
    fs::rename(folder.Path("fftvel.bat"), folder.Path("fftvel-shipped.bat"));
    folder.WriteJob("fftvel.bat",
                    "touch \"$here/velocity-started\"\nsleep 1\n"
                    "exec \"$here/fftvel-shipped.bat\"\n");
    folder.Write("records/long.csv", Record(3000));
    folder.Write("records/short.csv", Record(400));
  }

  // What a conversion of `record` alone writes as its velocity and displacement records.
  static std::pair<std::string, std::string> SoloResults(const std::string& record) {
    TestProgramFolder solo;
    EXPECT_TRUE(solo.InstallShippedJobs());
    solo.Write("records/r.csv", record);
    EXPECT_EQ(solo.RunCli({"--name", "r", "records/r.csv"}).exitCode, 0);
    return {solo.Read("records/r_vel.csv"), solo.Read("records/r_dis.csv")};
  }

  TestProgramFolder folder;
};

TEST_F(SharedFolderTest, TheSecondRunWaitsAndBothAreRight) {
  auto first = folder.StartCli({"--name", "long", "records/long.csv"});
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists("velocity-started"); }));
  const ProcessResult second = folder.RunCli({"--name", "short", "records/short.csv"});
  const ProcessResult firstResult = first->Wait();

  ASSERT_EQ(firstResult.exitCode, 0) << firstResult.err;
  ASSERT_EQ(second.exitCode, 0) << second.err;
  const std::string waiting = "waiting for another conversion in " + folder.path() + " to finish";
  const std::vector<std::string> lines = Lines(second.err);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), waiting), 1) << second.err;
  EXPECT_EQ(
      std::make_pair(folder.Read("records/long_vel.csv"), folder.Read("records/long_dis.csv")),
      SoloResults(folder.Read("records/long.csv")));
  EXPECT_EQ(
      std::make_pair(folder.Read("records/short_vel.csv"), folder.Read("records/short_dis.csv")),
      SoloResults(folder.Read("records/short.csv")));
}

TEST_F(SharedFolderTest, NoWaitRefusesAtOnceNamingTheFolder) {
  auto first = folder.StartCli({"--name", "long", "records/long.csv"});
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists("velocity-started"); }));
  const ProcessResult second = folder.RunCli({"--no-wait", "--name", "short", "records/short.csv"});
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_EQ(second.err,
            "error: another conversion is running in the exchange folder " + folder.path() + "\n");
  EXPECT_FALSE(folder.Exists("records/short_acc.csv"));
  EXPECT_EQ(first->Wait().exitCode, 0);
}

// --- interruptions -------------------------------------------------------------------------

enum class Moment { kReading, kJob, kMatrixWrite };

struct Interruption {
  int signal;
  Moment moment;
};

class InterruptionTest : public ::testing::TestWithParam<Interruption> {
 protected:
  void SetUp() override {
    std::signal(SIGPIPE, SIG_IGN);  // the record is fed through a pipe the run may close
    for (const std::string& output : kOutputs) folder.Write(output, Earlier(output));
    folder.Write("prepared/velout.csv", LargeResult(300000));
    folder.Write("prepared/amp3.csv", "\"freq\",\"1ch\"\r\n");
    folder.Write("prepared/disout.csv", LargeResult(3));
    // The velocity job leaves a child behind it that only its process group reaches, and
    // writes both their ids, so the test can tell whether they were stopped.
    folder.WriteJob("fftvel.bat",
                    "echo $$ > \"$here/job.pid\"\n"
                    "if [ -e \"$here/slow-job\" ]; then\n"
                    "  sleep 60 &\n"
                    "  echo $! > \"$here/child.pid\"\n"
                    "  wait\n"
                    "fi\n"
                    "cp \"$here/prepared/velout.csv\" \"$here/velout.csv\"\n"
                    "cp \"$here/prepared/amp3.csv\" \"$here/amp3.csv\"\n");
    folder.WriteJob("fftdis.bat",
                    "cp \"$here/prepared/disout.csv\" \"$here/disout.csv\"\n"
                    "cp \"$here/prepared/amp3.csv\" \"$here/amp3.csv\"\n");
  }

  TestProgramFolder folder;
};

TEST_P(InterruptionTest, LeavesNothingBehindAndKeepsEarlierFiles) {
  const Interruption interruption = GetParam();
  const std::string record = Record(200);
  std::vector<std::string> keptEarlier;
  std::string step;
  std::unique_ptr<StartedProcess> run;

  switch (interruption.moment) {
    case Moment::kReading: {
      // The record comes through a pipe: the run is reading for as long as the test feeds it.
      ASSERT_EQ(::mkfifo(folder.Path("records/site1.csv").c_str(), 0644), 0);
      run = folder.StartCli({"--name", "b1", "records/site1.csv"});
      std::ofstream feed(folder.Path("records/site1.csv"), std::ios::binary);
      feed << record.substr(0, record.size() / 2) << std::flush;
      std::this_thread::sleep_for(200ms);
      run->Signal(interruption.signal);
      std::this_thread::sleep_for(200ms);
      feed << record.substr(record.size() / 2) << std::flush;
      keptEarlier = kOutputs;
      step = "step 4 (reading the acceleration record)";
      break;
    }
    case Moment::kJob:
      folder.Write("records/site1.csv", record);
      folder.Write("slow-job", "");
      run = folder.StartCli({"--name", "b1", "records/site1.csv"});
      ASSERT_TRUE(WaitUntil([&] { return folder.Exists("child.pid"); }));
      run->Signal(interruption.signal);
      keptEarlier = {kOutputs.begin() + 1, kOutputs.begin() + 3};
      keptEarlier.insert(keptEarlier.end(), kOutputs.begin() + 4, kOutputs.end());
      step = "step 14 (running the velocity job)";
      break;
    case Moment::kMatrixWrite:
      folder.Write("records/site1.csv", record);
      run = folder.StartCli({"--name", "b1", "records/site1.csv"});
      ASSERT_TRUE(WaitUntil([&] {
        for (const auto& entry : fs::directory_iterator(folder.Path("out")))
          if (entry.path().filename().string().starts_with(".b1_velmat.prn.part-")) return true;
        return false;
      }));
      run->Signal(interruption.signal);
      keptEarlier = {"out/b1_velmat.prn", "out/b1_dismat.prn", "records/site1_dis.csv",
                     "records/site1_disAmp.csv"};
      // The matrix is written as the result is read, and put in place at step 18.
      step = "step 16 (reading the velocity result)";
      break;
  }
  const ProcessResult result = run->Wait();

  EXPECT_EQ(result.exitCode, 128 + interruption.signal) << result.err;
  ASSERT_FALSE(Lines(result.err).empty());
  EXPECT_EQ(Lines(result.err).back(), "error: interrupted at " + step);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(Temporaries(folder.path()).empty());
  for (const std::string& name : kExchangeFiles) EXPECT_FALSE(folder.Exists(name)) << name;
  for (const std::string& output : keptEarlier)
    EXPECT_EQ(folder.Read(output), Earlier(output)) << output;
  for (const char* pidFile : {"job.pid", "child.pid"})
    if (folder.Exists(pidFile)) EXPECT_TRUE(ProcessGone(folder.Read(pidFile))) << pidFile;
}

INSTANTIATE_TEST_SUITE_P(SignalsAndMoments, InterruptionTest,
                         ::testing::Values(Interruption{SIGINT, Moment::kReading},
                                           Interruption{SIGTERM, Moment::kReading},
                                           Interruption{SIGINT, Moment::kJob},
                                           Interruption{SIGTERM, Moment::kJob},
                                           Interruption{SIGHUP, Moment::kJob},
                                           Interruption{SIGINT, Moment::kMatrixWrite},
                                           Interruption{SIGTERM, Moment::kMatrixWrite}),
                         [](const ::testing::TestParamInfo<Interruption>& info) {
                           const char* moment = info.param.moment == Moment::kReading ? "Reading"
                                                : info.param.moment == Moment::kJob   ? "Job"
                                                                                    : "MatrixWrite";
                           return std::string(sigabbrev_np(info.param.signal)) + "While" + moment;
                         });

TEST_F(InterruptionTest, AKilledRunsLeftoversAreRemovedByTheNextRun) {
  folder.Write("records/site1.csv", Record(200));
  auto killed = folder.StartCli({"--name", "b1", "records/site1.csv"});
  std::string temporary;
  ASSERT_TRUE(WaitUntil([&] {
    for (const auto& entry : fs::directory_iterator(folder.Path("out")))
      if (entry.path().filename().string().starts_with(".b1_velmat.prn.part-"))
        temporary = entry.path().string();
    return !temporary.empty();
  }));
  killed->Signal(SIGKILL);
  killed->Wait();
  ASSERT_TRUE(folder.Exists(temporary));
  ASSERT_TRUE(folder.Exists("outacc.csv"));

  const ProcessResult next = folder.RunCli({"--name", "b1", "records/site1.csv"});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  const std::string notice = Lines(next.err).front();
  EXPECT_TRUE(notice.starts_with("removed ")) << next.err;
  EXPECT_NE(notice.find(" left by an earlier conversion that did not finish: "), std::string::npos)
      << notice;
  for (const std::string& gone : {temporary, folder.Path("outacc.csv"), folder.Path("velout.csv")})
    EXPECT_NE(notice.find(gone), std::string::npos) << gone << " in " << notice;
  EXPECT_TRUE(Temporaries(folder.path()).empty());
  EXPECT_EQ(next.out, "done\n");
  const std::string matrix = folder.Read("out/b1_velmat.prn");
  EXPECT_EQ(std::count(matrix.begin(), matrix.end(), '\n'), 300000);
}

// A job killed outright together with its run leaves its half-written result; its process is
// gone, or ended and never reaped where init does not reap: either way the next run takes it.
TEST(KilledOutright, AJobsTemporariesAreRemovedByTheNextRun) {
  TestProgramFolder folder;
  folder.Write("records/site1.csv", Record(200));
  folder.WriteJob("fftvel.bat",
                  "echo partial > \"$here/.velout.csv.part-$$-0\"\n"
                  "echo $$ > \"$here/job.pid\"\n"
                  "exec sleep 60\n");
  auto killed = folder.StartCli({"--name", "b1", "records/site1.csv"});
  ASSERT_TRUE(
      WaitUntil([&] { return folder.Exists("job.pid") && !folder.Read("job.pid").empty(); }));
  const std::string job = Lines(folder.Read("job.pid")).front();
  const std::string temporary = folder.Path(".velout.csv.part-" + job + "-0");
  killed->Signal(SIGKILL);
  ASSERT_EQ(::kill(std::stoi(job), SIGKILL), 0);
  killed->Wait();  // the job held the run's standard output until now
  ASSERT_TRUE(WaitUntil([&] { return ProcessGone(job); }));
  ASSERT_TRUE(folder.Exists(temporary));

  folder.InstallTestJobs(LargeResult(3), LargeResult(3));
  const ProcessResult next = folder.RunCli({"--name", "b1", "records/site1.csv"});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_NE(Lines(next.err).front().find(temporary), std::string::npos) << next.err;
  EXPECT_TRUE(Temporaries(folder.path()).empty());
}

// Ctrl-C ends a run that waits for a FIFO nobody feeds at once, through the run's own unwinding
// (its step named), not the last resort of the signal handler.
TEST_F(InterruptionTest, CtrlCToARunWaitingForAnUnfedFifoEndsItsRead) {
  ASSERT_EQ(::mkfifo(folder.Path("records/site1.csv").c_str(), 0644), 0);
  auto run = folder.StartCli({"--name", "b1", "records/site1.csv"});
  std::this_thread::sleep_for(300ms);
  run->Signal(SIGINT);
  const ProcessResult result = run->Wait();
  EXPECT_EQ(result.exitCode, 130);
  ASSERT_FALSE(Lines(result.err).empty());
  EXPECT_EQ(Lines(result.err).back(),
            "error: interrupted at step 4 (reading the acceleration record)");
  EXPECT_TRUE(Temporaries(folder.path()).empty());
}

// --- inputs a run must not lose -------------------------------------------------------------

TEST(InputsKept, ABatchWhoseOutputIsAnotherInputIsRefusedBeforeAnythingRuns) {
  TestProgramFolder folder;
  folder.InstallTestJobs(LargeResult(3), LargeResult(3));
  folder.Write("records/a.csv", Record(20));
  folder.Write("records/a_acc.csv", Record(30));  // a record of its own, not a conversion's
  for (const std::vector<std::string>& inputs :
       {std::vector<std::string>{"records/a.csv", "records/a_acc.csv"},
        std::vector<std::string>{"records/a_acc.csv", "records/a.csv"}}) {
    const ProcessResult run = folder.RunCli({"--name", "bt", inputs[0], inputs[1]});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "error: records/a.csv: records/a_acc.csv: the output would replace the "
              "input file records/a_acc.csv\n0 of 2 inputs converted; the batch stopped "
              "at records/a.csv\n");
    EXPECT_EQ(folder.Read("records/a_acc.csv"), Record(30));
    EXPECT_TRUE(fs::is_empty(folder.Path("out")));
    EXPECT_FALSE(folder.Exists("jobs.log"));
  }
}

TEST(InputsKept, AnExchangeFileGivenAsTheInputIsRefusedBeforeTheSweep) {
  TestProgramFolder folder;
  folder.InstallTestJobs(LargeResult(3), LargeResult(3));
  for (const std::string& name : kExchangeFiles) {
    folder.Write(name, Record(20));
    const ProcessResult run = folder.RunCli({"--name", "x", folder.Path(name)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "error: the input is the exchange file " + folder.Path(name) +
                           ", which every conversion in this folder removes: copy it elsewhere "
                           "and convert the copy\n");
    EXPECT_EQ(folder.Read(name), Record(20));
    folder.Remove(name);
  }
  // A record whose name looks like a temporary of a process that is gone is no leftover.
  const std::string lookalike = "records/.r.csv.part-" + std::to_string(INT32_MAX - 1) + "-0";
  folder.Write(lookalike, Record(20));
  const ProcessResult run = folder.RunCli({"--name", "x", lookalike});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(folder.Read(lookalike), Record(20));
}

}  // namespace
}  // namespace accprep::testing
