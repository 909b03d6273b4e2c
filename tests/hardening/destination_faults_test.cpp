// Destinations that fail the run: a disk that fills up mid-write, a folder or file that
// cannot be written, a missing out/ folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/engine_error.hpp"
#include "run_scene.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPage = 4096;

std::size_t Pages(std::size_t bytes) { return (bytes + kPage - 1) / kPage; }
std::size_t Pages(const std::string& content) { return Pages(content.size()); }

std::map<std::string, std::string> Reference(const RunScene& scene,
                                             std::initializer_list<const char*> keys) {
  std::map<std::string, std::string> replaced;
  for (const std::string& path : scene.Outputs()) {
    for (const char* key : keys)
      if (OutputKey(path) == key) replaced[path] = ReferenceOutputs().at(key);
  }
  return replaced;
}

void ExpectStoppedWith(const RunOutcome& outcome, int step, const std::string& file,
                       const std::string& reason) {
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, step) << outcome.message;
  EXPECT_EQ(outcome.file, file) << outcome.message;
  EXPECT_NE(outcome.reason.find(reason), std::string::npos) << outcome.message;
  // The failure is the last word: no "終了", no "done".
  EXPECT_TRUE(outcome.messages.empty());
  ASSERT_FALSE(outcome.captions.empty());
  EXPECT_NE(outcome.captions.back(), "終了");
}

TEST(DiskFull, MatrixFolderFillingUpStopsTheAccelerationMatrixAndKeepsTheEarlierOne) {
  RunScene scene;
  fs::create_directories(scene.InProgram("out"));
  std::string whyNot;
  // Room for the three earlier matrices and a few pages more; the new matrix needs 25.
  auto disk = ScopedMount::Tmpfs(scene.InProgram("out"), 8 * kPage, whyNot);
  ASSERT_TRUE(scene.Prepare());
  const FileSnapshot before = scene.Snapshot();
  if (disk) {
    ExpectStoppedWith(scene.Run(), 8, scene.InProgram("out/b1_accmat.prn"), SystemReason(ENOSPC));
  } else {
    // Without a mount a file size limit (the test kit's) fills the disk just as well for the
    // run's writer.
    RunOutcome outcome;
    {
      FileSizeLimit limit(8 * kPage);
      outcome = scene.Run();
    }
    ExpectStoppedWith(outcome, 8, scene.InProgram("out/b1_accmat.prn"), SystemReason(EFBIG));
  }
  ExpectNothingLost(scene, before, {});
}

TEST(DiskFull, RecordsFolderFillingUpStopsThePublicCsv) {
  RunScene scene;
  std::string whyNot;
  const std::string record = MakeAccelerationRecord(kSceneRecords);
  // The input and the five earlier channel files, and a third of the new public CSV.
  const std::size_t room = Pages(record) + 5 + Pages(ReferenceOutputs().at("site1_acc.csv")) / 3;
  auto disk = ScopedMount::Tmpfs(scene.records(), room * kPage, whyNot);
  if (!disk) GTEST_SKIP() << whyNot;
  ASSERT_TRUE(scene.Prepare(record));
  const FileSnapshot before = scene.Snapshot();
  ExpectStoppedWith(scene.Run(), 11, scene.InRecords("site1_acc.csv"), SystemReason(ENOSPC));
  // The acceleration matrix was complete before the disk filled up.
  ExpectNothingLost(scene, before, Reference(scene, {"out/b1_accmat.prn"}));
}

TEST(DiskFull, RecordsFolderFillingUpStopsTheCopyOfTheVelocityResult) {
  RunScene scene;
  std::string whyNot;
  const std::string record = MakeAccelerationRecord(kSceneRecords);
  // The input, the earlier channel files, the new public CSV beside the earlier one until
  // it is renamed over it, and half of the velocity record.
  const std::size_t room = Pages(record) + 5 + Pages(ReferenceOutputs().at("site1_acc.csv")) +
                           Pages(ReferenceOutputs().at("site1_vel.csv")) / 2;
  auto disk = ScopedMount::Tmpfs(scene.records(), room * kPage, whyNot);
  if (!disk) GTEST_SKIP() << whyNot;
  ASSERT_TRUE(scene.Prepare(record));
  const FileSnapshot before = scene.Snapshot();
  ExpectStoppedWith(scene.Run(), 15, scene.InRecords("site1_vel.csv"), SystemReason(ENOSPC));
  ExpectNothingLost(scene, before, Reference(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));
}

