// The job starter: how a job is started, how its end is judged, and what the user is told.

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/integration_jobs.hpp"
#include "job_test_support.hpp"

namespace accprep {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::string Script(const std::string& body) { return "#!/bin/sh\n" + body + "\n"; }

// Runs the job and returns the message of the EngineError it must throw.
std::string FailureOf(const std::string& job, const std::vector<std::string>& results,
                      ErrorKind expectedKind = ErrorKind::kJob) {
  try {
    RunIntegrationJob(job, results);
  } catch (const EngineError& error) {
    EXPECT_EQ(error.kind(), expectedKind) << error.what();
    return error.what();
  }
  ADD_FAILURE() << "job " << job << " was expected to fail";
  return {};
}

TEST(JobStarter, RunsTheJobByPathWithoutArgumentsInputOrFolderOfItsOwn) {
  TempFolder folder;
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  const std::string job = folder / "fftvel.bat";
  // $0 must be the full path (the shipped jobs find their folder from it); stdin must be at
  // its end at once, or a job that reads would hang the run.
  WriteFile(job, Script("here=$(dirname \"$0\")\n"
                        "[ $# -eq 0 ] || exit 11\n"
                        "[ \"$0\" = '" + job + "' ] || exit 12\n"
                        "if read -r line; then exit 13; fi\n"
                        "pwd > \"$here/velout.csv\"\n"
                        "echo spectrum > \"$here/amp3.csv\""),
            0755);
  RunIntegrationJob(job, {folder / "velout.csv", folder / "amp3.csv"});
  EXPECT_EQ(ReadFile(folder / "velout.csv"), std::string(cwd) + "\n");
  EXPECT_EQ(ReadFile(folder / "amp3.csv"), "spectrum\n");
}

TEST(JobStarter, PathWithBlanksNeedsNoQuoting) {
  TempFolder folder("exchange folder");
  const std::string job = folder / "velocity job.bat";
  WriteFile(job, Script("here=$(dirname \"$0\")\necho v > \"$here/velout.csv\""), 0755);
  RunIntegrationJob(job, {folder / "velout.csv"});
  EXPECT_EQ(ReadFile(folder / "velout.csv"), "v\n");
}

TEST(JobStarter, NonZeroExitNamesJobCodeAndLastTwentyErrorLines) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  WriteFile(job,
            Script("i=1\nwhile [ $i -le 30 ]; do echo \"problem $i\" >&2; i=$((i+1)); done\n"
                   "echo 'on stdout, not quoted' \nexit 3"),
            0755);
  std::string tail;
  for (int i = 11; i <= 30; ++i) {
    if (i > 11) tail += '\n';
    tail += "problem " + std::to_string(i);
  }
  EXPECT_EQ(FailureOf(job, {folder / "velout.csv"}),
            "job " + job + " ended with exit code 3; its last error output:\n" + tail);
}

TEST(JobStarter, NonZeroExitWithoutErrorOutputSaysSo) {
  TempFolder folder;
  const std::string job = folder / "fftdis.bat";
  WriteFile(job, Script("exit 1"), 0755);
  EXPECT_EQ(FailureOf(job, {}),
            "job " + job + " ended with exit code 1 and wrote nothing to its error output");
}

TEST(JobStarter, LongErrorLineIsCutToABoundedTail) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  // 200,000 bytes in one line: the message keeps only its end.
  WriteFile(job, Script("i=0\nwhile [ $i -lt 2000 ]; do printf '%0100d' $i >&2; i=$((i+1)); done\n"
                        "echo ' last words' >&2\nexit 2"),
            0755);
  const std::string message = FailureOf(job, {});
  EXPECT_LT(message.size(), 5000u);
  EXPECT_NE(message.find("exit code 2; its last error output:\n"), std::string::npos);
  EXPECT_EQ(message.substr(message.size() - 11), " last words");
}

TEST(JobStarter, JobEndedBySignalIsNamed) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  WriteFile(job, Script("echo 'about to go' >&2\nkill -9 $$"), 0755);
  EXPECT_EQ(FailureOf(job, {}), "job " + job +
                                    " was ended by signal 9 (Killed); its last error output:\n"
                                    "about to go");
}

TEST(JobStarter, JobThatCannotBeStartedGivesTheSystemsReason) {
  TempFolder folder;
  const std::string missing = folder / "fftvel.bat";
  EXPECT_EQ(FailureOf(missing, {}),
            "job " + missing + " could not be started: No such file or directory");

  const std::string notRunnable = folder / "fftdis.bat";
  WriteFile(notRunnable, Script("exit 0"), 0644);
  // No run bit at all: even root may not execute it.
  EXPECT_EQ(FailureOf(notRunnable, {}),
            "job " + notRunnable + " could not be started: Permission denied");

  const std::string noInterpreter = folder / "broken.bat";
  WriteFile(noInterpreter, "#!/no/such/shell\nexit 0\n", 0755);
  EXPECT_EQ(FailureOf(noInterpreter, {}),
            "job " + noInterpreter + " could not be started: No such file or directory");
}

TEST(JobStarter, StaleResultsAreRemovedBeforeTheJobStarts) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  const std::string result = folder / "velout.csv";
  const std::string spectrum = folder / "amp3.csv";
  WriteFile(result, "left by an interrupted run\n");
  WriteFile(spectrum, "left by an interrupted run\n");
  // The job sees neither file, writes its spectrum but forgets its result.
  WriteFile(job, Script("here=$(dirname \"$0\")\n"
                        "[ -e \"$here/velout.csv\" ] && exit 21\n"
                        "[ -e \"$here/amp3.csv\" ] && exit 22\n"
                        "echo new > \"$here/amp3.csv\""),
            0755);
  EXPECT_EQ(FailureOf(job, {result, spectrum}), "job " + job + " ended without writing " + result);
  EXPECT_FALSE(Exists(result));
  EXPECT_EQ(ReadFile(spectrum), "new\n");
}

TEST(JobStarter, MissingSpectrumIsNamedToo) {
  TempFolder folder;
  const std::string job = folder / "fftdis.bat";
  WriteFile(job, Script("echo d > \"$(dirname \"$0\")/disout.csv\""), 0755);
  EXPECT_EQ(FailureOf(job, {folder / "disout.csv", folder / "amp3.csv"}),
            "job " + job + " ended without writing " + (folder / "amp3.csv"));
}

TEST(JobStarter, StaleResultThatCannotBeRemovedStopsBeforeTheStart) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  const std::string marker = folder / "started";
  WriteFile(job, Script("touch '" + marker + "'"), 0755);
  std::filesystem::create_directory(folder / "velout.csv");
  const std::string message = FailureOf(job, {folder / "velout.csv"}, ErrorKind::kIo);
  EXPECT_EQ(message.rfind(folder / "velout.csv: cannot remove the result an earlier run left: ", 0),
            0u)
      << message;
  EXPECT_FALSE(Exists(marker));
}

TEST(JobStarter, DoesNotWaitForABackgroundProcessTheJobLeftBehind) {
  TempFolder folder;
  const std::string job = folder / "fftvel.bat";
  const std::string marker = folder / "background-done";
  // The background process inherits the error output pipe and holds it after the job ends.
  WriteFile(job,
            Script("(sleep 2; touch '" + marker + "') &\n"
                   "echo v > \"$(dirname \"$0\")/velout.csv\""),
            0755);
  RunIntegrationJob(job, {folder / "velout.csv"});
  EXPECT_FALSE(Exists(marker));
  // Let it finish before the folder goes.
  for (int i = 0; i < 100 && !Exists(marker); ++i) ::usleep(100000);
}

}  // namespace
}  // namespace accprep
