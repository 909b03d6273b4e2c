#include "engine/atomic_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/inputs_in_use.hpp"
#include "engine/interruption.hpp"
#include "engine/process_status.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

namespace fs = std::filesystem;
using testing::EngineErrorText;
using testing::FileExists;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

std::vector<std::string> Names(const TemporaryFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The id of a process that has ended and been reaped.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(AtomicFile, ReplacesTheDestinationOnlyWhenCommitted) {
  TemporaryFolder folder;
  const std::string path = folder.File("out.csv");
  WriteWholeFile(path, "earlier\r\n");
  {
    AtomicFile file(path);
    file.Write("new ");
    EXPECT_EQ(ReadWholeFile(path), "earlier\r\n");
    EXPECT_EQ(Names(folder).size(), 2u);  // the destination and a hidden temporary beside it
    file.Write("text\r\n");
    file.Commit();
  }
  EXPECT_EQ(ReadWholeFile(path), "new text\r\n");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"out.csv"});

  {
    AtomicFile abandoned(path);
    abandoned.Write("half");
  }
  EXPECT_EQ(ReadWholeFile(path), "new text\r\n");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"out.csv"});
}

TEST(AtomicFile, RefusesAFolderOrAMissingFolderNamingTheDestination) {
  TemporaryFolder folder;
  std::filesystem::create_directory(folder.File("taken"));
  EXPECT_EQ(testing::DataErrorText([&] { AtomicFile file(folder.File("taken")); }),
            folder.File("taken") + ": cannot create the file: Is a directory");
  EXPECT_EQ(testing::DataErrorText([&] { WriteFileAtomically(folder.File("no/x.csv"), "x"); }),
            folder.File("no/x.csv") + ": cannot create the file: No such file or directory");
}

TEST(AtomicFile, AFullDiskLeavesNoTemporaryAndTheEarlierFile) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // /dev/full takes the name of a destination whose writes fail with "No space left".
  TemporaryFolder folder;
  const std::string path = folder.File("full.csv");
  WriteWholeFile(path, "earlier");
  AtomicFile file(path);
  ASSERT_EQ(::dup2(::open("/dev/full", O_WRONLY), file.descriptor()), file.descriptor());
  const auto error = testing::ExpectDataError([&] { file.Write("x"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(std::string(error->what()), path + ": cannot write the file: No space left on device");
  EXPECT_EQ(ReadWholeFile(path), "earlier");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"full.csv"});
}

TEST(AtomicFile, TemporaryNamesTellTheirWriterAndWhetherItIsGone) {
  const std::string mine = TemporaryPathFor("/data/a b.csv");
  const std::string name = mine.substr(mine.find_last_of('/') + 1);
  EXPECT_TRUE(name.starts_with(".a b.csv.part-" + std::to_string(::getpid()) + "-"));
  EXPECT_EQ(TemporaryWriter(name), ::getpid());
  EXPECT_FALSE(IsOrphanedTemporary(name));

  for (const char* other : {"a.csv", ".a.csv", ".a.csv.part-", ".a.csv.part-12", ".a.csv.part-x-1",
                            ".a.csv.part-12-1.bak", "a.csv.part-12-1"})
    EXPECT_FALSE(TemporaryWriter(other)) << other;
  EXPECT_EQ(TemporaryWriter(".a.csv.part-12-3"), 12);
}

TEST(AtomicFile, SweepRemovesOnlyOrphansOfTheGivenName) {
  TemporaryFolder folder;
  const std::string gone = std::to_string(EndedProcess());
  const std::string alive = std::to_string(::getpid());
  for (const std::string& name :
       std::vector<std::string>{".velout.csv.part-" + gone + "-0", ".amp3.csv.part-" + gone + "-1",
                                ".velout.csv.part-" + alive + "-2", "velout.csv"})
    WriteWholeFile(folder.File(name), "x");

  EXPECT_EQ(RemoveOrphanedTemporaries(folder.path().string(), "velout.csv"),
            std::vector<std::string>{folder.File(".velout.csv.part-" + gone + "-0")});
  EXPECT_EQ(RemoveOrphanedTemporaries(folder.path().string()),
            std::vector<std::string>{folder.File(".amp3.csv.part-" + gone + "-1")});
  EXPECT_EQ(Names(folder),
            (std::vector<std::string>{".velout.csv.part-" + alive + "-2", "velout.csv"}));
}

