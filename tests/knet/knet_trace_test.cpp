// Reading one K-NET/KiK-net ASCII file: the shared files against the record made from them,
// the peak check against each file's Max. Acc., and what a broken file is told.

#include "knet/knet_trace.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"
#include "knet_samples.hpp"
#include "test_kit.hpp"

namespace accprep::testing {
namespace {

class SharedKnetTraces : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    traces_ = new std::vector<KnetTrace>;
    for (const std::string& file : SharedKnetFiles()) traces_->push_back(ReadKnetTrace(file));
  }
  static void TearDownTestSuite() {
    delete traces_;
    traces_ = nullptr;
  }
  static std::vector<KnetTrace>* traces_;
};
std::vector<KnetTrace>* SharedKnetTraces::traces_ = nullptr;

TEST_F(SharedKnetTraces, ReadsTheHeaderByLinePosition) {
  const KnetTrace& first = traces_->front();
  EXPECT_EQ(first.Name(), "AOM001 EW");
  EXPECT_EQ(first.header.recordTime, "2018/01/24 19:51:43");
  EXPECT_EQ(first.header.samplingHz, 100);
  EXPECT_EQ(first.header.maxAccGal, 4.078);
  ASSERT_EQ(first.gal.size(), 10200u);
  // The first count of the file, -12085, scaled by 3920(gal)/6182761.
  EXPECT_EQ(first.gal.front(), -12085.0 * 3920.0 / 6182761.0);
  // Record times a second apart are a second apart on the scale they line up by.
  EXPECT_EQ((*traces_)[0].header.recordSecond - (*traces_)[3].header.recordSecond, 1);
}

// The shared record was scaled by a script, printed with up to 6 decimals, each trace from
// its first row and cut to the shortest trace.
TEST_F(SharedKnetTraces, ScalesCountsAsTheSharedRecordDoes) {
  SampleTable table;
  const std::int32_t rows =
      ReadRecord(table, std::string(ACCPREP_SHARED_DATA_DIR) + "/knet-aomori-2018.csv", 2, 43, {});
  ASSERT_EQ(rows, 9500);
  for (std::size_t channel = 1; channel <= traces_->size(); ++channel) {
    const KnetTrace& trace = (*traces_)[channel - 1];
    int worse = 0;
    for (std::int32_t row = 1; row <= rows; ++row) {
      const double expected = table.at(row, static_cast<std::int16_t>(channel));
      if (std::abs(trace.gal[static_cast<std::size_t>(row - 1)] - expected) > 0.5e-6 + 1e-12) {
        ++worse;
      }
    }
    EXPECT_EQ(worse, 0) << trace.file;
  }
}

TEST_F(SharedKnetTraces, PeakAboutTheMeanIsTheFilesMaxAcc) {
  for (const KnetTrace& trace : *traces_) {
    EXPECT_NEAR(trace.PeakAboutMean(), trace.header.maxAccGal, 0.0005 + 1e-9) << trace.file;
  }
}

TEST(KnetTrace, ComponentComesFromTheFileNameAndDirOnlyChecksIt) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const KnetTrace kiknet = ParseKnetTrace(WithHeaderValue(text, 13, "4"), "IBRH101801241951.EW2");
  EXPECT_EQ(kiknet.Name(), "AOM001 EW2");
  EXPECT_EQ(ParseKnetTrace(text, "lower/case.ew1").component, "EW1");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(text, "a.NS"); }),
            "a.NS: line 13: Dir. \"E-W\" does not match the component NS of the file name");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(text, "a.csv"); }),
            "a.csv: not a K-NET or KiK-net file name: the extension is not .EW, .NS, .UD or "
            ".EW1 ... .UD2");
}

TEST(KnetTrace, ReadsCrLfAndIgnoresBlankLinesAfterTheData) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const KnetTrace plain = ParseKnetTrace(text, "a.EW");
  const KnetTrace windows = ParseKnetTrace(crlf + "\r\n   \n", "a.EW");
  EXPECT_EQ(windows.gal, plain.gal);
  EXPECT_EQ(windows.mean, plain.mean);
}

TEST(KnetTrace, RefusesABrokenHeaderNamingItsLine) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const struct {
    int line;
    const char* value;
    const char* message;
  } cases[] = {
      {14, "3920(gal)/0",
       "k.EW: line 14: scale factor is not NUM(gal)/DEN with positive NUM and DEN: "
       "\"3920(gal)/0\""},
      {14, "3920/6182761",
       "k.EW: line 14: scale factor is not NUM(gal)/DEN with positive NUM and DEN: "
       "\"3920/6182761\""},
      {10, "2018/02/30 19:51:43",
       "k.EW: line 10: not a K-NET or KiK-net ASCII file: no record time YYYY/MM/DD HH:MM:SS: "
       "\"2018/02/30 19:51:43\""},
      {11, "100", "k.EW: line 11: sampling frequency is not a whole number of Hz: \"100\""},
      {6, "../x", "k.EW: line 6: station code is empty or holds a blank, comma or slash: \"../x\""},
  };
  for (const auto& broken : cases) {
    EXPECT_EQ(DataErrorText([&] {
                ParseKnetTrace(WithHeaderValue(text, broken.line, broken.value), "k.EW");
              }),
              broken.message);
  }
  const std::string cutHeader = text.substr(0, text.find("Station Lat."));
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(cutHeader + "x\n", "k.EW"); }),
            "k.EW: line 7: not a K-NET or KiK-net ASCII file: the header ends at line 7 of 17");
}

