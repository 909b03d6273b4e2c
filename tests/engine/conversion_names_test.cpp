// The names a conversion gives its files, and the two path forms its messages use.

#include "engine/conversion_names.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace accprep {
namespace {

TEST(ConversionNames, FolderOfAlwaysNamesAFolderThatCanBeListedOrJoined) {
  EXPECT_EQ(FolderOf("/data/records/site1.csv"), "/data/records");
  EXPECT_EQ(FolderOf("records/site1.csv"), "records");
  EXPECT_EQ(FolderOf("/site1.csv"), "/");
  EXPECT_EQ(FolderOf("site1.csv"), ".");
  EXPECT_EQ(FolderOf("a folder/記録.csv"), "a folder");
  // Joined again, the folder and the name give the path back.
  for (const char* path : {"/data/records/site1.csv", "records/site1.csv", "/site1.csv"}) {
    EXPECT_EQ(InFolder(FolderOf(path), std::filesystem::path(path).filename().string()), path);
  }
}

TEST(ConversionNames, InFolderPutsOneSeparatorBetween) {
  EXPECT_EQ(InFolder("/opt/accprep/bin", "outacc.csv"), "/opt/accprep/bin/outacc.csv");
  EXPECT_EQ(InFolder("/opt/accprep/bin/", "outacc.csv"), "/opt/accprep/bin/outacc.csv");
  EXPECT_EQ(InFolder(".", "k_20180124.csv"), "./k_20180124.csv");
  EXPECT_EQ(InFolder("", "outacc.csv"), "outacc.csv");
  EXPECT_EQ(MatrixFilePath("/bin", "b1", MatrixFile::kVelocity), "/bin/out/b1_velmat.prn");
}

TEST(ConversionNames, InputStemDropsFourCharactersWhateverTheyAre) {
  EXPECT_EQ(InputStem("/data/site1.csv"), "/data/site1");
  EXPECT_EQ(InputStem("site1.dat1"), "site1.");  // not the extension: four characters
  EXPECT_EQ(InputStem("rec.加速度"), "rec");     // characters, not bytes
  EXPECT_EQ(InputStem("abcd"), "");
  EXPECT_EQ(InputStem("abc"), std::nullopt);
  EXPECT_EQ(InputStem(""), std::nullopt);
}

TEST(ConversionNames, ConversionFileStemUndoesConversionFilePath) {
  for (const char* stem : {"/data/site1", "site 2", "rec", ""}) {
    for (const ConversionFile file : kAllConversionFiles) {
      EXPECT_EQ(ConversionFileStem(ConversionFilePath(stem, file), file), stem);
    }
  }
  EXPECT_EQ(ConversionFileStem("/data/site1_vel.csv", ConversionFile::kAcceleration), std::nullopt);
  EXPECT_EQ(ConversionFileStem("_acc.cs", ConversionFile::kAcceleration), std::nullopt);
}

}  // namespace
}  // namespace accprep
