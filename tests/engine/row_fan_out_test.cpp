// One formatting of the rows fanned out to several files: the same bytes and the same
// progress as writing each file alone, and each file failing as it would have alone.

#include "engine/row_fan_out.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/output_writers.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::FileSizeLimit;
using testing::ReadWholeFile;
using testing::TemporaryFolder;

namespace fs = std::filesystem;

std::size_t FilesIn(const std::string& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class RowFanOutTest : public ::testing::Test {
 protected:
  RowFanOutTest() {
    // Channel values of four decimals with signed zeros among them, and some larger numbers.
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> tenThousandths(-2000000, 2000000);
    for (int r = 1; r <= 2100; ++r) {
      table_.at(r, 0) = r / 100.0;
      for (int c = 1; c <= 40; ++c) table_.at(r, c) = tenThousandths(random) / 1e4;
      table_.at(r, r % 40 + 1) = -0.0;
    }
  }

  // The file OutputWriter writes alone, and the progress it reports.
  std::pair<std::string, std::vector<float>> Alone(RowFanOut::Form form, std::int32_t rows,
                                                   const NumberForm& matrixForm,
                                                   const std::optional<std::string>& comment) {
    const std::string path = folder_.File("alone");
    std::vector<float> progress;
    OutputWriter writer(matrixForm);
    writer.CreateOutputFile(path);
    const auto note = [&progress](float row) { progress.push_back(row); };
    if (form == RowFanOut::Form::kMatrix) {
      writer.WriteMatrixRows(table_, rows, note);
    } else {
      writer.WriteChannelCsv(table_, rows, comment, note);
    }
    writer.CloseOutputFile();
    return {ReadWholeFile(path), progress};
  }

  ProgressFn Note() {
    return [this](float row) { progress_.push_back(row); };
  }
  std::vector<float> TakeProgress() { return std::exchange(progress_, {}); }

  TemporaryFolder folder_;
  SampleTable table_;
  std::vector<float> progress_;
};

TEST_F(RowFanOutTest, WritesEachFileAsItsWriterAloneWithTheSameProgress) {
  for (const NumberForm& matrixForm : {NumberForm::Point(), NumberForm{","}}) {
    for (const std::int32_t rows : {0, 1, 511, 512, 513, 2100}) {
      SCOPED_TRACE("rows " + std::to_string(rows) + ", separator " + matrixForm.decimalSeparator);
      const std::string matrix = folder_.File("m.prn");
      const std::string publicCsv = folder_.File("p.csv");
      const std::string exchange = folder_.File("x.csv");
      {
        RowFanOut out(matrixForm);
        out.Add(matrix, RowFanOut::Form::kMatrix);
        out.Add(publicCsv, RowFanOut::Form::kChannelCsv, "site 1");
        out.Add(exchange, RowFanOut::Form::kChannelCsv);
        out.WriteRows(table_, rows, Note());
        out.Finish(0, table_, rows, Note());
        EXPECT_EQ(std::pair(ReadWholeFile(matrix), TakeProgress()),
                  Alone(RowFanOut::Form::kMatrix, rows, matrixForm, std::nullopt));
        out.Finish(1, table_, rows, Note());
        EXPECT_EQ(std::pair(ReadWholeFile(publicCsv), TakeProgress()),
                  Alone(RowFanOut::Form::kChannelCsv, rows, matrixForm, "site 1"));
        out.Finish(2, table_, rows, Note());
        EXPECT_EQ(std::pair(ReadWholeFile(exchange), TakeProgress()),
                  Alone(RowFanOut::Form::kChannelCsv, rows, matrixForm, std::nullopt));
      }
      EXPECT_EQ(FilesIn(folder_.path()), 4u);  // the three and the last one alone, no leftover
    }
  }
}

TEST_F(RowFanOutTest, ALaterFileThatCannotBeCreatedFailsAtItsTurnAndStopsTheOnesAfter) {
  const std::string matrix = folder_.File("m.prn");
  const std::string blocked = folder_.File("p.csv");
  const std::string after = folder_.File("x.csv");
  fs::create_directory(blocked);  // even root cannot put a file there
  RowFanOut out(NumberForm::Point());
  out.Add(matrix, RowFanOut::Form::kMatrix);
  out.Add(blocked, RowFanOut::Form::kChannelCsv, "");
  out.Add(after, RowFanOut::Form::kChannelCsv);
  out.WriteRows(table_, 600, Note());
  out.Finish(0, table_, 600, Note());
  EXPECT_EQ(ReadWholeFile(matrix),
            Alone(RowFanOut::Form::kMatrix, 600, NumberForm::Point(), {}).first);
  TakeProgress();
  EXPECT_EQ(testing::DataErrorText([&] { out.Finish(1, table_, 600, Note()); }, DataErrorKind::kIo),
            blocked + ": cannot create the file: Is a directory");
  EXPECT_TRUE(TakeProgress().empty());  // it failed before its first row, as it would alone
  EXPECT_FALSE(testing::FileExists(after));
  EXPECT_EQ(FilesIn(folder_.path()), 3u);  // m.prn, the folder in the way and "alone"
}

TEST_F(RowFanOutTest, ALaterFileThatFailsWhileRowsGoOutIsWrittenAloneAtItsTurn) {
  const std::string matrix = folder_.File("m.prn");
  const std::string publicCsv = folder_.File("p.csv");
  const std::string exchange = folder_.File("x.csv");
  const std::string expectedMatrix =
      Alone(RowFanOut::Form::kMatrix, 2100, NumberForm::Point(), {}).first;
  RowFanOut out(NumberForm::Point());
  std::vector<float> publicProgress;
  std::string message;
  {
    // Room for the matrix, not for the channel CSV with a comment half its size.
    FileSizeLimit limit(expectedMatrix.size() + 100);
    out.Add(matrix, RowFanOut::Form::kMatrix);
    out.Add(publicCsv, RowFanOut::Form::kChannelCsv, std::string(expectedMatrix.size() / 2, 'c'));
    out.Add(exchange, RowFanOut::Form::kChannelCsv);
    out.WriteRows(table_, 2100, Note());
    out.Finish(0, table_, 2100, Note());
    TakeProgress();
    message = testing::DataErrorText([&] { out.Finish(1, table_, 2100, Note()); });
    publicProgress = TakeProgress();
  }
  EXPECT_EQ(ReadWholeFile(matrix), expectedMatrix);
  EXPECT_EQ(message, publicCsv + ": cannot write the file: File too large");
  // Its progress is that of writing it alone: every row of the batches that went out, and
  // those of the batch that failed.
  ASSERT_FALSE(publicProgress.empty());
  EXPECT_LT(publicProgress.size(), 2100u);
  for (std::size_t i = 0; i < publicProgress.size(); ++i) EXPECT_EQ(publicProgress[i], i + 1.0f);
  EXPECT_FALSE(testing::FileExists(publicCsv));
  EXPECT_FALSE(testing::FileExists(exchange));
  EXPECT_EQ(FilesIn(folder_.path()), 2u);  // m.prn and "alone"
}

TEST_F(RowFanOutTest, TheFirstFileFailingStopsEveryFileAndNamesIt) {
  const std::string matrix = folder_.File("m.prn");
  std::string message;
  {
    FileSizeLimit limit(32 * 1024);
    RowFanOut out(NumberForm{","});
    out.Add(matrix, RowFanOut::Form::kMatrix);
    out.Add(folder_.File("p.csv"), RowFanOut::Form::kChannelCsv, "site 1");
    message = testing::DataErrorText([&] { out.WriteRows(table_, 2100, Note()); });
  }
  EXPECT_EQ(message, matrix + ": cannot write the file: File too large");
  EXPECT_EQ(FilesIn(folder_.path()), 0u);
}

}  // namespace
}  // namespace accprep
