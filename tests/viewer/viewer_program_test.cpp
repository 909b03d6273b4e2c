// accprep-view as scripts use it: exit codes, messages, written files and the offscreen export.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QSet>

#include <filesystem>
#include <string>
#include <vector>

#include "conversion_fixture.hpp"
#include "viewer/figure_export.hpp"

namespace accprep {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

Outcome RunViewer(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  const std::string program = std::string(ACCPREP_PROGRAM_FOLDER) + "/accprep-view";
  const std::string outPath = (scratch / "stdout.txt").string();
  const std::string errPath = (scratch / "stderr.txt").string();
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  Outcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = ReadFile(outPath);
  outcome.err = ReadFile(errPath);
  return outcome;
}

class ViewerProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FixtureOptions options;
    options.records = 600;
    stem_ = testing::WriteConversionFixture(folder_.path(), "site", options);
  }
  std::string Out(const char* name) const { return (folder_.path() / name).string(); }

  ScratchFolder folder_;
  std::string stem_;
};

TEST_F(ViewerProgram, WritesPeaksAndResponseTablesAndExitsZero) {
  const Outcome outcome = RunViewer({"--peaks", Out("p.csv"), "--response", Out("r.csv"),
                                     "--damping", "0.1", stem_ + "_vel.csv"},
                                    folder_.path());
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  const std::string peaks = ReadFile(Out("p.csv"));
  EXPECT_EQ(peaks.rfind("\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\"\r\n", 0), 0u);
  EXPECT_EQ(std::count(peaks.begin(), peaks.end(), '\n'), 41);
  const std::string response = ReadFile(Out("r.csv"));
  EXPECT_EQ(response.rfind("\"period\",\"1ch\",\"2ch\",", 0), 0u);
  EXPECT_EQ(std::count(response.begin(), response.end(), '\n'), 101);
  EXPECT_NE(response.find("\r\n0.02,"), std::string::npos);
  EXPECT_NE(response.find("\r\n10,"), std::string::npos);
}

TEST_F(ViewerProgram, BadFileIsNamedWithItsLineAndExitsOne) {
  std::string text = ReadFile(stem_ + "_acc.csv");
  std::size_t line4 = 0;
  for (int i = 0; i < 4; ++i) line4 = text.find('\n', line4) + 1;
  const std::size_t secondField = text.find(',', line4) + 1;
  text.replace(secondField, text.find(',', secondField) - secondField, "12..5");
  WriteFile(stem_ + "_acc.csv", text);
  const Outcome outcome = RunViewer({"--response", Out("r.csv"), stem_ + ".csv"}, folder_.path());
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.err, "error: " + stem_ + "_acc.csv: line 5, field 2: not a number: \"12..5\"\n");
  EXPECT_FALSE(std::filesystem::exists(Out("r.csv")));
}

TEST_F(ViewerProgram, NoConversionFilesOrBadOptions) {
  const Outcome missing = RunViewer({"--peaks", Out("p.csv"), Out("nothing.csv")}, folder_.path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("error: " + Out("nothing.csv") + ": no file of a conversion found", 0), 0u)
      << missing.err;

  const Outcome usage = RunViewer({"--channel", "41", stem_ + ".csv"}, folder_.path());
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_EQ(usage.err.rfind("error: ", 0), 0u);

  const Outcome unwritable =
      RunViewer({"--export", Out("no/such/folder.png"), stem_ + ".csv"}, folder_.path());
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err, "error: " + Out("no/such/folder.png") + ": No such file or directory\n");
}

TEST_F(ViewerProgram, ExportsAFullViewPictureWithoutADisplay) {
  const Outcome outcome = RunViewer({"--export", Out("v.png"), "--channel", "7", stem_ + "_acc.csv"},
                                    folder_.path());
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

  const Outcome pdf = RunViewer({"--export", Out("v.pdf"), stem_ + "_acc.csv"}, folder_.path());
  ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
  EXPECT_EQ(ReadFile(Out("v.pdf")).rfind("%PDF", 0), 0u);
}

TEST_F(ViewerProgram, ExportSaysWhatIsMissingInsteadOfFailing) {
  std::filesystem::remove(stem_ + "_dis.csv");
  std::filesystem::remove(stem_ + "_disAmp.csv");
  const Outcome outcome = RunViewer({"--export", Out("v.png"), stem_ + "_acc.csv"}, folder_.path());
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_FALSE(QImage(QString::fromStdString(Out("v.png"))).isNull());
}

}  // namespace
}  // namespace accprep
