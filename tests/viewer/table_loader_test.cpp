#include "viewer/table_loader.hpp"

#include <gtest/gtest.h>

#include <string>

#include "engine/number_format.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::TemporaryFolder;
using testing::WriteWholeFile;

// Without its line end, as the lines below are written.
const std::string kHeader = [] {
  const std::string header = testing::ChannelCsvHeader();
  return header.substr(0, header.size() - 2);
}();

// A record line: key, then channel c = key * 100 + c.
std::string Line(double key, const char* separator = ",") {
  std::string line = FormatNumber(key);
  for (int c = 1; c <= 40; ++c) line += separator + FormatNumber(key * 100 + c);
  return line;
}

std::string LoadError(const std::string& path, HeaderForm form) {
  return testing::DataErrorText([&] { LoadChannelTable(path, form); });
}

TEST(TableLoader, ReadsTheAccelerationFileWithOrWithoutItsCommentLine) {
  TemporaryFolder folder;
  const std::string withComment = folder.File("a_acc.csv");
  const std::string without = folder.File("b_acc.csv");
  WriteWholeFile(withComment,
                 "site 1, north\r\n" + kHeader + "\r\n" + Line(0) + "\r\n" + Line(0.01) + "\r\n");
  WriteWholeFile(without, kHeader + "\r\n" + Line(0) + "\r\n" + Line(0.01) + "\r\n");
  for (const auto& path : {withComment, without}) {
    const ChannelTable table = LoadChannelTable(path, HeaderForm::kOptionalComment);
    ASSERT_EQ(table.rows(), 2) << path;
    EXPECT_EQ(table.column(0)[1], 0.01);
    EXPECT_EQ(table.column(1)[0], 1.0);
    EXPECT_EQ(table.column(40)[1], 41.0);
  }
}

TEST(TableLoader, ACommentThatLooksLikeTheHeaderIsStillTheComment) {
  TemporaryFolder folder;
  const std::string path = folder.File("a_acc.csv");
  WriteWholeFile(path, "\"time\",\"is\",\"money\"\r\n" + kHeader + "\r\n" + Line(2) + "\r\n");
  const ChannelTable table = LoadChannelTable(path, HeaderForm::kOptionalComment);
  ASSERT_EQ(table.rows(), 1);
  EXPECT_EQ(table.column(0)[0], 2.0);
}

TEST(TableLoader, AcceptsLfEndsBlanksAroundCommasBlankLinesAndNoFinalLineEnd) {
  TemporaryFolder folder;
  const std::string path = folder.File("v.csv");
  WriteWholeFile(path,
                 "job header\n" + Line(0, " ,\t") + "\n\n   \r\n" + Line(1) + "\r\n" + Line(2));
  const ChannelTable table = LoadChannelTable(path, HeaderForm::kOneLine);
  ASSERT_EQ(table.rows(), 3);
  EXPECT_EQ(table.column(0)[2], 2.0);
  EXPECT_EQ(table.column(7)[1], 107.0);
}

TEST(TableLoader, ALargeFileReadOnTwoThreadsKeepsEveryRecordInPlaceAcrossBlankLines) {
  TemporaryFolder folder;
  const std::string path = folder.File("big.csv");
  std::string text = "header\r\n";
  for (int i = 0; i < 8000; ++i) {
    text += Line(i) + "\r\n";
    if (i % 997 == 0) text += "\r\n";  // blank lines scattered over every chunk
  }
  WriteWholeFile(path, text);
  ASSERT_GT(text.size(), 2u << 20);  // large enough to be split
  LoadProgress progress{0};
  const ChannelTable table = LoadChannelTable(path, HeaderForm::kOneLine, &progress);
  ASSERT_EQ(table.rows(), 8000);
  for (int i = 0; i < 8000; ++i) {
    ASSERT_EQ(table.column(0)[i], i) << "row " << i;
    for (int c = 1; c <= 40; ++c) ASSERT_EQ(table.column(c)[i], i * 100.0 + c) << "row " << i;
  }
  EXPECT_EQ(progress.load(), text.size());
}

TEST(TableLoader, AHeaderOnlyFileHasNoRows) {
  TemporaryFolder folder;
  const std::string path = folder.File("empty_dis.csv");
  WriteWholeFile(path, "\"time\",\"1ch\"\r\n");
  EXPECT_EQ(LoadChannelTable(path, HeaderForm::kOneLine).rows(), 0);
}

TEST(TableLoader, NamesTheFileLineAndFieldOfWhatItCannotRead) {
  TemporaryFolder folder;
  const std::string path = folder.File("bad_vel.csv");

  WriteWholeFile(path, "h\r\n" + Line(0) + "\r\n" + Line(1).replace(0, 1, "x") + "\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine), path + ": line 3, field 1: not a number: \"x\"");

  std::string twoValues = Line(0);
  twoValues.replace(twoValues.find(",2,"), 3, ",2 3,");
  WriteWholeFile(path, "h\r\n" + twoValues + "\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine),
            path + ": line 2, field 3: not a number: \"2 3\"");

  std::string empty = Line(0);
  empty.replace(empty.find(",5,"), 3, ",,");
  WriteWholeFile(path, "h\r\n" + empty + "\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine), path + ": line 2, field 6: empty field");

  WriteWholeFile(path, "h\r\n" + Line(0) + ",nan\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine),
            path +
                ": line 2, field 42: the line holds more values than its record needs (41); "
                "a record must not begin in the middle of a line");

  WriteWholeFile(path, "h\r\n" + Line(0).substr(0, Line(0).rfind(',')) + "\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine),
            path + ": the file ends inside record 1 (begun on line 2): 40 of 41 values read");

  std::string infinite = Line(0);
  infinite.replace(infinite.find(",3,"), 3, ",inf,");
  WriteWholeFile(path, "h\r\n" + infinite + "\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine),
            path + ": line 2, field 4: value is not finite: \"inf\"");
}

TEST(TableLoader, ReportsTheEarliestBadLineOfALargeFile) {
  TemporaryFolder folder;
  const std::string path = folder.File("late.csv");
  std::string text = "h\n";
  for (int i = 0; i < 9000; ++i) text += (i == 4000 || i == 8500 ? "7" : Line(i)) + "\n";
  WriteWholeFile(path, text);
  // The lone value begins a record that the next line would finish with one value too many.
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine).substr(path.size()),
            ": line 4003, field 41: the line holds more values than its record needs (41); a "
            "record must not begin in the middle of a line");
}

TEST(TableLoader, MissingHeaderOrFileIsNamed) {
  TemporaryFolder folder;
  const std::string path = folder.File("x_acc.csv");
  WriteWholeFile(path, "");
  EXPECT_EQ(LoadError(path, HeaderForm::kOneLine), path + ": the file ends before header line 1");
  WriteWholeFile(path, "just a comment\r\n");
  EXPECT_EQ(LoadError(path, HeaderForm::kOptionalComment),
            path + ": the file ends before header line 2");
  const std::string missing = folder.File("gone.csv");
  EXPECT_EQ(LoadError(missing, HeaderForm::kOneLine),
            missing + ": cannot open the file: No such file or directory");
  EXPECT_EQ(LoadError(folder.path().string(), HeaderForm::kOneLine),
            folder.path().string() + ": cannot read the file: Is a directory");
}

}  // namespace
}  // namespace accprep
