// accprep-view as scripts use it: exit codes, messages, written files and the offscreen export.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "conversion_fixture.hpp"
#include "test_kit.hpp"
#include "viewer/figure_export.hpp"

namespace accprep {
namespace {

using testing::ProcessResult;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

ProcessResult RunViewer(std::vector<std::string> args) {
  args.insert(args.begin(), std::string(ACCPREP_PROGRAM_FOLDER) + "/accprep-view");
  return testing::RunProcess({args, {}, {}});
}

class ViewerProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FixtureOptions options;
    options.records = 600;
    stem_ = testing::WriteConversionFixture(folder_.path(), "site", options);
  }
  std::string Out(const char* name) const { return folder_.File(name); }

  TemporaryFolder folder_;
  std::string stem_;
};

TEST_F(ViewerProgram, WritesPeaksAndResponseTablesAndExitsZero) {
  const ProcessResult outcome = RunViewer({"--peaks", Out("p.csv"), "--response", Out("r.csv"),
                                           "--damping", "0.1", stem_ + "_vel.csv"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  const std::string peaks = ReadWholeFile(Out("p.csv"));
  EXPECT_EQ(peaks.rfind("\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\"\r\n", 0),
            0u);
  EXPECT_EQ(std::count(peaks.begin(), peaks.end(), '\n'), 41);
  const std::string response = ReadWholeFile(Out("r.csv"));
  EXPECT_EQ(response.rfind("\"period\",\"1ch\",\"2ch\",", 0), 0u);
  EXPECT_EQ(std::count(response.begin(), response.end(), '\n'), 101);
  EXPECT_NE(response.find("\r\n0.02,"), std::string::npos);
  EXPECT_NE(response.find("\r\n10,"), std::string::npos);
}

TEST_F(ViewerProgram, BadFileIsNamedWithItsLineAndExitsOne) {
  std::string text = ReadWholeFile(stem_ + "_acc.csv");
  std::size_t line4 = 0;
  for (int i = 0; i < 4; ++i) line4 = text.find('\n', line4) + 1;
  const std::size_t secondField = text.find(',', line4) + 1;
  text.replace(secondField, text.find(',', secondField) - secondField, "12..5");
  WriteWholeFile(stem_ + "_acc.csv", text);
  const ProcessResult outcome = RunViewer({"--response", Out("r.csv"), stem_ + ".csv"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.err,
            "error: " + stem_ + "_acc.csv: line 5, field 2: not a number: \"12..5\"\n");
  EXPECT_FALSE(std::filesystem::exists(Out("r.csv")));
}

TEST_F(ViewerProgram, NoConversionFilesOrBadOptions) {
  const ProcessResult missing = RunViewer({"--peaks", Out("p.csv"), Out("nothing.csv")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(
      missing.err.rfind("error: " + Out("nothing.csv") + ": no file of a conversion found", 0), 0u)
      << missing.err;

  const ProcessResult usage = RunViewer({"--channel", "41", stem_ + ".csv"});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_EQ(usage.err.rfind("error: ", 0), 0u);

  const ProcessResult unwritable =
      RunViewer({"--export", Out("no/such/folder.png"), stem_ + ".csv"});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err, "error: " + Out("no/such/folder.png") +
                                ": cannot create the file: No such file or directory\n");
}

TEST_F(ViewerProgram, ExportsAFullViewPictureWithoutADisplay) {
  const ProcessResult outcome =
      RunViewer({"--export", Out("v.png"), "--channel", "7", stem_ + "_acc.csv"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  QImage image(QString::fromStdString(Out("v.png")));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), kExportWidth);
  EXPECT_EQ(image.height(), kExportHeight);
  // Not blank: the curves' blue and the peaks' red are there, and plenty of other ink.
  QSet<QRgb> colours;
  int ink = 0;
  bool blue = false;
  bool red = false;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor pixel = image.pixelColor(x, y);
      colours.insert(pixel.rgb());
      if (pixel.lightness() < 200) ++ink;
      blue = blue || (pixel.blue() > 120 && pixel.red() < 60);
      red = red || (pixel.red() > 150 && pixel.green() < 60);
    }
  }
  EXPECT_GT(colours.size(), 20);
  EXPECT_GT(ink, 5000);
  EXPECT_TRUE(blue);
  EXPECT_TRUE(red);

  const ProcessResult pdf = RunViewer({"--export", Out("v.pdf"), stem_ + "_acc.csv"});
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  EXPECT_EQ(ReadWholeFile(Out("v.pdf")).rfind("%PDF", 0), 0u);
}

TEST_F(ViewerProgram, ExportSaysWhatIsMissingInsteadOfFailing) {
  std::filesystem::remove(stem_ + "_dis.csv");
  std::filesystem::remove(stem_ + "_disAmp.csv");
  const ProcessResult outcome = RunViewer({"--export", Out("v.png"), stem_ + "_acc.csv"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_FALSE(QImage(QString::fromStdString(Out("v.png"))).isNull());
}

}  // namespace
}  // namespace accprep
