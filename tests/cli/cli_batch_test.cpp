#include "cli/cli_batch.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

// What one run saw of its host.
struct SeenRun {
  std::string input;
  std::string baseName;
  std::string comment;
  std::string exchangeFolder;
  bool waits = false;
};

class RunBatchTest : public ::testing::Test {
 protected:
  // A stand-in for the conversion run that records its host's answers, shows the captions
  // of a complete run and fails for the inputs named in failFor.
  ConversionFn Recorder() {
    return [this](const RunInputs& inputs, RunObserver& host) {
      seen.push_back({inputs.inputPath, inputs.outputBaseName, inputs.comment,
                      inputs.exchangeFolder, inputs.waitForExchangeFolder});
      host.SetStatusCaption(kStatusReading);
      if (inputs.inputPath == failFor) {
        EngineError error(ErrorKind::kIo, "No such file or directory", failFor);
        error.SetStep(RunStep::kReadRecord);
        throw error;
      }
      host.SetStatusCaption(kStatusFinished);
      host.ShowMessage(kDoneMessage);
    };
  }

  int Run(std::vector<std::string> inputs, std::string comment = "") {
    return RunBatch({"b1", std::move(comment), std::move(inputs)}, "/opt/accprep", {out, err},
                    Recorder());
  }

  std::ostringstream out, err;
  std::vector<SeenRun> seen;
  std::string failFor;
};

TEST_F(RunBatchTest, SingleInputKeepsBaseNameAndPrintsNoHeading) {
  EXPECT_EQ(Run({"recs/a.csv"}, "site A"), kExitSuccess);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].input, "recs/a.csv");
  EXPECT_EQ(seen[0].baseName, "b1");
  EXPECT_EQ(seen[0].comment, "site A");
  EXPECT_EQ(seen[0].exchangeFolder, "/opt/accprep");
  EXPECT_TRUE(seen[0].waits);  // for another conversion in the folder, unless --no-wait
  EXPECT_EQ(err.str(), "読み込み中\n終了\n");
  EXPECT_EQ(out.str(), "done\n");
}

TEST_F(RunBatchTest, BatchRunsEachInputInTurnUnderItsOwnBaseName) {
  EXPECT_EQ(Run({"a.csv", "x/c.csv"}), kExitSuccess);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].baseName, "b1_a");
  EXPECT_EQ(seen[1].baseName, "b1_c");
  EXPECT_EQ(seen[1].input, "x/c.csv");
  EXPECT_EQ(seen[1].comment, "");
  EXPECT_EQ(err.str(), "[1/2] a.csv\n読み込み中\n終了\n[2/2] x/c.csv\n読み込み中\n終了\n");
  EXPECT_EQ(out.str(), "done\ndone\n");
}

TEST_F(RunBatchTest, SingleFailureIsReportedWithTheRunsMessage) {
  failFor = "a.csv";
  EXPECT_EQ(Run({"a.csv"}), kExitFailure);
  EXPECT_EQ(err.str(),
            "読み込み中\n"
            "error: step 4 (reading the acceleration record): a.csv: No such file or directory\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(RunBatchTest, FirstFailingInputStopsTheBatchAndIsNamed) {
  failFor = "c.csv";
  EXPECT_EQ(Run({"a.csv", "c.csv", "d.csv"}), kExitFailure);
  ASSERT_EQ(seen.size(), 2u);  // d.csv never started
  EXPECT_TRUE(err.str().ends_with(
      "[2/3] c.csv\n読み込み中\n"
      "error: c.csv: step 4 (reading the acceleration record): c.csv: No such file or "
      "directory\n"
      "1 of 3 inputs converted; the batch stopped at c.csv\n"))
      << err.str();
  EXPECT_EQ(out.str(), "done\n");
}

TEST(RunBatch, OutOfMemoryAndOtherFailuresBecomeMessagesNotCrashes) {
  std::ostringstream out, err;
  const CliOptions options{"b1", "", {"a.csv"}};
  EXPECT_EQ(RunBatch(options, "/x", {out, err},
                     [](const RunInputs&, RunObserver&) { throw std::bad_alloc(); }),
            kExitFailure);
  EXPECT_EQ(err.str(), "error: a.csv: not enough memory for the sample table\n");
  err.str("");
  EXPECT_EQ(
      RunBatch(options, "/x", {out, err},
               [](const RunInputs&, RunObserver&) { throw std::runtime_error("unexpected"); }),
      kExitFailure);
  EXPECT_EQ(err.str(), "error: unexpected\n");
}

TEST(RunBatch, InterruptedRunNamesItsStepAndExitsWithTheSignal) {
  std::ostringstream out, err;
  CliOptions options{"b1", "", {"a.csv"}};
  options.noWait = true;
  RequestInterruption(SIGTERM);
  const int code = RunBatch(options, "/x", {out, err}, [](const RunInputs& inputs, RunObserver&) {
    EXPECT_FALSE(inputs.waitForExchangeFolder);
    EngineError error(ErrorKind::kInterrupted, "interrupted by SIGTERM");
    error.SetStep(RunStep::kRunVelocityJob);
    throw error;
  });
  ClearInterruption();
  EXPECT_EQ(code, 128 + SIGTERM);
  EXPECT_EQ(err.str(), "error: interrupted at step 14 (running the velocity job)\n");
}

TEST(RunBatch, FailureClearsTheBarBeforeTheMessage) {
  std::ostringstream out, err;
  const CliOptions options{"b1", "", {"a.csv"}};
  const auto failMidFile = [](const RunInputs&, RunObserver& host) {
    host.SetProgressMaximum(10.0f);
    host.SetProgressValue(1.0f);
    throw EngineError(ErrorKind::kIo, "No space left on device", "out/b1_accmat.prn");
  };
  EXPECT_EQ(RunBatch(options, "/x", {out, err, /*showProgress=*/true}, failMidFile), kExitFailure);
  EXPECT_TRUE(
      err.str().ends_with("1/10\x1b[K\r\x1b[Kerror: out/b1_accmat.prn: No space left on device\n"))
      << err.str();
}

}  // namespace
}  // namespace accprep
