#include "viewer/table_outputs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>

#include "conversion_fixture.hpp"
#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "measures/response_spectrum.hpp"
#include "test_kit.hpp"
#include "viewer/spectra_outputs.hpp"
#include "viewer/table_loader.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

using testing::ChannelCsvHeader;
using testing::DataErrorText;
using testing::FileExists;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

// rows[r] = {time, value of channel 1}; channel c carries c times channel 1's value.
std::string Record(const char* first, const std::vector<std::pair<double, double>>& rows) {
  std::string text = ChannelCsvHeader(first);
  for (const auto& [key, value] : rows) {
    text += FormatNumber(key);
    for (int c = 1; c <= 40; ++c) text += "," + FormatNumber(value * c);
    text += "\r\n";
  }
  return text;
}

// A name with quotes of its own, and one that only repeats the number: both kept as given.
ChannelNames Names() {
  ChannelNames names;
  names[0] = "S \"1\" EW";
  names[2] = "3ch";
  return names;
}

TEST(TableOutputs, PeaksTableIsByteExact) {
  TemporaryFolder folder;
  const std::string stem = folder.File("small");
  WriteWholeFile(stem + "_acc.csv",
                 "comment\r\n" + Record("time", {{0, 1.5}, {0.01, -2.25}, {0.02, 2.25}}));
  WriteWholeFile(stem + "_vel.csv", Record("time", {{0, 0.125}, {0.01, 0.5}, {0.02, 0.0}}));
  WriteWholeFile(stem + "_dis.csv", Record("time", {{0, -0.001}, {0.01, 0.0}, {0.02, 0.0}}));
  std::ostringstream notes;
  const std::string out = folder.File("peaks.csv");
  WritePeaksTable(FindConversionFiles(stem + ".csv"), Names(), out, notes);

  std::string expected =
      "\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\",\"name\"\r\n";
  for (int c = 1; c <= 40; ++c) {
    expected += std::to_string(c) + "," + FormatNumber(-2.25 * c) + ",0.01," +
                FormatNumber(0.5 * c) + ",0.01," + FormatNumber(-0.001 * c) + ",0," +
                (c == 1   ? "\"S \"\"1\"\" EW\""
                 : c == 3 ? "\"3ch\""
                          : "\"\"") +
                "\r\n";
  }
  EXPECT_EQ(ReadWholeFile(out), expected);
  EXPECT_EQ(notes.str(), "");
  EXPECT_FALSE(std::filesystem::exists(out + ".part"));
}

TEST(TableOutputs, PeaksOfAbsentFilesAreLeftEmptyAndNamed) {
  TemporaryFolder folder;
  const std::string stem = folder.File("partial");
  WriteWholeFile(stem + "_acc.csv", Record("time", {{0, 3.0}, {0.01, 1.0}}));
  std::ostringstream notes;
  const std::string out = folder.File("peaks.csv");
  WritePeaksTable(FindConversionFiles(stem + "_acc.csv"), {}, out, notes);
  const std::string text = ReadWholeFile(out);
  EXPECT_NE(text.find("\r\n1,3,0,,,,,\"\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n40,120,0,,,,,\"\"\r\n"), std::string::npos) << text;
  EXPECT_EQ(notes.str(), "note: " + stem +
                             "_vel.csv does not exist; its peaks are left empty\n"
                             "note: " +
                             stem + "_dis.csv does not exist; its peaks are left empty\n");

  TemporaryFolder empty;
  const std::string none = empty.File("none");
  EXPECT_THROW(WritePeaksTable(FindConversionFiles(none + ".csv"), {}, out, notes), DataError);
}

TEST(TableOutputs, ResponseTableOfAQuietRecordIsByteExact) {
  TemporaryFolder folder;
  const std::string stem = folder.File("quiet");
  std::vector<std::pair<double, double>> rows;
  for (int i = 0; i < 50; ++i) rows.push_back({i * 0.01, 0.0});
  WriteWholeFile(stem + "_acc.csv", "c\r\n" + Record("time", rows));
  const std::string out = folder.File("sa.csv");
  WriteResponseTable(FindConversionFiles(stem + "_acc.csv"), out, 0.05);

  std::string expected = ChannelCsvHeader("period");
  for (double period : ResponsePeriods()) {
    expected += FormatNumber(period);
    for (int c = 1; c <= 40; ++c) expected += ",0";
    expected += "\r\n";
  }
  EXPECT_EQ(ReadWholeFile(out), expected);
}

