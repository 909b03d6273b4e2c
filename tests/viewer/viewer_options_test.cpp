#include "viewer/viewer_options.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "test_kit.hpp"

namespace accprep {
namespace {

// What ParseViewerOptions returns, and what it wrote to the standard and the error output.
struct Parsed {
  std::optional<ViewerOptions> options;
  int exitCode = 0;
  std::string out;
  std::string err;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "accprep-view");
  std::ostringstream out, err;
  ParseOutcome<ViewerOptions> outcome =
      ParseViewerOptions(static_cast<int>(args.size()), args.data(), out, err);
  return {std::move(outcome.options), outcome.exitCode, out.str(), err.str()};
}

TEST(ViewerOptions, DefaultsOpenTheWindowOnChannelOneAtFivePercent) {
  const Parsed outcome = Parse({"site_acc.csv"});
  ASSERT_TRUE(outcome.options);
  EXPECT_EQ(outcome.options->record, "site_acc.csv");
  EXPECT_EQ(outcome.options->channel, 1);
  EXPECT_EQ(outcome.options->damping, 0.05);
  EXPECT_FALSE(outcome.options->Headless());
  // Without a record the window opens and asks for one.
  const Parsed bare = Parse({});
  ASSERT_TRUE(bare.options);
  EXPECT_EQ(bare.options->record, "");
}

TEST(ViewerOptions, HeadlessOutputsAndTheirSettings) {
  const Parsed outcome = Parse({"--channel", "40", "--damping", "0.02", "--export", "view.PDF",
                                "--peaks", "p.csv", "--response", "r.csv", "site.csv"});
  ASSERT_TRUE(outcome.options) << outcome.err;
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
    const Parsed outcome = Parse(args);
    EXPECT_FALSE(outcome.options) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err.rfind("error: ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("Usage:"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_NE(Parse({"--damping", "5", "a.csv"}).err.find("0.05 for 5 %"), std::string::npos);
  // Without a record, the outputs asked for are named, whichever they are.
  EXPECT_EQ(Parse({"--rotd", "r.csv"}).err.rfind("error: RECORD is required with --rotd\n", 0), 0u);
  EXPECT_EQ(Parse({"--fas", "f.csv", "--peaks", "p.csv", "--drift", "d.csv"})
                .err.rfind("error: RECORD is required with --peaks, --fas, --drift\n", 0),
            0u);
}

TEST(ViewerOptions, IntensityAndMeasuresWithTheirComponents) {
  const Parsed plain = Parse({"--intensity", "i.csv", "--measures", "m.csv", "a.csv"});
  ASSERT_TRUE(plain.options) << plain.err;
  EXPECT_EQ(plain.options->intensityPath, "i.csv");
  EXPECT_EQ(plain.options->measuresPath, "m.csv");
  EXPECT_EQ(plain.options->components, (IntensityComponents{1, 2, 3}));
  EXPECT_TRUE(plain.options->Headless());
  EXPECT_TRUE(Parse({"--measures", "m.csv", "a.csv"}).options->Headless());

  const Parsed chosen = Parse({"--intensity", "i.csv", "--components", "26,25,27", "a.csv"});
  ASSERT_TRUE(chosen.options) << chosen.err;
  EXPECT_EQ(chosen.options->components, (IntensityComponents{26, 25, 27}));

  const std::string reason =
      "error: --components: three different channels 1..40, the two horizontal first, e.g. "
      "1,2,3\n";
  for (const char* wrong : {"1,1,3", "1,2", "0,2,3", "1,2,41", "1,2,3,4", "1, 2, 3", "a,b,c", ""}) {
    const Parsed outcome = Parse({"--intensity", "i.csv", "--components", wrong, "a.csv"});
    EXPECT_FALSE(outcome.options) << wrong;
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err.substr(0, reason.size()), reason) << wrong;
  }
  const Parsed alone = Parse({"--components", "4,5,6", "a.csv"});
  EXPECT_EQ(alone.exitCode, 2);
  EXPECT_NE(alone.err.find("--components requires --intensity"), std::string::npos) << alone.err;
}

TEST(ViewerOptions, BuildingTablesWithTheirLayoutPairAndSmoothing) {
  const Parsed defaults = Parse({"--modes", "m.csv", "a.csv"});
  ASSERT_TRUE(defaults.options) << defaults.err;
  const BuildingRequest& plain = defaults.options->building;
  EXPECT_EQ(plain.modesPath, "m.csv");
  EXPECT_EQ(plain.layoutPath, "");
  EXPECT_FALSE(plain.pair);
  EXPECT_EQ(plain.smoothing, kDefaultTransferSmoothing);
  EXPECT_TRUE(defaults.options->Headless());

  const Parsed all =
      Parse({"--drift", "d.csv", "--transfer", "t.csv", "--profile", "p.csv", "--tracking", "k.csv",
             "--layout", "l.csv", "--pair", "3,17", "--smoothing", "ko:30", "a.csv"});
  ASSERT_TRUE(all.options) << all.err;
  const BuildingRequest& request = all.options->building;
  EXPECT_EQ(request.driftPath, "d.csv");
  EXPECT_EQ(request.transferPath, "t.csv");
  EXPECT_EQ(request.profilePath, "p.csv");
  EXPECT_EQ(request.trackingPath, "k.csv");
  EXPECT_EQ(request.layoutPath, "l.csv");
  EXPECT_EQ(request.pair, (ChannelPair{3, 17}));
  EXPECT_EQ(request.smoothing, (SpectralSmoothing{SpectralSmoothing::Kind::kKonnoOhmachi, 30}));
  // A layout or a pair alone asks for no table: the window opens with them.
  EXPECT_FALSE(Parse({"--layout", "l.csv", "--pair", "1,2", "a.csv"}).options->Headless());

  for (const char* wrong : {"1,1", "0,2", "1,41", "1", "1,2,3", "1, 2", ""}) {
    const Parsed outcome = Parse({"--transfer", "t.csv", "--pair", wrong, "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << wrong;
    EXPECT_EQ(outcome.err.rfind(
                  "error: --pair: two different channels 1..40, the input first, e.g. 1,5\n", 0),
              0u)
        << wrong;
  }
  for (const char* wrong : {"parzen", "parzen:0", "ko:0", "hann:1", ""}) {
    const Parsed outcome = Parse({"--transfer", "t.csv", "--smoothing", wrong, "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << wrong;
    EXPECT_EQ(outcome.err.rfind("error: --smoothing: none, parzen:B", 0), 0u) << wrong;
  }
}

TEST(ViewerOptions, PageAndResolutionOfTheExport) {
  const Parsed defaults = Parse({"--export", "v.png", "a.csv"});
  ASSERT_TRUE(defaults.options) << defaults.err;
  EXPECT_EQ(defaults.options->page, PageSize::kA4);
  EXPECT_EQ(defaults.options->dpi, 150);
  const Parsed chosen = Parse({"--export", "v.png", "--page", "A3", "--dpi", "300", "a"});
  ASSERT_TRUE(chosen.options) << chosen.err;
  EXPECT_EQ(chosen.options->page, PageSize::kA3);
  EXPECT_EQ(chosen.options->dpi, 300);
}

TEST(ViewerOptions, RotDTakesTwoOrThreeComponentsAndFasItsSmoothing) {
  const Parsed rotd = Parse({"--rotd", "r.csv", "--components", "5,4", "a.csv"});
  ASSERT_TRUE(rotd.options) << rotd.err;
  EXPECT_EQ(rotd.options->rotdPath, "r.csv");
  EXPECT_EQ(rotd.options->horizontals, (HorizontalPair{5, 4}));
  EXPECT_TRUE(rotd.options->Headless());
  EXPECT_EQ(Parse({"--rotd", "r.csv", "a.csv"}).options->horizontals, (HorizontalPair{1, 2}));

  // Three serve --intensity and --rotd at once, the first two being the horizontal pair.
  const Parsed both =
      Parse({"--rotd", "r.csv", "--intensity", "i.csv", "--components", "8,7,9", "a.csv"});
  ASSERT_TRUE(both.options) << both.err;
  EXPECT_EQ(both.options->components, (IntensityComponents{8, 7, 9}));
  EXPECT_EQ(both.options->horizontals, (HorizontalPair{8, 7}));

  for (const char* wrong : {"1,1", "0,2", "1,41", "1", "1,2,2", ""}) {
    const Parsed outcome = Parse({"--rotd", "r.csv", "--components", wrong, "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << wrong;
    const std::string reason =
        "error: --components: two different horizontal channels 1..40, e.g. 1,2\n";
    EXPECT_EQ(outcome.err.substr(0, reason.size()), reason) << wrong;
  }
  // Two are not enough where --intensity needs its vertical too.
  EXPECT_NE(Parse({"--rotd", "r.csv", "--intensity", "i.csv", "--components", "1,2", "a.csv"})
                .err.find("three different channels"),
            std::string::npos);

  const Parsed fas = Parse({"--fas", "f.csv", "--smoothing", "parzen:0.4", "a.csv"});
  ASSERT_TRUE(fas.options) << fas.err;
  EXPECT_EQ(fas.options->fasPath, "f.csv");
  EXPECT_EQ(fas.options->smoothing, (SpectralSmoothing{SpectralSmoothing::Kind::kParzen, 0.4}));
  EXPECT_TRUE(fas.options->Headless());
  EXPECT_EQ(Parse({"--fas", "f.csv", "a.csv"}).options->smoothing, SpectralSmoothing{});
  const Parsed badSmoothing = Parse({"--fas", "f.csv", "--smoothing", "ko:0", "a.csv"});
  EXPECT_EQ(badSmoothing.exitCode, 2);
  EXPECT_EQ(badSmoothing.err.rfind("error: --smoothing: none, parzen:B", 0), 0u)
      << badSmoothing.err;
  EXPECT_EQ(Parse({"--smoothing", "ko:40", "a.csv"}).exitCode, 2);  // nothing to smooth
}

TEST(ViewerOptions, PeriodsFromAListOrAFile) {
  const Parsed listed = Parse({"--response", "s.csv", "--periods", "0.1,0.25,3e0,1", "a.csv"});
  ASSERT_TRUE(listed.options) << listed.err;
  EXPECT_EQ(listed.options->periods, (std::vector<double>{0.1, 0.25, 3.0, 1.0}));
  EXPECT_TRUE(Parse({"--response", "s.csv", "a.csv"}).options->periods.empty());

  testing::TemporaryFolder folder;
  const std::string file = folder.File("periods.txt");
  testing::WriteWholeFile(file, "0.2\r\n\r\n  1.5\t\r\n10");
  const std::string at = "@" + file;
  const Parsed fromFile = Parse({"--rotd", "r.csv", "--periods", at.c_str(), "a.csv"});
  ASSERT_TRUE(fromFile.options) << fromFile.err;
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
    const Parsed outcome = Parse({"--response", "s.csv", "--periods", text.c_str(), "a.csv"});
    EXPECT_EQ(outcome.exitCode, 2) << text;
    const std::string expected = "error: --periods: " + reason + "\n";
    EXPECT_EQ(outcome.err.substr(0, expected.size()), expected);
  }
  EXPECT_NE(Parse({"--periods", "1", "a.csv"}).err.find("--periods requires --response or --rotd"),
            std::string::npos);
}

TEST(ViewerOptions, HelpAndVersionGoToStandardOutputAndExitZero) {
  const Parsed help = Parse({"--help"});
  EXPECT_FALSE(help.options);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--response"), std::string::npos);
  EXPECT_NE(help.out.find("--intensity"), std::string::npos);
  EXPECT_NE(help.out.find("--measures"), std::string::npos);
  EXPECT_NE(help.out.find("--rotd"), std::string::npos);
  EXPECT_NE(help.out.find("--fas"), std::string::npos);
  EXPECT_NE(help.out.find("--periods"), std::string::npos);
  EXPECT_NE(help.out.find("--tracking"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const Parsed version = Parse({"--version"});
  EXPECT_FALSE(version.options);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("accprep-view ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace accprep
