#include "viewer/viewer_options.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "test_kit.hpp"

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
      {},                           // no record
      {"--channel", "0", "a.csv"},  // channel out of range
      {"--channel", "41", "a.csv"},
      {"--channel", "x", "a.csv"},
      {"--damping", "1", "a.csv"},  // critical damping and above
      {"--damping", "-0.01", "a.csv"},
      {"--export", "view.jpg", "a.csv"},  // neither PNG nor PDF
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

TEST(ViewerOptions, RotDTakesTwoOrThreeComponentsAndFasItsSmoothing) {
  const OptionsOutcome rotd = Parse({"--rotd", "r.csv", "--components", "5,4", "a.csv"});
  ASSERT_TRUE(rotd.options) << rotd.message;
  EXPECT_EQ(rotd.options->rotdPath, "r.csv");
  EXPECT_EQ(rotd.options->horizontals, (HorizontalPair{5, 4}));
  EXPECT_TRUE(rotd.options->Headless());
  EXPECT_EQ(Parse({"--rotd", "r.csv", "a.csv"}).options->horizontals, (HorizontalPair{1, 2}));

  // Three serve --intensity and --rotd at once, the first two being the horizontal pair.
  const OptionsOutcome both =
      Parse({"--rotd", "r.csv", "--intensity", "i.csv", "--components", "8,7,9", "a.csv"});
  ASSERT_TRUE(both.options) << both.message;
  EXPECT_EQ(both.options->components, (IntensityComponents{8, 7, 9}));
  EXPECT_EQ(both.options->horizontals, (HorizontalPair{8, 7}));

  for (const char* wrong : {"1,1", "0,2", "1,41", "1", "1,2,2", ""}) {
    const OptionsOutcome outcome = Parse({"--rotd", "r.csv", "--components", wrong, "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << wrong;
    EXPECT_EQ(outcome.message,
              "error: --components: two different horizontal channels 1..40, e.g. 1,2\n"
              "Run with --help for more information.\n")
        << wrong;
  }
  // Two are not enough where --intensity needs its vertical too.
  EXPECT_NE(Parse({"--rotd", "r.csv", "--intensity", "i.csv", "--components", "1,2", "a.csv"})
                .message.find("three different channels"),
            std::string::npos);

  const OptionsOutcome fas = Parse({"--fas", "f.csv", "--smoothing", "parzen:0.4", "a.csv"});
  ASSERT_TRUE(fas.options) << fas.message;
  EXPECT_EQ(fas.options->fasPath, "f.csv");
  EXPECT_EQ(fas.options->smoothing, (SpectralSmoothing{SpectralSmoothing::Kind::kParzen, 0.4}));
  EXPECT_TRUE(fas.options->Headless());
  EXPECT_EQ(Parse({"--fas", "f.csv", "a.csv"}).options->smoothing, SpectralSmoothing{});
  const OptionsOutcome badSmoothing = Parse({"--fas", "f.csv", "--smoothing", "ko:0", "a.csv"});
  EXPECT_EQ(badSmoothing.exitCode, 2);
  EXPECT_EQ(badSmoothing.message.rfind("error: --smoothing: none, parzen:B", 0), 0u)
      << badSmoothing.message;
  EXPECT_EQ(Parse({"--smoothing", "ko:40", "a.csv"}).exitCode, 2);  // nothing to smooth
}

TEST(ViewerOptions, PeriodsFromAListOrAFile) {
  const OptionsOutcome listed =
      Parse({"--response", "s.csv", "--periods", "0.1,0.25,3e0,1", "a.csv"});
  ASSERT_TRUE(listed.options) << listed.message;
  EXPECT_EQ(listed.options->periods, (std::vector<double>{0.1, 0.25, 3.0, 1.0}));
  EXPECT_TRUE(Parse({"--response", "s.csv", "a.csv"}).options->periods.empty());

  testing::TemporaryFolder folder;
  const std::string file = folder.File("periods.txt");
  testing::WriteWholeFile(file, "0.2\r\n\r\n  1.5\t\r\n10");
  const std::string at = "@" + file;
  const OptionsOutcome fromFile = Parse({"--rotd", "r.csv", "--periods", at.c_str(), "a.csv"});
  ASSERT_TRUE(fromFile.options) << fromFile.message;
  EXPECT_EQ(fromFile.options->periods, (std::vector<double>{0.2, 1.5, 10.0}));

  const std::string list =
      "periods in seconds, each above 0, separated by commas (e.g. 0.1,0.2,1), or @FILE with "
      "one period a line";
  testing::WriteWholeFile(folder.File("bad.txt"), "0.5\n0.7s\n");
  testing::WriteWholeFile(folder.File("empty.txt"), "\r\n");
  std::string many;
  for (int i = 1; i <= 10001; ++i) many += std::to_string(i) + ",";
  many.pop_back();
  const std::vector<std::pair<std::string, std::string>> wrong = {
      {"0.1,,2", list},
      {"0.1,-2", list},
      {"0,1", list},
      {"nan", list},
      {"1;2", list},
      {"", list},
      {"@" + folder.File("bad.txt"),
       folder.File("bad.txt") + ": line 2: not a period in seconds: \"0.7s\""},
      {"@" + folder.File("empty.txt"), folder.File("empty.txt") + " holds no period"},
      {"@" + folder.File("none.txt"),
       "cannot read " + folder.File("none.txt") + ": No such file or directory"},
      {many, "at most 10000 periods"},
  };
  for (const auto& [text, reason] : wrong) {
    const OptionsOutcome outcome =
        Parse({"--response", "s.csv", "--periods", text.c_str(), "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << text;
    EXPECT_EQ(outcome.message,
              "error: --periods: " + reason + "\nRun with --help for more information.\n");
  }
  EXPECT_NE(
      Parse({"--periods", "1", "a.csv"}).message.find("--periods requires --response or --rotd"),
      std::string::npos);
}

TEST(ViewerOptions, HelpExitsZero) {
  const OptionsOutcome outcome = Parse({"--help"});
  EXPECT_FALSE(outcome.options);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.message.find("--response"), std::string::npos);
  EXPECT_NE(outcome.message.find("--intensity"), std::string::npos);
  EXPECT_NE(outcome.message.find("--measures"), std::string::npos);
  EXPECT_NE(outcome.message.find("--rotd"), std::string::npos);
  EXPECT_NE(outcome.message.find("--fas"), std::string::npos);
  EXPECT_NE(outcome.message.find("--periods"), std::string::npos);
}

}  // namespace
}  // namespace accprep
