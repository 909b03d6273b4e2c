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
  // Without a record the window opens and asks for one.
  const OptionsOutcome bare = Parse({});
  ASSERT_TRUE(bare.options);
  EXPECT_EQ(bare.options->record, "");
}

TEST(ViewerOptions, HeadlessOutputsAndTheirSettings) {
  const OptionsOutcome outcome =
      Parse({"--channel", "40", "--damping", "0.02", "--export", "view.PDF", "--peaks", "p.csv",
             "--response", "r.csv", "site.csv"});
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
      {"--peaks", "p.csv"},         // a file to write, but no record
      {"--channel", "0", "a.csv"},  // channel out of range
      {"--channel", "41", "a.csv"},
      {"--channel", "x", "a.csv"},
      {"--damping", "1", "a.csv"},  // critical damping and above
      {"--damping", "-0.01", "a.csv"},
      {"--export", "view.jpg", "a.csv"},  // neither PNG nor PDF
      {"--bogus", "a.csv"},
      {"--export", "v.png", "--page", "letter", "a.csv"},
      {"--export", "v.png", "--dpi", "49", "a.csv"},
      {"--export", "v.png", "--dpi", "1201", "a.csv"},
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

TEST(ViewerOptions, IntensityAndMeasuresWithTheirComponents) {
  const OptionsOutcome plain = Parse({"--intensity", "i.csv", "--measures", "m.csv", "a.csv"});
  ASSERT_TRUE(plain.options) << plain.message;
  EXPECT_EQ(plain.options->intensityPath, "i.csv");
  EXPECT_EQ(plain.options->measuresPath, "m.csv");
  EXPECT_EQ(plain.options->components, (IntensityComponents{1, 2, 3}));
  EXPECT_TRUE(plain.options->Headless());
  EXPECT_TRUE(Parse({"--measures", "m.csv", "a.csv"}).options->Headless());

  const OptionsOutcome chosen =
      Parse({"--intensity", "i.csv", "--components", "26,25,27", "a.csv"});
  ASSERT_TRUE(chosen.options) << chosen.message;
  EXPECT_EQ(chosen.options->components, (IntensityComponents{26, 25, 27}));

  const std::string reason =
      "error: --components: three different channels 1..40, the two horizontal first, e.g. "
      "1,2,3\nRun with --help for more information.\n";
  for (const char* wrong : {"1,1,3", "1,2", "0,2,3", "1,2,41", "1,2,3,4", "1, 2, 3", "a,b,c", ""}) {
    const OptionsOutcome outcome = Parse({"--intensity", "i.csv", "--components", wrong, "a.csv"});
    EXPECT_FALSE(outcome.options) << wrong;
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.message, reason) << wrong;
  }
  const OptionsOutcome alone = Parse({"--components", "4,5,6", "a.csv"});
  EXPECT_EQ(alone.exitCode, 2);
  EXPECT_NE(alone.message.find("--components requires --intensity"), std::string::npos)
      << alone.message;
}

TEST(ViewerOptions, PageAndResolutionOfTheExport) {
  const OptionsOutcome defaults = Parse({"--export", "v.png", "a.csv"});
  ASSERT_TRUE(defaults.options) << defaults.message;
  EXPECT_EQ(defaults.options->page, PageSize::kA4);
  EXPECT_EQ(defaults.options->dpi, 150);
  const OptionsOutcome chosen = Parse({"--export", "v.png", "--page", "A3", "--dpi", "300", "a"});
  ASSERT_TRUE(chosen.options) << chosen.message;
  EXPECT_EQ(chosen.options->page, PageSize::kA3);
  EXPECT_EQ(chosen.options->dpi, 300);
}

TEST(ViewerOptions, HelpAndVersionExitZero) {
  const OptionsOutcome version = Parse({"--version"});
  EXPECT_FALSE(version.options);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.message.rfind("accprep-view ", 0), 0u) << version.message;

  const OptionsOutcome outcome = Parse({"--help"});
  EXPECT_FALSE(outcome.options);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.message.find("--response"), std::string::npos);
  EXPECT_NE(outcome.message.find("--intensity"), std::string::npos);
  EXPECT_NE(outcome.message.find("--measures"), std::string::npos);
}

}  // namespace
}  // namespace accprep
