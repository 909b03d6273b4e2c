// accprep-view --intensity and --measures end to end: the shared K-NET record converted by the
// built accprep-cli and its shipped jobs, then read by the built viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "converted_record.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/record_intensity.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

using testing::ProcessResult;

class IntensityProgram : public testing::SharedRecordSuite {};

TEST_F(IntensityProgram, WritesTheIntensityOfEachStationsThreeComponents) {
  static constexpr ConversionFile kAcc[] = {ConversionFile::kAcceleration};
  const ConversionData data =
      LoadConversion(FindConversionFiles(folder_->Path("records/knet.csv")), kAcc);
  const ChannelTable& acc = *data.table(ConversionFile::kAcceleration);
  // AOM001 by default (channels 1, 2, 3: EW, NS, UD), AOM003 (7, 8, 9) when asked.
  for (const IntensityComponents components :
       {IntensityComponents{1, 2, 3}, IntensityComponents{7, 8, 9}}) {
    std::vector<std::string> args = {"--intensity", folder_->Path("i.csv"), "records/knet.csv"};
    if (components.horizontal1 != 1) {
      args.insert(args.begin() + 2, {"--components", ComponentsText(components)});
    }
    const ProcessResult run = RunViewer(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const RecordIntensity expected =
        ComputeRecordIntensity(acc, data.files.path(ConversionFile::kAcceleration), components);
    EXPECT_EQ(folder_->Read("i.csv"), IntensityCsvText(expected));
    // A real record of an M6.2 offshore event, 40 to 90 km away: felt, not damaging.
    EXPECT_GE(expected.jma.reported, 1.0);
    EXPECT_LE(expected.jma.reported, 4.0);
  }
}

TEST_F(IntensityProgram, WritesTheMeasuresOfEveryChannelAndRefusesBadComponents) {
  const ProcessResult measures = RunViewer({"--measures", "m.csv", "records/knet_acc.csv"});
  ASSERT_EQ(measures.exitCode, 0) << measures.err;
  const std::string table = folder_->Read("m.csv");
  EXPECT_EQ(table.rfind("\"channel\",\"Arias\",\"D5-75\",\"D5-95\",\"CAV\",\"name\"\r\n1,", 0), 0u);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 41);
  // The names come from the converted record's own header.
  EXPECT_NE(table.find(",\"AOM0011801241951.EW\"\r\n2,"), std::string::npos) << table;

  const ProcessResult usage =
      RunViewer({"--intensity", "i.csv", "--components", "1,2", "records/knet.csv"});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_EQ(usage.err.rfind("error: --components: three different channels 1..40", 0), 0u)
      << usage.err;

  const ProcessResult missing = RunViewer({"--intensity", "i.csv", "records/none.csv"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("error: records/none.csv: no file of a conversion found", 0), 0u)
      << missing.err;
}

}  // namespace
}  // namespace accprep
