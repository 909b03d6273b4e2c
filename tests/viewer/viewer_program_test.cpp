// accprep-view as scripts use it: exit codes, messages, written files and the offscreen export.
#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "conversion_fixture.hpp"
#include "engine/number_format.hpp"
#include "scoped_mount.hpp"
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
  EXPECT_EQ(
      peaks.rfind("\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\",\"name\"\r\n", 0),
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
  // A4 landscape at 150 dpi, the resolution written in the file.
  EXPECT_EQ(image.width(), 1754);
  EXPECT_EQ(image.height(), 1240);
  EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 150, 0.5);
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

  const ProcessResult a3 =
      RunViewer({"--export", Out("a3.png"), "--page", "a3", "--dpi", "100", stem_ + "_acc.csv"});
  ASSERT_EQ(a3.exitCode, 0) << a3.err;
  const QImage large(QString::fromStdString(Out("a3.png")));
  EXPECT_EQ(large.width(), 1654);
  EXPECT_EQ(large.height(), 1169);

  // The PDF is one landscape A4 page (842 x 595 points) titled with the record and channel.
  const ProcessResult pdf = RunViewer({"--export", Out("v.pdf"), stem_ + "_acc.csv"});
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  const std::string document = ReadWholeFile(Out("v.pdf"));
  EXPECT_EQ(document.rfind("%PDF", 0), 0u);
  EXPECT_NE(document.find("/MediaBox [0 0 842"), std::string::npos);
  // The title in UTF-16 with its byte-order mark: the record's name leads it.
  EXPECT_NE(document.find(std::string("/Title (\xFE\xFF\0s\0i\0t\0e", 18)), std::string::npos);
}

