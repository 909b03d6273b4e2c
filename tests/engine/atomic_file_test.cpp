#include "engine/atomic_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <filesystem>

#include "test_kit.hpp"

namespace accprep {
namespace {

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

}  // namespace
}  // namespace accprep
