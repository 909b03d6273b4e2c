#include "viewer/conversion_files.hpp"

#include <gtest/gtest.h>

#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::TemporaryFolder;
using testing::WriteWholeFile;

TEST(ConversionFiles, FindsEveryFileFromTheInputRecordOrAnyOfItsOutputs) {
  TemporaryFolder folder;
  const std::string stem = folder.File("site1");
  for (const char* suffix : {"_acc.csv", "_vel.csv", "_dis.csv", "_velAmp.csv", "_disAmp.csv"}) {
    WriteWholeFile(stem + suffix, "x\r\n");
  }
  for (const std::string& given : {stem + ".csv", stem + "_acc.csv", stem + "_vel.csv",
                                   stem + "_dis.csv", stem + "_velAmp.csv", stem + "_disAmp.csv"}) {
    const ConversionFiles files = FindConversionFiles(given);
    EXPECT_EQ(files.stem, stem) << given;
    EXPECT_EQ(files.PresentCount(), 5) << given;
    EXPECT_EQ(files.path(ConversionFile::kDisplacementSpectrum), stem + "_disAmp.csv");
  }
}

TEST(ConversionFiles, TheInputStemCountsCharactersAsTheConversionDoes) {
  // A record named with a three-character Japanese extension loses those characters and the
  // dot, not four bytes of them.
  TemporaryFolder folder;
  const std::string stem = folder.File("rec");
  WriteWholeFile(stem + "_acc.csv", "x\r\n");
  const ConversionFiles files = FindConversionFiles(stem + ".加速度");
  EXPECT_EQ(files.stem, stem);
  EXPECT_TRUE(files.has(ConversionFile::kAcceleration));
}

TEST(ConversionFiles, MarksMissingFilesAbsentWithoutFailing) {
  TemporaryFolder folder;
  const std::string stem = folder.File("quake");
  WriteWholeFile(stem + "_acc.csv", "x\r\n");
  WriteWholeFile(stem + "_velAmp.csv", "x\r\n");
  const ConversionFiles files = FindConversionFiles(stem + ".txt");
  EXPECT_TRUE(files.has(ConversionFile::kAcceleration));
  EXPECT_FALSE(files.has(ConversionFile::kVelocity));
  EXPECT_FALSE(files.has(ConversionFile::kDisplacement));
  EXPECT_TRUE(files.has(ConversionFile::kVelocitySpectrum));
  EXPECT_FALSE(files.has(ConversionFile::kDisplacementSpectrum));
  EXPECT_EQ(files.path(ConversionFile::kVelocity), stem + "_vel.csv");
}

TEST(ConversionFiles, StemDropsExactlyFourCharactersOfAnInputName) {
  // As the conversion names its outputs: a two-letter extension costs a letter of the name.
  EXPECT_EQ(FindConversionFiles("/no/such/site.gz").stem, "/no/such/sit");
  EXPECT_EQ(FindConversionFiles("a.csv").stem, "a");
  EXPECT_EQ(FindConversionFiles("a.cs").stem, "");
  EXPECT_EQ(FindConversionFiles("").stem, "");
}

TEST(ConversionFiles, InputNamedLikeAnOutputIsReadAsTheInputWhenItsOutputsExist) {
  TemporaryFolder folder;
  const std::string input = folder.File("north_acc.csv");
  const std::string inputStem = folder.File("north_acc");
  WriteWholeFile(input, "x\r\n");
  WriteWholeFile(inputStem + "_acc.csv", "x\r\n");
  WriteWholeFile(inputStem + "_vel.csv", "x\r\n");
  EXPECT_EQ(FindConversionFiles(input).stem, inputStem);

  // Without outputs of its own, the name is taken for the conversion file it looks like.
  TemporaryFolder other;
  const std::string output = other.File("south_acc.csv");
  WriteWholeFile(output, "x\r\n");
  EXPECT_EQ(FindConversionFiles(output).stem, other.File("south"));
}

TEST(ConversionFiles, AFolderOfTheSuffixNameIsNoFile) {
  TemporaryFolder folder;
  const std::string stem = folder.File("s");
  std::filesystem::create_directory(stem + "_vel.csv");
  EXPECT_FALSE(FindConversionFiles(stem + ".csv").has(ConversionFile::kVelocity));
}

}  // namespace
}  // namespace accprep
