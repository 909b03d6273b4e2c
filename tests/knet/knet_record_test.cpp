// Traces lined up into one record, and the record's text in the tool's input form.

#include "knet/knet_record.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "knet/record_text.hpp"
#include "knet/sample_time.hpp"
#include "knet_samples.hpp"
#include "test_kit.hpp"

namespace accprep::testing {
namespace {

std::string TimeText(std::int64_t index, int hz) {
  char text[32];
  return std::string(text, FormatSampleTime(text, index, SampleClockFor(hz, "k.EW")));
}

std::string RecordText(const KnetRecord& record) {
  std::string text;
  WriteRecordText(record, [&text](std::string_view piece) { text += piece; });
  return text;
}

TEST(SampleTime, WritesExactlyTheDecimalsTheIntervalNeeds) {
  EXPECT_EQ(TimeText(0, 100), "0.00");
  EXPECT_EQ(TimeText(7, 100), "0.07");
  EXPECT_EQ(TimeText(449999, 100), "4499.99");
  EXPECT_EQ(TimeText(3, 200), "0.015");
  EXPECT_EQ(TimeText(1, 8), "0.125");
  EXPECT_EQ(TimeText(7, 1), "7");
  EXPECT_EQ(TimeText(12, 4), "3.00");
  EXPECT_EQ(DataErrorText([] { SampleClockFor(3, "k.EW"); }),
            "k.EW: line 11: sampling interval 1/3 s has no exact decimal form");
}

// One shared file, a copy cut by 25 lines (2 s at 100 Hz) whose record time moves 2 s on, and
// a copy that starts a second earlier.
TEST(KnetRecord, LinesUpTracesByRecordTimeAndHoldsEachMeanOutsideItsSpan) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  std::vector<KnetTrace> traces;
  traces.push_back(ParseKnetTrace(text, "a.EW"));
  traces.push_back(
      ParseKnetTrace(WithHeaderValue(WithHeaderValue(WithoutDataLines(text, 25), 12, "100"), 10,
                                     "2018/01/24 19:51:45"),
                     "late.EW"));
  traces.push_back(ParseKnetTrace(WithHeaderValue(text, 10, "2018/01/24 19:51:42"), "early.EW"));
  const std::vector<double> original = traces[0].gal;
  const double lateMean = traces[1].mean;
  const double earlyMean = traces[2].mean;

  const KnetRecord record = AssembleRecord(std::move(traces));
  EXPECT_EQ(record.startTime, "2018/01/24 19:51:42");
  EXPECT_EQ(record.firstRows, (std::vector<std::int64_t>{100, 300, 0}));
  EXPECT_EQ(record.rows, 10300);
  int misplaced = 0;
  for (std::int64_t row = 0; row < record.rows; ++row) {
    const std::size_t index = static_cast<std::size_t>(row);
    const double expected[3] = {row < 100 ? record.traces[0].mean : original[index - 100],
                                row < 300 ? lateMean : original[index - 100],
                                row >= 10200 ? earlyMean : original[index]};
    for (int channel = 1; channel <= 3; ++channel) {
      if (record.Value(channel, row) != expected[channel - 1]) ++misplaced;
    }
  }
  EXPECT_EQ(misplaced, 0);
}

// Two small traces at 4 Hz, the second a second later: the whole text is the contract.
TEST(KnetRecord, WritesTheInputFormWithTitleNamesAndExactTimes) {
  std::vector<KnetTrace> traces;
  traces.push_back(ParseKnetTrace(SyntheticKnetText("2018/01/24 00:00:00", 4, {2, 4, 6, 8, 10, 12}),
                                  "dir/a.EW"));
  traces.push_back(ParseKnetTrace(
      WithHeaderValue(SyntheticKnetText("2018/01/24 00:00:01", 4, {1, 3, 5, 7}), 13, "N-S"),
      "dir/b.NS"));
  const KnetRecord record = AssembleRecord(std::move(traces));

  std::string names = "time,AOM001 EW,AOM001 NS";
  std::string tail;
  for (int channel = 3; channel <= 40; ++channel) {
    names += ",unused";
    tail += ",0";
  }
  tail += ",0,0\r\n";
  const std::string expected =
      "K-NET/KiK-net acceleration in gal: origin 2018/01/24 19:51:00 M6.2, 2 traces, 4 Hz, "
      "from 2018/01/24 00:00:00\r\n" +
      names + ",trailing1,trailing2\r\n" + "0.00,1,2" + tail + "0.25,2,2" + tail + "0.50,3,2" +
      tail + "0.75,4,2" + tail + "1.00,5,0.5" + tail + "1.25,6,1.5" + tail + "1.50,3.5,2.5" + tail +
      "1.75,3.5,3.5" + tail;
  EXPECT_EQ(RecordText(record), expected);
}

TEST(KnetRecord, RefusesMixedRatesTooManyFilesAndTooLongASpan) {
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  {
    std::vector<KnetTrace> traces;
    traces.push_back(ParseKnetTrace(text, "a.EW"));
    traces.push_back(ParseKnetTrace(text, "b.EW"));
    traces.push_back(
        ParseKnetTrace(WithHeaderValue(WithHeaderValue(text, 11, "200Hz"), 12, "51"), "c.EW"));
    traces.push_back(
        ParseKnetTrace(WithHeaderValue(WithHeaderValue(text, 11, "50Hz"), 12, "204"), "d.EW"));
    EXPECT_EQ(DataErrorText([&] { AssembleRecord(std::move(traces)); }),
              "c.EW: line 11: sampling frequency 200 Hz differs from the 100 Hz of a.EW");
  }
  {
    std::vector<std::string> files;
    for (int file = 1; file <= 41; ++file) files.push_back(std::to_string(file) + ".EW");
    EXPECT_EQ(DataErrorText([&] { CheckFileCount(files); }),
              "41.EW: more than 40 files: a record holds 40 channels");
    files.pop_back();
    CheckFileCount(files);
  }
  {
    std::vector<KnetTrace> traces;
    traces.push_back(ParseKnetTrace(text, "a.EW"));
    traces.push_back(ParseKnetTrace(WithHeaderValue(text, 10, "2018/01/25 19:51:43"), "e.EW"));
    const std::optional<DataError> error =
        ExpectDataError([&] { AssembleRecord(std::move(traces)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DataErrorKind::kCapacity);
    EXPECT_STREQ(error->what(),
                 "e.EW: the traces span 8650200 samples from the earliest record time, more "
                 "than 450,000");
  }
}

}  // namespace
}  // namespace accprep::testing
