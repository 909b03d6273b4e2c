// accprep-view's building tables end to end: the shipped synthetic building
// (examples/building-record.csv and its layout) converted by the built accprep-cli and its
// shipped jobs, then read by the built viewer, as the README's worked example does.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "converted_record.hpp"

namespace accprep {
namespace {

using testing::ConvertedRecord;
using testing::ProcessResult;

class BuildingProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string examples = std::string(ACCPREP_SOURCE_DIR) + "/examples/";
    converted_ = new ConvertedRecord(
        {{examples + "building-record.csv", "building-record.csv"},
         {examples + "building-record_layout.csv", "building-record_layout.csv"}},
        "b");
    ASSERT_TRUE(converted_->ok());
  }
  static void TearDownTestSuite() {
    delete converted_;
    converted_ = nullptr;
  }

  static ProcessResult RunViewer(std::vector<std::string> args) {
    args.push_back(converted_->record());
    return converted_->RunViewer(std::move(args));
  }

  // The table's lines after its header, each split at its commas.
  static std::vector<std::vector<std::string>> Rows(const std::string& name) {
    std::istringstream text(converted_->folder().Read(name));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(text, line);
    while (std::getline(text, line)) {
      EXPECT_EQ(line.back(), '\r');
      line.pop_back();
      std::vector<std::string> fields;
      std::istringstream split(line);
      for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
      rows.push_back(fields);
    }
    return rows;
  }

  static ConvertedRecord* converted_;
};

ConvertedRecord* BuildingProgram::converted_ = nullptr;

TEST_F(BuildingProgram, WritesTheFiveTablesFromTheLayoutBesideTheRecord) {
  const ProcessResult run =
      RunViewer({"--modes", "modes.csv", "--drift", "drift.csv", "--transfer", "transfer.csv",
                 "--profile", "profile.csv", "--tracking", "tracking.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");

  // The exact modes, as scripts/make-example-building prints them.
  struct Exact {
    const char* direction;
    int mode;
    double frequency;
    double damping;
  };
  const Exact exact[] = {{"\"X\"", 1, 1.7674, 0.020}, {"\"X\"", 2, 4.6540, 0.030},
                         {"\"X\"", 3, 7.2116, 0.040}, {"\"Y\"", 1, 2.2309, 0.025},
                         {"\"Y\"", 2, 5.9340, 0.030}, {"\"Y\"", 3, 9.1770, 0.035}};
  const auto modes = Rows("modes.csv");
  for (const Exact& mode : exact) {
    bool found = false;
    for (const auto& row : modes) {
      if (row[0] != mode.direction || std::stoi(row[1]) != mode.mode) continue;
      found = true;
      EXPECT_NEAR(std::stod(row[2]), mode.frequency, 0.005 * mode.frequency);
      EXPECT_NEAR(std::stod(row[3]), 1 / std::stod(row[2]), 1e-12);
      EXPECT_NEAR(std::stod(row[4]), mode.damping, 0.1 * mode.damping);
    }
    EXPECT_TRUE(found) << mode.direction << " mode " << mode.mode;
  }

  // Five stories in X and Y, levels 1F to RF; six levels in X and Y, two in Z.
  const auto drift = Rows("drift.csv");
  ASSERT_EQ(drift.size(), 10u);
  EXPECT_EQ(drift[0][2] + drift[0][3] + drift[0][4], "\"1F\"\"2F\"4");
  EXPECT_EQ(drift[9][2] + drift[9][3] + drift[9][4], "\"5F\"\"RF\"3.5");
  const auto profile = Rows("profile.csv");
  ASSERT_EQ(profile.size(), 14u);
  EXPECT_EQ(profile[13][0] + profile[13][1] + profile[13][3], "\"Z\"\"RF\"14");
  EXPECT_EQ(profile[0][7], "1");

  // The transfer function of X's base and top, Parzen-smoothed; the tracking of both.
  const auto transfer = Rows("transfer.csv");
  EXPECT_EQ(transfer.size(), 4500u);  // 9,000 records: 4,500 bins above 0 Hz
  const auto tracking = Rows("tracking.csv");
  EXPECT_EQ(tracking.size(), 2u * ((9000 - 2000) / 200 + 1));
}

}  // namespace
}  // namespace accprep
