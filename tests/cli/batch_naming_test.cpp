#include "cli/batch_naming.hpp"

#include <gtest/gtest.h>

namespace accprep {
namespace {

TEST(InputFileStem, DropsFolderAndLastExtension) {
  EXPECT_EQ(InputFileStem("data/site1.csv"), "site1");
  EXPECT_EQ(InputFileStem("/abs/path/a.csv"), "a");
  EXPECT_EQ(InputFileStem("a.tar.gz"), "a.tar");
  EXPECT_EQ(InputFileStem("rec"), "rec");
  EXPECT_EQ(InputFileStem("dir.d/rec"), "rec");
  EXPECT_EQ(InputFileStem(".hidden"), ".hidden");
  EXPECT_EQ(InputFileStem("x/.hidden.csv"), ".hidden");
  EXPECT_EQ(InputFileStem("観測 記録.csv"), "観測 記録");
  EXPECT_EQ(InputFileStem("trailing."), "trailing");
  EXPECT_EQ(InputFileStem("dir/"), "");
}

TEST(BatchBaseName, SingleInputKeepsBaseName) {
  EXPECT_EQ(BatchBaseName("b1", "recs/a.csv", 1), "b1");
  EXPECT_EQ(BatchBaseName("b1", "recs/a.csv", 2), "b1_a");
  EXPECT_EQ(BatchBaseName("試験 1", "c.csv", 3), "試験 1_c");
}

TEST(FindBatchCollision, NamesTheFirstPairThatWouldShareMatrixFiles) {
  EXPECT_FALSE(FindBatchCollision("b1", {"a.csv"}));
  EXPECT_FALSE(FindBatchCollision("b1", {"a.csv", "c.csv", "x/d.csv"}));

  const auto twice = FindBatchCollision("b1", {"a.csv", "c.csv", "a.csv"});
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->firstInput, "a.csv");
  EXPECT_EQ(twice->secondInput, "a.csv");
  EXPECT_EQ(twice->baseName, "b1_a");

  const auto folders = FindBatchCollision("b1", {"x/a.csv", "y/c.csv", "y/a.prn", "z/c.csv"});
  ASSERT_TRUE(folders);
  EXPECT_EQ(folders->firstInput, "x/a.csv");
  EXPECT_EQ(folders->secondInput, "y/a.prn");
}

}  // namespace
}  // namespace accprep