TEST(TableOutputs, ResponseTableHoldsEachChannelsSpectrumAtItsDamping) {
  TemporaryFolder folder;
  testing::FixtureOptions options;
  options.records = 400;
  const std::string stem = testing::WriteConversionFixture(folder.path(), "fx", options);
  const std::string out = folder.File("sa.csv");
  WriteResponseTable(FindConversionFiles(stem + "_dis.csv"), out, 0.1);

  // Read back as a table: the period column, then Sa of channels 1..40.
  const ChannelTable written = LoadChannelTable(out, HeaderForm::kOneLine);
  const ChannelTable acc = LoadChannelTable(stem + "_acc.csv", HeaderForm::kOptionalComment);
  const std::vector<double> periods = ResponsePeriods();
  ASSERT_EQ(written.rows(), 100);
  for (int c : {1, 17, 40}) {
    const ResponseSpectrum expected = ComputeResponseSpectrum(acc.column(c), 0.01, periods, 0.1);
    for (int k = 0; k < 100; ++k) {
      EXPECT_EQ(written.column(0)[k], periods[k]);
      EXPECT_NEAR(written.column(c)[k], expected.absoluteAcceleration[k],
                  1e-12 * expected.absoluteAcceleration[k]);
    }
  }
}

TEST(TableOutputs, ResponseNeedsTheAccelerationFile) {
  TemporaryFolder folder;
  const std::string stem = folder.File("novel");
  WriteWholeFile(stem + "_vel.csv", Record("time", {{0, 1.0}, {0.01, 2.0}}));
  EXPECT_EQ(DataErrorText([&] {
              WriteResponseTable(FindConversionFiles(stem + "_vel.csv"), folder.File("o.csv"),
                                 0.05);
            }),
            stem + "_acc.csv: no such file: the response spectra need the acceleration file");
}

TEST(TableOutputs, AnUnwritableDestinationIsNamedWithTheSystemsReason) {
  TemporaryFolder folder;
  const std::string stem = folder.File("w");
  WriteWholeFile(stem + "_acc.csv", Record("time", {{0, 1.0}, {0.01, 2.0}}));
  const std::string out = folder.File("missing/p.csv");
  std::ostringstream notes;
  EXPECT_EQ(DataErrorText(
                [&] { WritePeaksTable(FindConversionFiles(stem + "_acc.csv"), {}, out, notes); }),
            out + ": cannot create the file: No such file or directory");
}

// Values near the double range overflow every measure: an error naming the file, never "inf"
// or "nan" written as a result.
TEST(TableOutputs, AMeasureBeyondTheRangeOfNumbersIsAnErrorNamingTheFile) {
  TemporaryFolder folder;
  const std::string stem = folder.File("huge");
  std::vector<std::pair<double, double>> rows;
  for (int i = 0; i <= 100; ++i) rows.push_back({i * 0.01, i % 2 == 0 ? 4e306 : -4e306});
  WriteWholeFile(stem + "_acc.csv", Record("time", rows));
  const ConversionFiles files = FindConversionFiles(stem + "_acc.csv");
  const std::string out = folder.File("t.csv");
  const std::string resampling =
      "the record's values are too large to resample in double "
      "precision";
  for (const auto& [write, reason] : std::vector<std::pair<std::function<void()>, std::string>>{
           {[&] {
              WriteIntensityTable(files, out, {1, 2, 3});
            },
            "the intensity level a0 is beyond the range of numbers: the record's values are too "
            "large"},
           {[&] { WriteMeasuresTable(files, ChannelNames{}, out); },
            "the Arias intensity of channel 1 is beyond the range of numbers: the record's values "
            "are too large"},
           {[&] { WriteResponseTable(files, out, 0.05); }, resampling},
           {[&] { WriteRotdTable(files, out, {1, 2}, {}, 0.05); }, resampling},
           {[&] { WriteFasTable(files, out, SpectralSmoothing{}); },
            "the Fourier spectrum of channel 1 is beyond the range of numbers: the record's "
            "values are too large"}}) {
    EXPECT_EQ(DataErrorText(write, DataErrorKind::kArithmetic), stem + "_acc.csv: " + reason);
    EXPECT_FALSE(FileExists(out));
  }
}