TEST_F(ViewerProgram, ExportSaysWhatIsMissingInsteadOfFailing) {
  std::filesystem::remove(stem_ + "_dis.csv");
  std::filesystem::remove(stem_ + "_disAmp.csv");
  const ProcessResult outcome = RunViewer({"--export", Out("v.png"), stem_ + "_acc.csv"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_FALSE(QImage(QString::fromStdString(Out("v.png"))).isNull());
}

std::vector<std::string> Temporaries(const std::filesystem::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.path().filename().string().find(".part-") != std::string::npos)
      found.push_back(entry.path().string());
  return found;
}

TEST_F(ViewerProgram, AnOutputOverAFileReadIsRefusedBeforeAnyIsWritten) {
  const std::string acceleration = ReadWholeFile(stem_ + "_acc.csv");
  const ProcessResult table = RunViewer({"--intensity", stem_ + "_acc.csv", stem_ + "_acc.csv"});
  EXPECT_EQ(table.exitCode, 1);
  EXPECT_EQ(table.err, "error: " + stem_ + "_acc.csv: the output would replace the input file " +
                           stem_ + "_acc.csv\n");
  EXPECT_EQ(ReadWholeFile(stem_ + "_acc.csv"), acceleration);

  // The conversion's input record, named as the picture would be: the peaks table asked first
  // is not written either.
  WriteWholeFile(stem_ + ".png", "the record converted");
  const ProcessResult picture =
      RunViewer({"--peaks", Out("p.csv"), "--export", stem_ + ".png", stem_ + ".png"});
  EXPECT_EQ(picture.exitCode, 1);
  EXPECT_EQ(picture.err, "error: " + stem_ + ".png: the output would replace the input file " +
                             stem_ + ".png\n");
  EXPECT_EQ(ReadWholeFile(stem_ + ".png"), "the record converted");
  EXPECT_FALSE(std::filesystem::exists(Out("p.csv")));

  // A file of periods is read too.
  WriteWholeFile(Out("periods.txt"), "0.5\n1\n");
  const ProcessResult periods = RunViewer({"--rotd", Out("periods.txt"), "--periods",
                                           "@" + Out("periods.txt"), stem_ + ".csv"});
  EXPECT_EQ(periods.exitCode, 1);
  EXPECT_EQ(ReadWholeFile(Out("periods.txt")), "0.5\n1\n");

  // The building's layout beside the record is read too.
  WriteWholeFile(stem_ + "_layout.csv", "a layout");
  const ProcessResult layout = RunViewer({"--modes", stem_ + "_layout.csv", stem_ + ".csv"});
  EXPECT_EQ(layout.exitCode, 1);
  EXPECT_EQ(ReadWholeFile(stem_ + "_layout.csv"), "a layout");
}

TEST_F(ViewerProgram, APipeAndTheStandardOutputAreWrittenAsTheyStand) {
  const std::string fifo = Out("peaks.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string peaks;
  std::thread reader([&] { peaks = ReadWholeFile(fifo); });
  const ProcessResult outcome =
      RunViewer({"--peaks", fifo, "--measures", "/dev/stdout", stem_ + ".csv"});
  reader.join();
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(peaks.rfind("\"channel\",\"PGA\",", 0), 0u) << peaks;
  EXPECT_EQ(std::count(peaks.begin(), peaks.end(), '\n'), 41);
  EXPECT_EQ(outcome.out.rfind("\"channel\",\"Arias\",", 0), 0u) << outcome.out;
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(Temporaries(folder_.path()).empty());
}

// The picture is written as every table is: a full disk keeps the earlier picture whole...
TEST_F(ViewerProgram, ExportOnAFullDiskKeepsTheEarlierPicture) {
  ASSERT_EQ(RunViewer({"--export", Out("earlier.png"), "--channel", "2", stem_ + ".csv"}).exitCode,
            0);
  const std::string earlier = ReadWholeFile(Out("earlier.png"));
  const std::string disk = Out("disk");
  std::filesystem::create_directory(disk);
  std::string whyNot;
  // Room for the earlier picture and half of another.
  const auto mount = testing::ScopedMount::Tmpfs(disk, earlier.size() * 3 / 2, whyNot);
  if (!mount) GTEST_SKIP() << whyNot;
  WriteWholeFile(disk + "/v.png", earlier);
  const ProcessResult full = RunViewer({"--export", disk + "/v.png", stem_ + ".csv"});
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_EQ(full.err,
            "error: " + disk + "/v.png: cannot write the file: No space left on device\n");
  EXPECT_EQ(ReadWholeFile(disk + "/v.png"), earlier);
  EXPECT_TRUE(Temporaries(disk).empty());
}

// ...and a link is replaced rather than written through.
TEST_F(ViewerProgram, ExportReplacesALinkAsEveryTableDoes) {
  WriteWholeFile(Out("target.png"), "another picture");
  std::filesystem::create_symlink(Out("target.png"), Out("link.png"));
  ASSERT_EQ(RunViewer({"--export", Out("link.png"), stem_ + ".csv"}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(Out("target.png")), "another picture");
  EXPECT_FALSE(std::filesystem::is_symlink(Out("link.png")));
  EXPECT_FALSE(QImage(QString::fromStdString(Out("link.png"))).isNull());
}

TEST(ViewerInterruption, SigtermEndsAResponseTableWith143AndLeavesNothing) {
  TemporaryFolder folder;
  // Long enough that the spectra of 40 channels take seconds.
  std::string record = testing::ChannelCsvHeader();
  for (int row = 0; row < 20000; ++row) {
    record += FormatNumber(row * 0.01);
    for (int c = 1; c <= 40; ++c) record += "," + FormatNumber(std::sin(row * 0.05 * c));
    record += "\r\n";
  }
  WriteWholeFile(folder.File("s_acc.csv"), record);
  WriteWholeFile(folder.File("r.csv"), "earlier table\r\n");
  testing::StartedProcess viewer({{std::string(ACCPREP_PROGRAM_FOLDER) + "/accprep-view",
                                   "--response", folder.File("r.csv"), folder.File("s_acc.csv")},
                                  {},
                                  {"QT_QPA_PLATFORM=offscreen"}});
  ASSERT_TRUE(testing::WaitUntilSignalHandled(viewer.pid(), SIGTERM));
  viewer.Signal(SIGTERM);
  const ProcessResult result = viewer.Wait();
  EXPECT_EQ(result.exitCode, 128 + SIGTERM) << result.err;
  EXPECT_EQ(result.err, "error: interrupted by SIGTERM\n");
  EXPECT_EQ(ReadWholeFile(folder.File("r.csv")), "earlier table\r\n");
  EXPECT_TRUE(Temporaries(folder.path()).empty());
}

}  // namespace
}  // namespace accprep