TEST(DiskFull, ExchangeFolderFillingUpFailsTheJobWhichLeavesNoHalfResult) {
  RunScene scene;
  std::string whyNot;
  const auto& reference = ReferenceOutputs();
  // Job files, the earlier matrices, the new acceleration matrix, the exchange CSV (the
  // public CSV less its comment line) and half of the velocity result.
  const std::size_t room = 2 + 3 + Pages(reference.at("out/b1_accmat.prn")) +
                           Pages(reference.at("site1_acc.csv")) +
                           Pages(reference.at("site1_vel.csv")) / 2;
  auto disk = ScopedMount::Tmpfs(scene.program(), room * kPage, whyNot);
  if (!disk) GTEST_SKIP() << whyNot;
  ASSERT_TRUE(scene.Prepare());
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, 14) << outcome.message;
  for (const std::string& part : {scene.InProgram("fftvel.bat"), std::string("exit code 1"),
                                  scene.InProgram("velout.csv"), SystemReason(ENOSPC)})
    EXPECT_NE(outcome.reason.find(part), std::string::npos) << part << "\n" << outcome.message;
  EXPECT_FALSE(fs::exists(scene.InProgram("velout.csv")));
  ExpectNothingLost(scene, before, Reference(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));
}

// As root, permissions do not stop a write: a read-only bind mount does. Elsewhere the
// permission bits do.
struct ReadOnlyPath {
  std::unique_ptr<ScopedMount> mount;
  std::string path;
  int refusal = 0;
  std::string whyNot;

  explicit ReadOnlyPath(const std::string& target) : path(target) {
    if (::geteuid() == 0) {
      mount = ScopedMount::ReadOnly(target, whyNot);
      refusal = EROFS;
      if (!mount) refusal = 0;
    } else {
      ::chmod(target.c_str(), fs::is_directory(target) ? 0555 : 0444);
      refusal = EACCES;
    }
  }
  ~ReadOnlyPath() {
    if (!mount) ::chmod(path.c_str(), fs::is_directory(path) ? 0755 : 0644);
  }
};

TEST(UnwritableDestination, ReadOnlyRecordsFolderStopsThePublicCsv) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  ReadOnlyPath readOnly(scene.records());
  if (readOnly.refusal == 0) GTEST_SKIP() << readOnly.whyNot;
  const FileSnapshot before = scene.Snapshot();
  ExpectStoppedWith(scene.Run(), 11, scene.InRecords("site1_acc.csv"),
                    SystemReason(readOnly.refusal));
  ExpectNothingLost(scene, before, Reference(scene, {"out/b1_accmat.prn"}));
}

TEST(UnwritableDestination, ReadOnlyEarlierVelocityRecordIsKept) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  ReadOnlyPath readOnly(scene.InRecords("site1_vel.csv"));
  if (readOnly.refusal == 0) GTEST_SKIP() << readOnly.whyNot;
  const FileSnapshot before = scene.Snapshot();
  ExpectStoppedWith(scene.Run(), 15, scene.InRecords("site1_vel.csv"),
                    SystemReason(readOnly.refusal));
  ExpectNothingLost(scene, before, Reference(scene, {"out/b1_accmat.prn", "site1_acc.csv"}));
}

TEST(UnwritableDestination, MissingOutFolderStopsBeforeAnythingIsWritten) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  fs::remove_all(scene.InProgram("out"));
  const FileSnapshot before = scene.Snapshot();
  ExpectStoppedWith(scene.Run(), 6, scene.InProgram("out/b1_accmat.prn"), SystemReason(ENOENT));
  ExpectNothingLost(scene, before, {});
  EXPECT_FALSE(fs::exists(scene.InProgram("out"))) << "the run must not create out/";
  EXPECT_FALSE(fs::exists(scene.InProgram("outacc.csv")));
}

}  // namespace
}  // namespace accprep::testing
