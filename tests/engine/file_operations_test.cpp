#include "engine/file_operations.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

struct stat Status(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status;
}

std::size_t EntryCount(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

TEST(CopyFileReplacing, OnOneFileSystemTheDestinationBecomesALinkReplacingTheEarlierFile) {
  TemporaryFolder folder;
  const std::string source = folder.File("velout.csv");
  const std::string destination = folder.File("site1_vel.csv");
  WriteWholeFile(source, "time,1ch\r\n0.01,1.5\r\n");
  WriteWholeFile(destination, "an earlier copy\r\n");
  CopyFileReplacing(source, destination);
  EXPECT_EQ(ReadWholeFile(destination), "time,1ch\r\n0.01,1.5\r\n");
  EXPECT_EQ(Status(destination).st_ino, Status(source).st_ino);
  // The run deletes the exchange name next; the copy keeps its bytes.
  std::filesystem::remove(source);
  EXPECT_EQ(ReadWholeFile(destination), "time,1ch\r\n0.01,1.5\r\n");
  EXPECT_EQ(EntryCount(folder.path()), 1u);  // no temporary name is left
}

TEST(CopyFileReplacing, OnAnotherFileSystemTheBytesAreCopied) {
  TemporaryFolder folder;
  const std::filesystem::path memory = "/dev/shm";
  if (!std::filesystem::is_directory(memory) ||
      Status(memory).st_dev == Status(folder.path()).st_dev)
    GTEST_SKIP() << "no second file system beside " << folder.path();
  const std::string destination =
      (memory / ("accprep-copy-test-" + std::to_string(::getpid()))).string();
  const std::string source = folder.File("amp3.csv");
  std::string large(3 << 20, 'x');  // more than one block of the fallback loop
  large += "\r\n";
  WriteWholeFile(source, large);
  WriteWholeFile(destination, "earlier");
  CopyFileReplacing(source, destination);
  EXPECT_EQ(ReadWholeFile(destination), large);
  EXPECT_NE(Status(destination).st_dev, Status(source).st_dev);
  std::filesystem::remove(destination);
}

TEST(CopyFileReplacing, AMissingSourceOrAFolderInTheWayChangesNothing) {
  TemporaryFolder folder;
  WriteWholeFile(folder.File("dest.csv"), "earlier");
  EXPECT_EQ(testing::DataErrorText(
                [&] { CopyFileReplacing(folder.File("gone.csv"), folder.File("dest.csv")); }),
            folder.File("gone.csv") + ": cannot open the file: No such file or directory");
  EXPECT_EQ(ReadWholeFile(folder.File("dest.csv")), "earlier");
  WriteWholeFile(folder.File("velout.csv"), "x");
  std::filesystem::create_directory(folder.File("taken"));
  EXPECT_EQ(testing::DataErrorText(
                [&] { CopyFileReplacing(folder.File("velout.csv"), folder.File("taken")); }),
            folder.File("taken") + ": cannot create the file: Is a directory");
  EXPECT_EQ(EntryCount(folder.path()), 3u);
}

}  // namespace
}  // namespace accprep
