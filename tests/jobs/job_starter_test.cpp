// The job starter: how a job is started, how its end is judged, and what the user is told.

#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/integration_jobs.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::FileExists;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteExecutable;
using testing::WriteJob;
using testing::WriteWholeFile;

// Runs the job and returns the message of the EngineError it must throw.
std::string FailureOf(const std::string& job, const std::vector<std::string>& results,
                      ErrorKind expectedKind = ErrorKind::kJob) {
  return testing::EngineErrorText([&] { RunIntegrationJob(job, results); }, expectedKind);
}

TEST(JobStarter, RunsTheJobByPathWithoutArgumentsInputOrFolderOfItsOwn) {
  TemporaryFolder folder;
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  const std::string job = folder.File("fftvel.bat");
  // $0 must be the full path (the shipped jobs find their folder from it); stdin must be at
  // its end at once, or a job that reads would hang the run.
  WriteJob(job,
           "[ $# -eq 0 ] || exit 11\n"
           "[ \"$0\" = '" +
               job +
               "' ] || exit 12\n"
               "if read -r line; then exit 13; fi\n"
               "pwd > \"$here/velout.csv\"\n"
               "echo spectrum > \"$here/amp3.csv\"");
  RunIntegrationJob(job, {folder.File("velout.csv"), folder.File("amp3.csv")});
  EXPECT_EQ(ReadWholeFile(folder.File("velout.csv")), std::string(cwd) + "\n");
  EXPECT_EQ(ReadWholeFile(folder.File("amp3.csv")), "spectrum\n");
}

TEST(JobStarter, PathWithBlanksNeedsNoQuoting) {
  TemporaryFolder folder("exchange folder");
  const std::string job = folder.File("velocity job.bat");
  WriteJob(job, "echo v > \"$here/velout.csv\"");
  RunIntegrationJob(job, {folder.File("velout.csv")});
  EXPECT_EQ(ReadWholeFile(folder.File("velout.csv")), "v\n");
}

TEST(JobStarter, NonZeroExitNamesJobCodeAndLastTwentyErrorLines) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  WriteJob(job,
           "i=1\nwhile [ $i -le 30 ]; do echo \"problem $i\" >&2; i=$((i+1)); done\n"
           "echo 'on stdout, not quoted' \nexit 3");
  std::string tail;
  for (int i = 11; i <= 30; ++i) {
    if (i > 11) tail += '\n';
    tail += "problem " + std::to_string(i);
  }
  EXPECT_EQ(FailureOf(job, {folder.File("velout.csv")}),
            "job " + job + " ended with exit code 3; its last error output:\n" + tail);
}

TEST(JobStarter, NonZeroExitWithoutErrorOutputSaysSo) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftdis.bat");
  WriteJob(job, "exit 1");
  EXPECT_EQ(FailureOf(job, {}),
            "job " + job + " ended with exit code 1 and wrote nothing to its error output");
}

TEST(JobStarter, LongErrorLineIsCutToABoundedTail) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  // 200,000 bytes in one line: the message keeps only its end.
  WriteJob(job,
           "i=0\nwhile [ $i -lt 2000 ]; do printf '%0100d' $i >&2; i=$((i+1)); done\n"
           "echo ' last words' >&2\nexit 2");
  const std::string message = FailureOf(job, {});
  EXPECT_LT(message.size(), 5000u);
  EXPECT_NE(message.find("exit code 2; its last error output:\n"), std::string::npos);
  EXPECT_EQ(message.substr(message.size() - 11), " last words");
}

TEST(JobStarter, JobEndedBySignalIsNamed) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  WriteJob(job, "echo 'about to go' >&2\nkill -9 $$");
  EXPECT_EQ(FailureOf(job, {}), "job " + job +
                                    " was ended by signal 9 (Killed); its last error output:\n"
                                    "about to go");
}