TEST(KnetTrace, RefusesBrokenDataNamingLineAndField) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const std::string eight =
      "  -12085   -12085   -12070   -12060   -12068   -12083   -12085   -12077 ";
  EXPECT_EQ(DataErrorText([&] {
              ParseKnetTrace(WithLine(text, 19, "  -12085   -12085   -120.5   -12060"), "k.EW");
            }),
            "k.EW: line 19, field 3: count is not an integer: \"-120.5\"");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(WithLine(text, 20, eight + "  7"), "k.EW"); }),
            "k.EW: line 20, field 9: more than 8 counts on a data line");
  EXPECT_EQ(DataErrorText([&] {
              ParseKnetTrace(WithLine(text, 21, "  -12085   -12085   -12070   -12060"), "k.EW");
            }),
            "k.EW: line 21: data line cut short: 4 counts where 8 belong");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(WithoutDataLines(text, 1275), "k.EW"); }),
            "k.EW: line 18: no counts after the 17 header lines");
  // The last line may hold fewer counts.
  EXPECT_EQ(ParseKnetTrace(WithHeaderValue(text, 12, "102.02") + "  1   2 \n", "k.EW").gal.size(),
            10202u);
}

// A header missing a line would otherwise be read shifted: the first data line taken for the
// memo and its samples lost.
TEST(KnetTrace, RefusesAHeaderLineMissingOrOutOfPlace) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const auto without = [&](int line) {
    std::size_t start = 0;
    for (int before = 1; before < line; ++before) start = text.find('\n', start) + 1;
    return text.substr(0, start) + text.substr(text.find('\n', start) + 1);
  };
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(without(2), "k.EW"); }),
            "k.EW: line 2: a header line is missing or out of place: \"Lat.\" belongs here, not "
            "\"Long.\"");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(without(17), "k.EW"); }),
            "k.EW: line 17: a header line is missing or out of place: \"Memo.\" belongs here, not "
            "\"-12085   -12085\"");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(without(1), "k.EW"); }),
            "k.EW: line 1: not a K-NET or KiK-net ASCII file: no \"Origin Time\" label: \"Lat.\"");
  // Labels may differ in spacing, case and units.
  const std::string relabelled = WithLine(text, 4, "DEPTH(KM)         30");
  EXPECT_EQ(ParseKnetTrace(relabelled, "k.EW").gal.size(), 10200u);
}

// A file cut short, after a whole line or inside a count, is refused instead of read as a
// shorter trace with a wrong last value.
TEST(KnetTrace, RefusesAFileCutShort) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(text.substr(0, lastLine), "k.EW"); }),
            "k.EW: 10192 samples where Duration Time 102 s at 100 Hz makes 10200: the file was "
            "cut short or its header is wrong");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(text.substr(0, text.size() - 3), "k.EW"); }),
            "k.EW: line 1292: the file ends inside a data line: it was cut short");
  EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(WithHeaderValue(text, 12, "1O2"), "k.EW"); }),
            "k.EW: line 12: duration time is not a positive number of seconds: \"1O2\"");
}

TEST(KnetTrace, TakesCountsAsAnOptionalMinusAndDigitsAndEveryValueFinite) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  for (const char* count : {"+-5", "+5", "--5", "5-", "-"}) {
    EXPECT_EQ(DataErrorText([&] { ParseKnetTrace(WithLine(text, 18, count), "k.EW"); }),
              "k.EW: line 18, field 1: count is not an integer: \"" + std::string(count) + "\"")
        << count;
  }
  EXPECT_EQ(DataErrorText(
                [&] { ParseKnetTrace(WithHeaderValue(text, 14, "1e300(gal)/1e-300"), "k.EW"); }),
            "k.EW: line 18, field 1: count -12085 times the scale factor is beyond the range of "
            "numbers");
  EXPECT_EQ(DataErrorText([&] { ReadKnetTrace("/dev/zero"); }),
            "/dev/zero: more than 16 MiB: larger than any K-NET or KiK-net file of up to 450,000 "
            "samples");
}

TEST(KnetTrace, RefusesATraceLongerThanTheRecordHolds) {
  const std::vector<int> counts(static_cast<std::size_t>(kMaxRecords) + 1, 3);
  const std::string text = SyntheticKnetText("2018/01/24 19:51:43", 100, counts);
  const std::optional<DataError> error = ExpectDataError([&] { ParseKnetTrace(text, "k.EW"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), DataErrorKind::kCapacity);
  // 450,000 counts fill 56,250 lines after the header; the next count begins line 56,268.
  EXPECT_STREQ(error->what(), "k.EW: line 56268, field 1: trace longer than 450,000 samples");
  EXPECT_EQ(
      ParseKnetTrace(
          SyntheticKnetText("2018/01/24 19:51:43", 100, std::vector<int>(kMaxRecords, 3)), "k.EW")
          .gal.size(),
      static_cast<std::size_t>(kMaxRecords));
}

}  // namespace
}  // namespace accprep::testing
