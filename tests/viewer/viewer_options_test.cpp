#include "viewer/viewer_options.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace accprep {
namespace {

OptionsOutcome Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "accprep-view");
  return ParseViewerOptions(static_cast<int>(args.size()), args.data());
}

TEST(ViewerOptions, DefaultsOpenTheWindowOnChannelOneAtFivePercent) {
  const OptionsOutcome outcome = Parse({"site_acc.csv"});
  ASSERT_TRUE(outcome.options);
  EXPECT_EQ(outcome.options->record, "site_acc.csv");
  EXPECT_EQ(outcome.options->channel, 1);
  EXPECT_EQ(outcome.options->damping, 0.05);
  EXPECT_FALSE(outcome.options->Headless());
}

TEST(ViewerOptions, HeadlessOutputsAndTheirSettings) {
  const OptionsOutcome outcome = Parse({"--channel", "40", "--damping", "0.02", "--export",
                                        "view.PDF", "--peaks", "p.csv", "--response", "r.csv",
                                        "site.csv"});
  ASSERT_TRUE(outcome.options) << outcome.message;
  EXPECT_EQ(outcome.options->channel, 40);
  EXPECT_EQ(outcome.options->damping, 0.02);
  EXPECT_TRUE(outcome.options->ExportsPdf());
  EXPECT_EQ(outcome.options->peaksPath, "p.csv");
  EXPECT_EQ(outcome.options->responsePath, "r.csv");
  EXPECT_TRUE(outcome.options->Headless());
}

TEST(ViewerOptions, UsageErrorsExitTwoWithAReason) {
  const std::vector<std::vector<const char*>> wrong = {
      {},                                       // no record
      {"--channel", "0", "a.csv"},              // channel out of range
      {"--channel", "41", "a.csv"},
      {"--channel", "x", "a.csv"},
      {"--damping", "1", "a.csv"},              // critical damping and above
      {"--damping", "-0.01", "a.csv"},
      {"--export", "view.jpg", "a.csv"},        // neither PNG nor PDF
      {"--bogus", "a.csv"},
      {"a.csv", "b.csv"},
  };
  for (const auto& args : wrong) {
    const OptionsOutcome outcome = Parse(args);
    EXPECT_FALSE(outcome.options) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.message.rfind("error: ", 0), 0u) << outcome.message;
  }
  EXPECT_NE(Parse({"--damping", "5", "a.csv"}).message.find("0.05 for 5 %"), std::string::npos);
}

TEST(ViewerOptions, HelpExitsZero) {
  const OptionsOutcome outcome = Parse({"--help"});
  EXPECT_FALSE(outcome.options);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.message.find("--response"), std::string::npos);
}

}  // namespace
}  // namespace accprep