// A host that ignores SIGCHLD has its children reaped by the system: the job's end cannot be
// learnt, which is a failure, never a job that ended well.
TEST(JobStarter, AJobWhoseEndCannotBeWaitedForFails) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  WriteJob(job, "echo v > \"$here/velout.csv\"\nexit 3");
  const auto previous = std::signal(SIGCHLD, SIG_IGN);
  const std::string message = FailureOf(job, {folder.File("velout.csv")});
  std::signal(SIGCHLD, previous);
  EXPECT_EQ(message, "job " + job + " could not be waited for, so how it ended is unknown: " +
                         SystemReason(ECHILD));
}

TEST(JobStarter, JobThatCannotBeStartedGivesTheSystemsReason) {
  TemporaryFolder folder;
  const std::string missing = folder.File("fftvel.bat");
  EXPECT_EQ(FailureOf(missing, {}),
            "job " + missing + " could not be started: No such file or directory");

  const std::string notRunnable = folder.File("fftdis.bat");
  WriteWholeFile(notRunnable, testing::JobScript("exit 0"));
  // No run bit at all: even root may not execute it.
  EXPECT_EQ(FailureOf(notRunnable, {}),
            "job " + notRunnable + " could not be started: Permission denied");

  const std::string noInterpreter = folder.File("broken.bat");
  WriteExecutable(noInterpreter, "#!/no/such/shell\nexit 0\n");
  EXPECT_EQ(FailureOf(noInterpreter, {}),
            "job " + noInterpreter + " could not be started: No such file or directory");
}

TEST(JobStarter, StaleResultsAreRemovedBeforeTheJobStarts) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  const std::string result = folder.File("velout.csv");
  const std::string spectrum = folder.File("amp3.csv");
  WriteWholeFile(result, "left by an interrupted run\n");
  WriteWholeFile(spectrum, "left by an interrupted run\n");
  // The job sees neither file, writes its spectrum but forgets its result.
  WriteJob(job,
           "[ -e \"$here/velout.csv\" ] && exit 21\n"
           "[ -e \"$here/amp3.csv\" ] && exit 22\n"
           "echo new > \"$here/amp3.csv\"");
  EXPECT_EQ(FailureOf(job, {result, spectrum}), "job " + job + " ended without writing " + result);
  EXPECT_FALSE(FileExists(result));
  EXPECT_EQ(ReadWholeFile(spectrum), "new\n");
}

TEST(JobStarter, MissingSpectrumIsNamedToo) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftdis.bat");
  WriteJob(job, "echo d > \"$here/disout.csv\"");
  EXPECT_EQ(FailureOf(job, {folder.File("disout.csv"), folder.File("amp3.csv")}),
            "job " + job + " ended without writing " + folder.File("amp3.csv"));
}

TEST(JobStarter, StaleResultThatCannotBeRemovedStopsBeforeTheStart) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  const std::string marker = folder.File("started");
  WriteJob(job, "touch '" + marker + "'");
  std::filesystem::create_directory(folder.File("velout.csv"));
  const std::string message = FailureOf(job, {folder.File("velout.csv")}, ErrorKind::kIo);
  EXPECT_EQ(message.rfind(
                folder.File("velout.csv") + ": cannot remove the result an earlier run left: ", 0),
            0u)
      << message;
  EXPECT_FALSE(FileExists(marker));
}

TEST(JobStarter, DoesNotWaitForABackgroundProcessTheJobLeftBehind) {
  TemporaryFolder folder;
  const std::string job = folder.File("fftvel.bat");
  const std::string marker = folder.File("background-done");
  // The background process inherits the error output pipe and holds it after the job ends.
  WriteJob(job, "(sleep 2; touch '" + marker +
                    "') &\n"
                    "echo v > \"$here/velout.csv\"");
  RunIntegrationJob(job, {folder.File("velout.csv")});
  EXPECT_FALSE(FileExists(marker));
  // Let it finish before the folder goes.
  for (int i = 0; i < 100 && !FileExists(marker); ++i) ::usleep(100000);
}

}  // namespace
}  // namespace accprep
