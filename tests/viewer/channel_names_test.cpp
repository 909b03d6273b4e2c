#include "viewer/channel_names.hpp"

#include <gtest/gtest.h>

#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::TemporaryFolder;
using testing::WriteWholeFile;

TEST(ChannelNames, ReadFromTheSecondHeaderLineOfARecord) {
  TemporaryFolder folder;
  // 40 names and the two trailing columns' names, which are no channels.
  std::string header = "time";
  for (int c = 1; c <= 42; ++c) header += ",S" + std::to_string(c) + ".EW";
  const std::string record = folder.File("site.csv");
  WriteWholeFile(record, "K-NET record\r\n" + header + "\r\n0,1,2\r\n");
  const ChannelNames all = ReadChannelNames(record);
  EXPECT_EQ(all[0], "S1.EW");
  EXPECT_EQ(all[39], "S40.EW");

  // Quotes and blanks around the fields go; fewer names leave the rest empty.
  WriteWholeFile(record, "c\n\"Time\" , \"AOM001 EW\",\tAOM001 NS ,AOM001 UD\n");
  const ChannelNames quoted = ReadChannelNames(record);
  EXPECT_EQ(quoted[0], "AOM001 EW");
  EXPECT_EQ(quoted[1], "AOM001 NS");
  EXPECT_EQ(quoted[2], "AOM001 UD");
  EXPECT_EQ(quoted[3], "");
  EXPECT_EQ(ChannelLabel(quoted, 2), "2ch  AOM001 NS");
  EXPECT_EQ(ChannelLabel(quoted, 4), "4ch");
  // A name that only repeats the number is not shown twice.
  WriteWholeFile(record, "c\ntime,1ch,2CH,x\n");
  const ChannelNames numbered = ReadChannelNames(record);
  EXPECT_EQ(ChannelLabel(numbered, 1), "1ch");
  EXPECT_EQ(ChannelLabel(numbered, 2), "2ch");
  EXPECT_EQ(ChannelLabel(numbered, 3), "3ch  x");

  // Names are a help: a second line that names no time column, a missing second line or a
  // missing file give none, without a failure.
  for (const char* text : {"c\n1,AOM001 EW,AOM001 NS\n", "only one line\n", ""}) {
    WriteWholeFile(record, text);
    EXPECT_EQ(ReadChannelNames(record), ChannelNames{}) << text;
  }
  EXPECT_EQ(ReadChannelNames(folder.File("absent.csv")), ChannelNames{});
}

TEST(ChannelNames, InputRecordIsThePathGivenOrTheStemsCsv) {
  TemporaryFolder folder;
  const std::string stem = folder.File("site");
  WriteWholeFile(stem + "_acc.csv", "c\r\n");
  const ConversionFiles files = FindConversionFiles(stem + "_acc.csv");
  EXPECT_EQ(InputRecordOf(stem + "_acc.csv", files), "");
  WriteWholeFile(stem + ".csv", "record\r\n");
  EXPECT_EQ(InputRecordOf(stem + "_acc.csv", files), stem + ".csv");
  EXPECT_EQ(InputRecordOf(stem + ".dat", FindConversionFiles(stem + ".dat")), stem + ".dat");
}

}  // namespace
}  // namespace accprep
