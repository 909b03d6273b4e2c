#include "engine/output_writers.hpp"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>

#include <filesystem>
#include <vector>

#include "engine/data_error.hpp"
#include "engine/record_reader.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

const std::string kHeader = testing::ChannelCsvHeader();

class OutputWritersTest : public ::testing::Test {
 protected:
  OutputWritersTest() {
    // Row r: time r/100, channel c = (c - 20.5) * r / 10000, trailing columns and the row
    // beyond the count hold values that must never appear.
    for (int r = 1; r <= 3; ++r) {
      table_.at(r, 0) = r / 100.0;
      for (int c = 1; c <= 40; ++c) table_.at(r, c) = (c - 20) * r * 1.0 / 10000.0;
      table_.at(r, 41) = 999.0;
      table_.at(r, 42) = 998.0;
    }
    table_.at(2, 20) = -0.0;  // baseline removal leaves signed zeros like this one
    table_.at(4, 0) = 777.0;
  }

  // The expected line of row r with separator `sep` and decimal separator `point`.
  std::string Row(int r, char sep, const std::string& point = ".") const {
    std::string line;
    for (int c = 0; c <= 40; ++c) {
      if (c > 0) line += sep;
      std::string number = FormatNumber(table_.at(r, c));
      if (const std::size_t i = number.find('.'); i != std::string::npos)
        number.replace(i, 1, point);
      line += number;
    }
    return line + "\r\n";
  }

  std::string WriteMatrix(std::int32_t rows, NumberForm form = NumberForm::Point()) {
    OutputWriter writer(form);
    writer.CreateOutputFile(path_);
    writer.WriteMatrixRows(table_, rows, [this](float row) { progress_.push_back(row); });
    writer.CloseOutputFile();
    return ReadWholeFile(path_);
  }

  std::string WriteCsv(std::int32_t rows, const std::optional<std::string>& comment) {
    OutputWriter writer(NumberForm{","});  // the matrix form must not leak into the CSV
    writer.CreateOutputFile(path_);
    writer.WriteChannelCsv(table_, rows, comment, [this](float row) { progress_.push_back(row); });
    writer.CloseOutputFile();
    return ReadWholeFile(path_);
  }

  TemporaryFolder folder_;
  std::string path_ = folder_.File("b1_accmat.prn");
  SampleTable table_;
  std::vector<float> progress_;
};

TEST_F(OutputWritersTest, MatrixHoldsFortyOneTabSeparatedFieldsPerRow) {
  const std::string text = WriteMatrix(3);
  EXPECT_EQ(text, Row(1, '\t') + Row(2, '\t') + Row(3, '\t'));
  EXPECT_EQ(text.substr(0, 24), "0.01\t-0.0019\t-0.0018\t-0.");
  EXPECT_NE(text.find("\t0\t0.0001\t"), std::string::npos);  // the signed zero as "0"
  EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 3 * 40);
  EXPECT_EQ(text.find("999"), std::string::npos);
  EXPECT_EQ(text.find("777"), std::string::npos);
  EXPECT_EQ(progress_, (std::vector<float>{1.0f, 2.0f, 3.0f}));
}

TEST_F(OutputWritersTest, MatrixUsesTheLocaleDecimalSeparator) {
  const std::string text = WriteMatrix(2, NumberForm{","});
  EXPECT_EQ(text, Row(1, '\t', ",") + Row(2, '\t', ","));
  EXPECT_EQ(text.substr(0, 13), "0,01\t-0,0019\t");
}

TEST_F(OutputWritersTest, MatrixOfNoRowsIsEmpty) {
  EXPECT_EQ(WriteMatrix(0), "");
  EXPECT_EQ(WriteMatrix(-5), "");
  EXPECT_TRUE(progress_.empty());
}

TEST_F(OutputWritersTest, ChannelCsvWithCommentHeaderAndRows) {
  EXPECT_EQ(WriteCsv(2, "site 1, \"north\" sensor"),
            "site 1, \"north\" sensor\r\n" + kHeader + Row(1, ',') + Row(2, ','));
  EXPECT_EQ(progress_, (std::vector<float>{1.0f, 2.0f}));
}

TEST_F(OutputWritersTest, ChannelCsvWithoutOrWithEmptyComment) {
  EXPECT_EQ(WriteCsv(1, std::nullopt), kHeader + Row(1, ','));
  EXPECT_EQ(WriteCsv(1, ""), "\r\n" + kHeader + Row(1, ','));
  EXPECT_EQ(WriteCsv(0, "c"), "c\r\n" + kHeader);
  EXPECT_EQ(progress_, (std::vector<float>{1.0f, 1.0f}));
}

TEST_F(OutputWritersTest, LargeOutputCrossesTheBufferIntact) {
  for (int r = 1; r <= 20000; ++r)
    for (int c = 0; c <= 40; ++c) table_.at(r, c) = r * 41 + c + 0.25;
  const std::string text = WriteMatrix(20000);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20000);
  EXPECT_EQ(text.substr(text.size() - Row(20000, '\t').size()), Row(20000, '\t'));
  EXPECT_EQ(progress_.size(), 20000u);
}

