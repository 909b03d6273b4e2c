// Integration jobs that fail the run or hand back something unusual: killed by a signal
// mid-write, a malformed or non-finite value in the result, more records than the table
// holds, fewer records than the acceleration record.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "engine/engine_error.hpp"
#include "run_scene.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Replaced(const RunScene& scene,
                                            std::initializer_list<const char*> keys) {
  std::map<std::string, std::string> replaced;
  for (const std::string& path : scene.Outputs())
    for (const char* key : keys)
      if (OutputKey(path) == key) replaced[path] = ReferenceOutputs().at(key);
  return replaced;
}

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos ? "" : "\"" + part + "\" missing in: " + text;
}

TEST(JobFaults, JobKilledBySignalMidWriteLeavesNoHalfResultAnywhere) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  // The system ends the real integrator with SIGXFSZ once its result passes 8 KB: killed in
  // the middle of writing, with no chance to remove its temporary file.
  scene.WrapShippedJob("fftvel.bat", "ulimit -f 16", "");
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, 14);
  EXPECT_EQ(Contains(outcome.reason, scene.InProgram("fftvel.bat")), "");
  EXPECT_EQ(Contains(outcome.reason, "was ended by signal " + std::to_string(SIGXFSZ)), "");
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_FALSE(fs::exists(scene.InProgram("velout.csv")));
  ExpectNothingLost(scene, before, Replaced(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));
}

TEST(JobFaults, PartialResultOfAKilledJobIsNeverTakenOver) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  // A job that writes its result under the final name and is killed half-way.
  const std::string& result = ReferenceOutputs().at("site1_vel.csv");
  WriteWholeFile(scene.records() + "/../half-velout.csv", result.substr(0, result.size() / 2));
  scene.WriteJob("fftvel.bat",
                 "cp \"$here/../half-velout.csv\" \"$here/velout.csv\"\n"
                 "kill -KILL $$\n");
  FileSnapshot before = scene.Snapshot();
  RunOutcome outcome = scene.Run();
  EXPECT_EQ(outcome.step, 14);
  EXPECT_EQ(Contains(outcome.reason, "was ended by signal " + std::to_string(SIGKILL)), "");
  ExpectNothingLost(scene, before, Replaced(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));

  // The half result is still in the exchange folder; the next run with a working job must
  // not take it.
  fs::copy_file(fs::path(ACCPREP_PROGRAM_FOLDER) / "fftvel.bat", scene.InProgram("fftvel.bat"),
                fs::copy_options::overwrite_existing);
  before = scene.Snapshot();
  outcome = scene.Run();
  ASSERT_TRUE(outcome.completed) << outcome.message;
  std::map<std::string, std::string> all;
  for (const std::string& path : scene.Outputs())
    all[path] = ReferenceOutputs().at(OutputKey(path));
  // The half result and the exchange CSV the failed run left are gone, as they should be.
  before.erase(scene.InProgram("velout.csv"));
  before.erase(scene.InProgram("outacc.csv"));
  ExpectNothingLost(scene, before, all);
}

// Runs the scene with the velocity job's result edited by `edit` (shell lines run in the
// exchange folder after the real integration) and expects the read of step 16 to fail.
RunOutcome RunWithEditedVelocityResult(RunScene& scene, const std::string& edit) {
  scene.WrapShippedJob("fftvel.bat", "", "cd \"$here\" || exit 9\n" + edit);
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, 16) << outcome.message;
  EXPECT_EQ(outcome.file, scene.InProgram("velout.csv")) << outcome.message;
  EXPECT_TRUE(outcome.messages.empty());
  // The result is read before its copies replace anything: the earlier copies beside the
  // input stay as they were. The velocity matrix is never begun.
  ExpectNothingLost(scene, before, Replaced(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));
  EXPECT_EQ(ReadWholeFile(scene.InProgram("out/b1_velmat.prn")), "earlier b1_velmat.prn\r\n");
  return outcome;
}

TEST(JobFaults, ResultWithAMalformedLineStopsItsReadNamingLineAndField) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  // Line 5 loses the comma between its 3rd and 4th values, and line 9 gets an empty field.
  const RunOutcome outcome =
      RunWithEditedVelocityResult(scene, "sed -i -e '5s/,/;/3' -e '9s/,/,,/' velout.csv");
  EXPECT_EQ(Contains(outcome.message, "line 5, field 3: not a number"), "");
}

