#include "engine/building_layout.hpp"

#include <gtest/gtest.h>

#include "engine/conversion_names.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::DataErrorText;

TEST(BuildingLayout, DirectionsWithTheirLevelsFromTheBaseUp) {
  // Quoted fields, blanks, a byte-order mark, CR LF, comments, blank lines, the sensors in any
  // order, Z and UD as one direction, lower case.
  const BuildingLayout layout = ParseBuildingLayout(
      "\xEF\xBB\xBF"
      "channel,location,direction,height\r\n"
      "# the roof first\r\n"
      "3, RF , x , 8.4\r\n"
      "\r\n"
      "1,\"1F\",X,0\r\n"
      "2,2F,X,4.2\r\n"
      "13,B1F,ud,-3.5\r\n"
      "14,RF,Z,8.4\r\n"
      "7,1F,NS,0\n"
      "8,屋上,ns,8.4",
      "site_layout.csv");
  ASSERT_EQ(layout.directions.size(), 3u);
  const LayoutDirection& x = layout.directions[0];
  EXPECT_EQ(x.name, "X");
  EXPECT_FALSE(x.vertical);
  ASSERT_EQ(x.levels.size(), 3u);
  EXPECT_EQ(x.base().channel, 1);
  EXPECT_EQ(x.levels[1].location, "2F");
  EXPECT_EQ(x.levels[1].height, 4.2);
  EXPECT_EQ(x.top().channel, 3);
  EXPECT_EQ(x.top().location, "RF");
  EXPECT_EQ(x.top().line, 3);

  const LayoutDirection& z = layout.directions[1];
  EXPECT_EQ(z.name, "UD");  // as first written
  EXPECT_TRUE(z.vertical);
  EXPECT_EQ(z.base().location, "B1F");  // the lowest sensor is the base
  EXPECT_EQ(z.base().height, -3.5);
  EXPECT_EQ(z.top().channel, 14);

  EXPECT_EQ(layout.directions[2].name, "NS");
  EXPECT_EQ(layout.directions[2].top().location, "屋上");

  // Without a header line.
  EXPECT_EQ(ParseBuildingLayout("1,1F,EW,0\n2,RF,EW,10\n", "f").directions[0].name, "EW");
}

TEST(BuildingLayout, ErrorsNameTheFileLineAndField) {
  const auto error = [](const std::string& body) {
    return DataErrorText(
        [&] { ParseBuildingLayout("channel,location,direction,height\n" + body, "b_layout.csv"); },
        DataErrorKind::kInput);
  };
  EXPECT_EQ(error("1,1F,X,0\n41,2F,X,4\n"),
            "b_layout.csv: line 3, field 1: not a channel 1..40: \"41\"");
  EXPECT_EQ(error("x1,1F,X,0\n"), "b_layout.csv: line 2, field 1: not a channel 1..40: \"x1\"");
  EXPECT_EQ(error("1,1F,X,0\n2,2F,X,4\n1,3F,X,8\n"),
            "b_layout.csv: line 4, field 1: channel 1 is listed twice (first on line 2)");
  EXPECT_EQ(error("1,,X,0\n"), "b_layout.csv: line 2, field 2: the location is empty");
  EXPECT_EQ(error("1,1F,N,0\n"),
            "b_layout.csv: line 2, field 3: unknown direction \"N\": X, Y, NS, EW, or Z or UD "
            "for vertical");
  EXPECT_EQ(error("1,1F,X,4.2m\n"),
            "b_layout.csv: line 2, field 4: the height is not a number: \"4.2m\"");
  EXPECT_EQ(error("1,1F,X,0\n2,1F,X,4\n"),
            "b_layout.csv: line 3: two sensors at level 1F in direction X (the other on line 2)");
  EXPECT_EQ(error("1,1F,X,0\n2,GL,X,0\n"),
            "b_layout.csv: line 3: two sensors at one height in direction X: 1F and GL both at 0 "
            "m (the other on line 2)");
  EXPECT_EQ(error("1,1F,X,0\n2,RF,X,9\n3,RF,Y,9\n"),
            "b_layout.csv: line 4: direction Y has one level only (RF); a direction needs two "
            "or more");
  EXPECT_EQ(error("1,1F,X\n"),
            "b_layout.csv: line 2: expected 4 fields (channel,location,direction,height), "
            "found 3");
  EXPECT_EQ(error("# nothing\n"), "b_layout.csv: no sensor listed");
  EXPECT_EQ(DataErrorText([] { ParseBuildingLayout("channel,level,direction,height\n", "f"); }),
            "f: line 1: the header must read channel,location,direction,height");
}

TEST(BuildingLayout, ReadBesideTheRecordByItsStem) {
  EXPECT_EQ(LayoutFilePath("/data/site1"), "/data/site1_layout.csv");
  testing::TemporaryFolder folder;
  const std::string path = LayoutFilePath(folder.File("site1"));
  testing::WriteWholeFile(path, "1,1F,Y,0\r\n2,RF,Y,20\r\n");
  EXPECT_EQ(ReadBuildingLayout(path).directions[0].top().height, 20.0);
  EXPECT_EQ(DataErrorText([&] { ReadBuildingLayout(folder.File("none.csv")); }, DataErrorKind::kIo),
            folder.File("none.csv") + ": cannot open the file: No such file or directory");
}

}  // namespace
}  // namespace accprep
