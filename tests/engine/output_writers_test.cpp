#include "engine/output_writers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

TEST_F(OutputWritersTest, MatrixOfTheLinesReadIsTheMatrixOfTheirRows) {
  // Values of nine significant digits, as a job writes them, from 1e-9 to 1e4 (exponent form
  // below 1e-5), over enough rows for the reader's chunks to come in several batches.
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
  // A job's result as the writers write it, and the same with one line that is not their own.
  const std::string resultPath = folder_.File("velout.csv");
  {
    OutputWriter writer(NumberForm::Point());
    writer.CreateOutputFile(resultPath);
    writer.WriteChannelCsv(table_, 20000, std::nullopt, nullptr);
    writer.CloseOutputFile();
  }
  const std::string written = ReadWholeFile(resultPath);
  const std::string odd = folder_.File("odd.csv");
  std::string oddText = written;
  oddText.insert(oddText.find("\r\n", oddText.size() / 2) + 2, " ");  // a blank before a record
  WriteWholeFile(odd, oddText);

  for (const NumberForm& form : {NumberForm::Point(), NumberForm{","}}) {
    const std::string expected = [&] {
      OutputWriter writer(form);
      writer.CreateOutputFile(path_);
      writer.WriteMatrixRows(table_, 20000, nullptr);
      writer.CloseOutputFile();
      return ReadWholeFile(path_);
    }();
    for (const std::string& result : {resultPath, odd}) {
      SampleTable read;
      OutputWriter writer(form);
      writer.CreateOutputFile(path_);
      std::int64_t canonical = 0;
      ASSERT_EQ(ReadRecord(read, result, 1, 41, nullptr,
                           [&](std::int64_t first, std::int64_t count, std::span<char> lines) {
                             if (!lines.empty()) canonical += count;
                             writer.WriteMatrixLines(lines, read, static_cast<std::int32_t>(first),
                                                     static_cast<std::int32_t>(count));
                           }),
                20000);
      writer.CloseOutputFile();
      EXPECT_EQ(ReadWholeFile(path_), expected)
          << result << ", separator " << form.decimalSeparator;
      // The job's own lines pass as they are; the chunk with the odd line is formatted again.
      if (result == resultPath) EXPECT_EQ(canonical, 20000);
      if (result == odd) EXPECT_TRUE(canonical > 0 && canonical < 20000) << canonical;
    }
  }
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
  std::string message;
  {
    const testing::FileSizeLimit limit(64 * 1024);
    message = testing::DataErrorText([&] {
      OutputWriter writer;
      writer.CreateOutputFile(path_);
      for (int i = 0; i < 40; ++i) writer.WriteMatrixRows(table_, 2000, nullptr);
      writer.CloseOutputFile();
    });
  }
  EXPECT_EQ(message, path_ + ": cannot write the file: File too large");
  EXPECT_EQ(ReadWholeFile(path_), "old complete file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace accprep