TEST(AtomicFile, LiveTemporariesGoWhenTheProcessIsInterrupted) {
  TemporaryFolder folder;
  // In a child, since the registry stays locked afterwards, as the process is about to end.
  const pid_t child = ::fork();
  if (child == 0) {
    auto* file = new AtomicFile(folder.File("big.prn"));
    file->Write("half of it");
    RemoveLiveTemporaries();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(Names(folder).empty());
}

TEST(AtomicFile, NeverReplacesAFileInUseByAnyPathOrLink) {
  TemporaryFolder folder;
  const std::string input = folder.File("site_acc.csv");
  WriteWholeFile(input, "record");
  fs::create_symlink(input, folder.File("link.csv"));
  fs::create_hard_link(input, folder.File("hard.csv"));
  {
    const InputsInUse inUse({input, folder.File("absent.csv")});
    for (const std::string& path : {input, folder.File("link.csv"), folder.File("hard.csv"),
                                    folder.path().string() + "/./site_acc.csv"}) {
      EXPECT_EQ(testing::DataErrorText([&] { WriteFileAtomically(path, "table"); },
                                       DataErrorKind::kInput),
                path + ": the output would replace the input file " + input);
    }
    EXPECT_EQ(ReadWholeFile(input), "record");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"hard.csv", "link.csv", "site_acc.csv"}));
    WriteFileAtomically(folder.File("absent.csv"), "a name that was no file is free");
  }
  WriteFileAtomically(input, "table");  // no longer in use
  EXPECT_EQ(ReadWholeFile(input), "table");
}

TEST(AtomicFile, WritesAFifoAndTheProgramsOwnDescriptorsAsTheyStand) {
  TemporaryFolder folder;
  const std::string fifo = folder.File("fifo.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadWholeFile(fifo); });
  WriteFileAtomically(fifo, "table\r\n");
  reader.join();
  EXPECT_EQ(received, "table\r\n");
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

  // As /dev/stdout leads to the standard output: the file behind the descriptor gets the text,
  // appended as the shell's redirection left it, and the link stays.
  const std::string behind = folder.File("behind.txt");
  WriteWholeFile(behind, "earlier ");
  const int descriptor = ::open(behind.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(descriptor, 0);
  const std::string own = folder.File("stdout");
  fs::create_symlink("/proc/self/fd/" + std::to_string(descriptor), own);
  WriteFileAtomically(own, "then");
  ::close(descriptor);
  EXPECT_EQ(ReadWholeFile(behind), "earlier then");
  EXPECT_TRUE(fs::is_symlink(own));
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"behind.txt", "fifo.csv", "stdout"}));
}

TEST(AtomicFile, RefusesANameWithNoRoomForItsTemporary) {
  TemporaryFolder folder;
  const std::string longest = folder.File(std::string(kMaxOutputNameBytes, 'n'));
  WriteFileAtomically(longest, "x");
  EXPECT_EQ(ReadWholeFile(longest), "x");
  const std::string tooLong = longest + "n";
  EXPECT_EQ(testing::DataErrorText([&] { AtomicFile file(tooLong); }),
            tooLong +
                ": cannot create the file: its name is longer than the 230 bytes an output's "
                "name may hold beside its temporary name");
}

TEST(AtomicFile, AnInterruptionStopsTheWriteAndTheTemporaryGoes) {
  TemporaryFolder folder;
  const std::string path = folder.File("out.csv");
  WriteWholeFile(path, "earlier");
  AtomicFile file(path);
  file.Write("half");
  RequestInterruption(SIGTERM);
  EXPECT_EQ(EngineErrorText([&] { file.Write("rest"); }, ErrorKind::kInterrupted),
            "interrupted by SIGTERM");
  EXPECT_EQ(EngineErrorText([&] { AtomicFile another(path); }, ErrorKind::kInterrupted),
            "interrupted by SIGTERM");
  ClearInterruption();
  EXPECT_EQ(ReadWholeFile(path), "earlier");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"out.csv"});
}

// A writer that has ended but is never reaped (the orphans of a killed run, where init does not
// reap) runs nothing: its temporaries go. A record that only looks like a temporary is kept.
TEST(AtomicFile, SweepTakesAZombiesTemporariesAndKeepsTheFileItIsToldTo) {
  const pid_t zombie = ::fork();
  if (zombie == 0) ::_exit(0);
  for (int wait = 0; wait < 5000 && ProcessRuns(zombie); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ReadProcessStatus(zombie).value_or(ProcessStatus{}).state, 'Z');
  TemporaryFolder folder;
  const std::string orphan = ".velout.csv.part-" + std::to_string(zombie) + "-0";
  const std::string record = ".rec.csv.part-" + std::to_string(EndedProcess()) + "-1";
  WriteWholeFile(folder.File(orphan), "half a result");
  WriteWholeFile(folder.File(record), "a record");
  EXPECT_EQ(RemoveOrphanedTemporaries(folder.path().string(), {}, folder.File(record)),
            std::vector<std::string>{folder.File(orphan)});
  EXPECT_EQ(Names(folder), std::vector<std::string>{record});
  int status = 0;
  ::waitpid(zombie, &status, 0);
}

}  // namespace
}  // namespace accprep
