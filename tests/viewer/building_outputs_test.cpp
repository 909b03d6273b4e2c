#include "viewer/building_outputs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "engine/number_format.hpp"
#include "measures/response_spectrum.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::ChannelCsvHeader;
using testing::DataErrorText;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

// A channel file whose channel c holds c times `values` (channel 1 holds them as they are).
std::string Record(const std::vector<double>& values, double step = 0.5) {
  std::string text = ChannelCsvHeader("time");
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += FormatNumber(step * static_cast<double>(i));
    for (int c = 1; c <= 40; ++c) {
      text += ',';
      text += FormatNumber(values[i] * c);
    }
    text += "\r\n";
  }
  return text;
}

class BuildingTables : public ::testing::Test {
 protected:
  void SetUp() override {
    stem_ = folder_.File("site");
    WriteWholeFile(stem_ + "_acc.csv", "comment\r\n" + Record({1.0, -2.0, 0.5, 0.25}));
    WriteWholeFile(stem_ + "_vel.csv", Record({0.0, 0.5, -1.0, 0.0}));
    WriteWholeFile(stem_ + "_dis.csv", Record({0.0, 0.25, -0.125, 0.0}));
    // X from channel 2 at the base to 4 on the roof, and channel 1 as the vertical base.
    WriteWholeFile(stem_ + "_layout.csv",
                   "channel,location,direction,height\r\n4,RF,X,7\r\n2,1F,X,0\r\n3,2F,X,4\r\n"
                   "1,1F,Z,0\r\n5,\"R\"\"F\",Z,7\r\n");
  }
  std::string Write(BuildingRequest request, std::string* notes = nullptr) {
    std::ostringstream out;
    WriteBuildingTables(FindConversionFiles(stem_ + ".csv"), request, out);
    if (notes != nullptr) *notes = out.str();
    return request.profilePath.empty() ? ReadWholeFile(request.driftPath)
                                       : ReadWholeFile(request.profilePath);
  }

  TemporaryFolder folder_;
  std::string stem_;
};

TEST_F(BuildingTables, ProfileIsByteExact) {
  BuildingRequest request;
  request.profilePath = folder_.File("profile.csv");
  EXPECT_EQ(Write(request),
            "\"direction\",\"location\",\"height\",\"channel\",\"peak_acceleration\","
            "\"peak_velocity\",\"peak_displacement\",\"amplification\"\r\n"
            "\"X\",\"1F\",0,2,4,2,0.5,1\r\n"
            "\"X\",\"2F\",4,3,6,3,0.75,1.5\r\n"
            "\"X\",\"RF\",7,4,8,4,1,2\r\n"
            "\"Z\",\"1F\",0,1,2,1,0.25,1\r\n"
            "\"Z\",\"R\"\"F\",7,5,10,5,1.25,5\r\n");
}

TEST_F(BuildingTables, DriftOfEachHorizontalStoryIsByteExact) {
  BuildingRequest request;
  request.driftPath = folder_.File("drift.csv");
  // Story 1 (channels 2 to 3): the drift is channel 1's displacement, 0.25 cm at 0.5 s over
  // 4 m; story 2 (3 to 4) the same over 3 m. The vertical has no stories.
  EXPECT_EQ(Write(request),
            "\"direction\",\"story\",\"lower\",\"upper\",\"height\",\"peak_drift\","
            "\"peak_drift_angle\",\"time\"\r\n"
            "\"X\",1,\"1F\",\"2F\",4,0.25,0.000625,0.5\r\n"
            "\"X\",2,\"2F\",\"RF\",3,0.25," +
                FormatNumber(0.25 / 300.0) + ",0.5\r\n");
}

TEST_F(BuildingTables, WithoutALayoutTheAnalysesTakeThePair) {
  std::filesystem::remove(stem_ + "_layout.csv");
  BuildingRequest request;
  request.profilePath = folder_.File("profile.csv");
  EXPECT_EQ(DataErrorText([&] { Write(request); }, DataErrorKind::kInput),
            stem_ +
                "_layout.csv: no such file: the building's analyses need a layout beside the "
                "record, or --layout PATH, or --pair IN,OUT");
  request.pair = ChannelPair{1, 3};
  std::string notes;
  EXPECT_EQ(Write(request, &notes),
            "\"direction\",\"location\",\"height\",\"channel\",\"peak_acceleration\","
            "\"peak_velocity\",\"peak_displacement\",\"amplification\"\r\n"
            "\"1,3\",\"1ch\",,1,2,1,0.25,1\r\n"
            "\"1,3\",\"3ch\",,3,6,3,0.75,3\r\n");
  EXPECT_EQ(notes, "");
  request.profilePath.clear();
  request.driftPath = folder_.File("drift.csv");
  EXPECT_EQ(Write(request),
            "\"direction\",\"story\",\"lower\",\"upper\",\"height\",\"peak_drift\","
            "\"peak_drift_angle\",\"time\"\r\n"
            "\"1,3\",1,\"1ch\",\"3ch\",,0.5,,0.5\r\n");
}