TEST(JobFaults, NonFiniteTextInAResultIsRefusedAsNotFinite) {
  for (const char* text : {"nan", "inf", "-Infinity", "1e999"}) {
    SCOPED_TRACE(text);
    RunScene scene;
    ASSERT_TRUE(scene.Prepare());
    const RunOutcome outcome = RunWithEditedVelocityResult(
        scene, std::string("sed -i '3s/,[^,]*/,") + text + "/' velout.csv");
    EXPECT_EQ(Contains(outcome.message,
                       std::string("line 3, field 2: value is not finite: \"") + text + "\""),
              "");
  }
}

TEST(JobFaults, ResultBeyondTheTableCapacityStopsItsRead) {
  // 450,001 records of the shortest kind.
  std::string result = "\"time\",\"1ch\"\r\n";
  std::string zeros;
  for (int c = 1; c <= 40; ++c) zeros += ",0";
  zeros += "\r\n";
  result.reserve(result.size() + 450001 * (zeros.size() + 8));
  for (int r = 1; r <= 450001; ++r) result += std::to_string(r) + zeros;
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  WriteWholeFile(scene.records() + "/../huge-velout.csv", result);
  const RunOutcome outcome = RunWithEditedVelocityResult(scene, "cp ../huge-velout.csv velout.csv");
  EXPECT_EQ(Contains(outcome.reason, "more than 450000 records"), "");
  EXPECT_EQ(Contains(outcome.message, "line 450002"), "");
}

TEST(JobFaults, ResultWithFewerRecordsIsTakenAsItIsAndNothingStaleIsWritten) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  scene.WrapShippedJob(
      "fftvel.bat", "",
      "cd \"$here\" || exit 9\nhead -n 101 velout.csv > short && mv short velout.csv");
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  ASSERT_TRUE(outcome.completed) << outcome.message;
  EXPECT_EQ(outcome.messages, std::vector<std::string>{"done"});
  EXPECT_EQ(outcome.captions.back(), "終了");

  // The velocity files hold the result's own 100 records, the rows of the table below them
  // (still the acceleration record) appear nowhere; every other output is the usual one.
  const auto& reference = ReferenceOutputs();
  const std::string& fullVelocity = reference.at("site1_vel.csv");
  std::size_t cut = 0;
  for (int line = 0; line < 101; ++line) cut = fullVelocity.find("\r\n", cut) + 2;
  const std::string& fullMatrix = reference.at("out/b1_velmat.prn");
  std::size_t matrixCut = 0;
  for (int line = 0; line < 100; ++line) matrixCut = fullMatrix.find("\r\n", matrixCut) + 2;
  std::map<std::string, std::string> replaced;
  for (const std::string& path : scene.Outputs()) replaced[path] = reference.at(OutputKey(path));
  replaced[scene.InRecords("site1_vel.csv")] = fullVelocity.substr(0, cut);
  replaced[scene.InProgram("out/b1_velmat.prn")] = fullMatrix.substr(0, matrixCut);
  ExpectNothingLost(scene, before, replaced);
}

}  // namespace
}  // namespace accprep::testing

namespace accprep::testing {
namespace {

TEST(JobFaults, AccelerationNearTheDoubleRangeFailsTheJobInsteadOfGivingNonFiniteResults) {
  // Values of 1.5e304 still round to four decimals, but the transform of 20,000 of them,
  // alternating in sign, passes the largest double.
  std::string record = "huge\r\nvalues\r\n";
  for (int r = 1; r <= 20000; ++r) {
    record += std::to_string(r) + "e-2," + (r % 2 == 1 ? "1.5e304" : "-1.5e304");
    for (int c = 2; c <= 42; ++c) record += ",0";
    record += "\r\n";
  }
  RunScene scene;
  ASSERT_TRUE(scene.Prepare(record));
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, 14) << outcome.message;
  EXPECT_EQ(Contains(outcome.reason, "channel 1ch"), "");
  EXPECT_EQ(Contains(outcome.reason, "not finite"), "");
  // Nothing that is not a number reaches a file beside the input.
  const std::string acceleration = ReadWholeFile(scene.InRecords("site1_acc.csv"));
  std::map<std::string, std::string> replaced = {
      {scene.InRecords("site1_acc.csv"), acceleration},
      {scene.InProgram("out/b1_accmat.prn"), ReadWholeFile(scene.InProgram("out/b1_accmat.prn"))}};
  EXPECT_EQ(acceleration.find("inf"), std::string::npos);
  ExpectNothingLost(scene, before, replaced);
  EXPECT_FALSE(fs::exists(scene.InProgram("velout.csv")));
}

}  // namespace
}  // namespace accprep::testing