TEST(TableOutputs, IntensityOfAStillRecordLeavesTheIntensityEmpty) {
  RecordIntensity still;
  still.jma.computed = -INFINITY;
  still.jma.reported = -INFINITY;
  still.components = {7, 8, 9};
  EXPECT_EQ(IntensityCsvText(still),
            "\"components\",\"I\",\"reported\",\"class\",\"a0\",\"Sva\",\"T_Sva\",\"long_period_"
            "class\"\r\n"
            "\"7,8,9\",,,\"0\",0,0,0,0\r\n");
}

TEST(TableOutputs, MeasuresTableHoldsEveryChannelsMeasures) {
  TemporaryFolder folder;
  const std::string stem = folder.File("m");
  // Channel c holds c gal throughout 1 s: Ia = pi / 2g (c / 100)^2, CAV = c, and the integral
  // of a^2 grows evenly: D5-75 = 0.7 s, D5-95 = 0.9 s.
  std::vector<std::pair<double, double>> rows;
  for (int i = 0; i <= 100; ++i) rows.push_back({i * 0.01, 1.0});
  WriteWholeFile(stem + "_acc.csv", "c\r\n" + Record("time", rows));
  const std::string out = folder.File("m.csv");
  WriteMeasuresTable(FindConversionFiles(stem + ".csv"), {}, out);
  const std::string text = ReadWholeFile(out);
  ASSERT_EQ(text.rfind("\"channel\",\"Arias\",\"D5-75\",\"D5-95\",\"CAV\",\"name\"\r\n1,", 0), 0u)
      << text;
  std::istringstream lines(text.substr(text.find('\n') + 1));
  std::string line;
  for (int c = 1; c <= 40; ++c) {
    ASSERT_TRUE(std::getline(lines, line));
    std::istringstream fields(line);
    double values[5];
    for (double& value : values) {
      std::string field;
      std::getline(fields, field, ',');
      if (field.back() == '\r') field.pop_back();
      value = ParseNumber(field).value;
    }
    EXPECT_EQ(values[0], c);
    EXPECT_NEAR(values[1], std::numbers::pi / (2 * 9.80665) * c * c * 1e-4, 1e-15 * c * c);
    EXPECT_NEAR(values[2], 0.7, 1e-9);
    EXPECT_NEAR(values[3], 0.9, 1e-9);
    EXPECT_NEAR(values[4], c, 1e-12 * c);
  }
  EXPECT_FALSE(std::getline(lines, line));

  // A channel without motion has no durations: its two fields stay empty.
  rows.assign(50, {0.0, 0.0});
  for (int i = 0; i < 50; ++i) rows[i].first = i * 0.01;
  WriteWholeFile(stem + "_acc.csv", "c\r\n" + Record("time", rows));
  WriteMeasuresTable(FindConversionFiles(stem + ".csv"), {}, out);
  std::string expected = "\"channel\",\"Arias\",\"D5-75\",\"D5-95\",\"CAV\",\"name\"\r\n";
  for (int c = 1; c <= 40; ++c) expected += std::to_string(c) + ",0,,,0,\"\"\r\n";
  EXPECT_EQ(ReadWholeFile(out), expected);
}

TEST(TableOutputs, IntensityAndMeasuresNeedTheAccelerationFileAndATenthsOfSeconds) {
  TemporaryFolder folder;
  const std::string stem = folder.File("short");
  WriteWholeFile(stem + "_vel.csv", Record("time", {{0, 1.0}, {0.01, 2.0}}));
  const ConversionFiles velocityOnly = FindConversionFiles(stem + "_vel.csv");
  EXPECT_EQ(DataErrorText([&] { WriteIntensityTable(velocityOnly, folder.File("i.csv"), {}); }),
            stem + "_acc.csv: no such file: the seismic intensity needs the acceleration file");
  EXPECT_EQ(DataErrorText([&] { WriteMeasuresTable(velocityOnly, {}, folder.File("m.csv")); }),
            stem + "_acc.csv: no such file: the intensity measures need the acceleration file");

  std::vector<std::pair<double, double>> rows;
  for (int i = 0; i < 29; ++i) rows.push_back({i * 0.01, 1.0});
  WriteWholeFile(stem + "_acc.csv", "c\r\n" + Record("time", rows));
  EXPECT_EQ(DataErrorText([&] {
              WriteIntensityTable(FindConversionFiles(stem + ".csv"), folder.File("i.csv"), {});
            }),
            stem + "_acc.csv: the record is shorter than the 0.3 s the seismic intensity needs");
  EXPECT_FALSE(FileExists(folder.File("i.csv")));
}

}  // namespace
}  // namespace accprep