TEST_F(BuildingTables, FailuresNameTheFileTheyConcern) {
  BuildingRequest request;
  request.driftPath = folder_.File("drift.csv");
  request.layoutPath = folder_.File("other_layout.csv");
  WriteWholeFile(request.layoutPath, "1,1F,X,0\n2,2F,Q,3\n");
  EXPECT_EQ(DataErrorText([&] { Write(request); }, DataErrorKind::kInput),
            request.layoutPath +
                ": line 2, field 3: unknown direction \"Q\": X, Y, NS, EW, or Z or UD for "
                "vertical");

  request.layoutPath.clear();
  std::filesystem::remove(stem_ + "_dis.csv");
  EXPECT_EQ(DataErrorText([&] { Write(request); }, DataErrorKind::kInput),
            stem_ + "_dis.csv: no such file: the story drift needs it");

  // A profile goes on without the displacement, and says so.
  request.driftPath.clear();
  request.profilePath = folder_.File("profile.csv");
  std::string notes;
  EXPECT_NE(Write(request, &notes).find("\"X\",\"RF\",7,4,8,4,,2\r\n"), std::string::npos);
  EXPECT_EQ(notes, "note: " + stem_ + "_dis.csv does not exist; its peaks are left empty\n");

  BuildingRequest transfer;
  transfer.transferPath = folder_.File("transfer.csv");
  transfer.pair = ChannelPair{1, 2};
  WriteWholeFile(stem_ + "_acc.csv", Record({0.0, 0.0, 0.0, 0.0}));
  EXPECT_EQ(DataErrorText([&] { Write(transfer); }, DataErrorKind::kInput),
            stem_ + "_acc.csv: channel 1 does not move: no transfer function from it");
  WriteWholeFile(stem_ + "_acc.csv", Record({0.0, 1.0, 0.0}));
  EXPECT_EQ(DataErrorText([&] { Write(transfer); }, DataErrorKind::kInput),
            stem_ + "_acc.csv: too few records for the building's analyses (3; four or more)");
}

// An oscillator of 2 Hz and 3 % on channel 2 over a base shaken by noise on channel 1: the
// modes and the unsmoothed transfer function of the pair.
TEST(BuildingTablesOfAPair, ModesAndTransfer) {
  TemporaryFolder folder;
  std::mt19937 random(11);
  std::normal_distribution<double> normal(0.0, 10.0);
  std::vector<double> base(6000);
  for (double& v : base) v = normal(random);
  const std::vector<double> roof = TrackOscillator(base, 0.01, 0.5, 0.03).absoluteAcceleration;
  std::string text = "\r\n" + ChannelCsvHeader("time");
  for (std::size_t i = 0; i < base.size(); ++i) {
    // Times as a file writes them: the doubles nearest to their decimals.
    text += FormatNumber(static_cast<double>(i) / 100) + "," + FormatNumber(base[i]) + "," +
            FormatNumber(roof[i]);
    for (int c = 3; c <= 40; ++c) text += ",0";
    text += "\r\n";
  }
  const std::string stem = folder.File("pair");
  WriteWholeFile(stem + "_acc.csv", text);

  BuildingRequest request;
  request.pair = ChannelPair{1, 2};
  request.modesPath = folder.File("modes.csv");
  request.transferPath = folder.File("transfer.csv");
  request.smoothing = {SpectralSmoothing::Kind::kNone, 0};
  std::ostringstream notes;
  WriteBuildingTables(FindConversionFiles(stem + ".csv"), request, notes);
  EXPECT_EQ(notes.str(), "");

  const std::string modes = ReadWholeFile(request.modesPath);
  ASSERT_EQ(modes.rfind("\"direction\",\"mode\",\"frequency\",\"period\",\"damping\"\r\n"
                        "\"1,2\",1,",
                        0),
            0u)
      << modes;
  std::istringstream row(modes.substr(modes.find("\"1,2\",1,") + 8));
  double frequency = 0, period = 0, damping = 0;
  char comma = 0;
  row >> frequency >> comma >> period >> comma >> damping;
  EXPECT_NEAR(frequency, 2.0, 1e-3);
  EXPECT_NEAR(damping, 0.03, 1e-3);
  EXPECT_EQ(std::count(modes.begin(), modes.end(), '\n'), 2);

  // Unsmoothed: one line per bin above 0 Hz, the coherence 1 throughout.
  const std::string transfer = ReadWholeFile(request.transferPath);
  EXPECT_EQ(transfer.rfind("\"frequency\",\"amplitude\",\"phase\",\"coherence\"\r\n", 0), 0u);
  EXPECT_EQ(std::count(transfer.begin(), transfer.end(), '\n'), 1 + 3000);
  EXPECT_NE(transfer.find(",1\r\n0.03333333333333333,"), std::string::npos);
}

}  // namespace
}  // namespace accprep