TEST_F(OutputWritersTest, ChannelCsvOfAMatrixIsTheSameFileWithTheSameProgress) {
  // Many rows, so that the matrix is read back in several blocks.
  for (int r = 1; r <= 20000; ++r) {
    table_.at(r, 0) = r / 100.0;
    for (int c = 1; c <= 40; ++c) table_.at(r, c) = ((r * 37 + c * 11) % 20001 - 10000) / 1e4;
  }
  const std::string csvPath = folder_.File("site1_acc.csv");
  const auto write = [&](NumberForm matrixForm, bool ofMatrix) {
    progress_.clear();
    OutputWriter writer(matrixForm);
    writer.CreateOutputFile(path_);
    writer.WriteMatrixRows(table_, 20000, nullptr);
    writer.CloseOutputFile();
    writer.CreateOutputFile(csvPath);
    const auto note = [this](float row) { progress_.push_back(row); };
    if (ofMatrix) {
      writer.WriteChannelCsvOfMatrix(path_, table_, 20000, "site 1", note);
    } else {
      writer.WriteChannelCsv(table_, 20000, "site 1", note);
    }
    writer.CloseOutputFile();
    return std::make_pair(ReadWholeFile(csvPath), progress_);
  };
  const auto formatted = write(NumberForm::Point(), false);
  EXPECT_EQ(write(NumberForm::Point(), true), formatted);
  // Decimal commas in the matrix: the numbers are formatted again, to the same file.
  EXPECT_EQ(write(NumberForm{","}, true), formatted);
  ASSERT_EQ(formatted.second.size(), 20000u);
  EXPECT_EQ(formatted.second.back(), 20000.0f);
}

TEST_F(OutputWritersTest, MatrixOfAFormattedChannelCsvIsTheSameFileWithTheSameProgress) {
  // Values of nine significant digits, as a job writes them, from 1e-9 to 1e4 (exponent form
  // below 1e-5).
  for (int r = 1; r <= 20000; ++r) {
    table_.at(r, 0) = r / 100.0;
    for (int c = 1; c <= 40; ++c) {
      char text[kMaxNumberText];
      const double value = std::sin(r * 0.01 + c) * std::pow(10.0, c % 14 - 9);
      table_.at(r, c) =
          ParseNumber(
              std::string_view(text, FormatSignificant(text, value, 9, NumberForm::Point()) - text))
              .value;
    }
  }
  // A job's result as the writers write it, read back as the run reads it.
  const std::string resultPath = folder_.File("velout.csv");
  {
    OutputWriter writer(NumberForm::Point());
    writer.CreateOutputFile(resultPath);
    writer.WriteChannelCsv(table_, 20000, std::nullopt, nullptr);
    writer.CloseOutputFile();
  }
  SampleTable read;
  bool formatted = false;
  ASSERT_EQ(ReadRecord(read, resultPath, 1, 41, nullptr, &formatted), 20000);
  ASSERT_TRUE(formatted);
  const auto write = [&](NumberForm matrixForm, bool ofCsv) {
    progress_.clear();
    OutputWriter writer(matrixForm);
    writer.CreateOutputFile(path_);
    const auto note = [this](float row) { progress_.push_back(row); };
    if (ofCsv) {
      writer.WriteMatrixOfChannelCsv(resultPath, 1, read, 20000, note);
    } else {
      writer.WriteMatrixRows(read, 20000, note);
    }
    writer.CloseOutputFile();
    return std::make_pair(ReadWholeFile(path_), progress_);
  };
  EXPECT_EQ(write(NumberForm::Point(), true), write(NumberForm::Point(), false));
  EXPECT_EQ(write(NumberForm{","}, true), write(NumberForm{","}, false));
}

TEST_F(OutputWritersTest, ChannelCsvOfAMatrixThatChangedIsRefused) {
  WriteMatrix(3);
  WriteWholeFile(path_, ReadWholeFile(path_) + "0.04\r\n");  // a row more than was written
  OutputWriter writer(NumberForm::Point());
  const std::string csvPath = folder_.File("site1_acc.csv");
  writer.CreateOutputFile(csvPath);
  EXPECT_EQ(testing::DataErrorText(
                [&] { writer.WriteChannelCsvOfMatrix(path_, table_, 3, std::nullopt, nullptr); }),
            path_ + ": the file changed after it was written");
  EXPECT_FALSE(testing::FileExists(csvPath));
}

TEST_F(OutputWritersTest, KeepsEarlierFileUntilTheNewOneIsClosed) {
  WriteWholeFile(path_, "old complete file");
  {
    OutputWriter writer;
    writer.CreateOutputFile(path_);
    writer.WriteMatrixRows(table_, 3, nullptr);
    EXPECT_EQ(ReadWholeFile(path_), "old complete file");
    // Abandoned without CloseOutputFile, as when a later step fails.
  }
  EXPECT_EQ(ReadWholeFile(path_), "old complete file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left
  EXPECT_EQ(WriteMatrix(1), Row(1, '\t'));
}

TEST_F(OutputWritersTest, CreateFailsInMissingFolderNamingThePath) {
  OutputWriter writer;
  const std::string path = folder_.File("out/b1_accmat.prn");
  EXPECT_EQ(testing::DataErrorText([&] { writer.CreateOutputFile(path); }, DataErrorKind::kIo),
            path + ": cannot create the file: No such file or directory");
  std::filesystem::create_directory(folder_.File("dir"));
  EXPECT_THROW(writer.CreateOutputFile(folder_.File("dir")), DataError);
}

TEST_F(OutputWritersTest, WriteFailureNamesFileAndReasonAndLeavesNothing) {
  // A file size limit makes the system refuse the write as a full disk would.
  WriteWholeFile(path_, "old complete file");
  for (int r = 1; r <= 2000; ++r) table_.at(r, 0) = r;
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  const std::string message = testing::DataErrorText([&] {
    OutputWriter writer;
    writer.CreateOutputFile(path_);
    for (int i = 0; i < 40; ++i) writer.WriteMatrixRows(table_, 2000, nullptr);
    writer.CloseOutputFile();
  });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(message, path_ + ": cannot write the file: File too large");
  EXPECT_EQ(ReadWholeFile(path_), "old complete file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace accprep
