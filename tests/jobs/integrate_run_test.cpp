// accprep-integrate end to end: the shipped job files on real and closed-form records, the
// form of their results, and what a user is told when the input cannot be integrated.

#include "jobs/integrate_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "closed_form.hpp"
#include "engine/baseline.hpp"
#include "engine/engine_error.hpp"
#include "engine/integration_jobs.hpp"
#include "engine/number_format.hpp"
#include "engine/output_writers.hpp"
#include "engine/record_reader.hpp"
#include "jobs/fft_integrator.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::ChannelCsvHeader;
using testing::FileExists;
using testing::InstallShippedJobs;
using testing::ReadWholeFile;
using testing::Scientific;
using testing::TemporaryFolder;
using testing::WindowedSine;
using testing::WriteExecutable;
using testing::WriteWholeFile;

void NoProgress(float) {}

// outacc.csv as the conversion run writes it.
void WriteExchangeCsv(const std::string& path, const SampleTable& table, std::int32_t records) {
  OutputWriter writer(NumberForm::Point());
  writer.CreateOutputFile(path);
  writer.WriteChannelCsv(table, records, std::nullopt, NoProgress);
  writer.CloseOutputFile();
}

// The exchange CSV of the input record `record` as the run leaves it, baseline removed;
// returns the number of records.
std::int32_t WriteExchangeCsvOf(const std::string& record, const std::string& path) {
  auto table = std::make_unique<SampleTable>();
  const std::int32_t records = ReadRecord(*table, record, 2, 43, NoProgress);
  ChannelMeans means{};
  RemoveBaseline(*table, means, records);
  WriteExchangeCsv(path, *table, records);
  return records;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find("\r\n", begin);
    if (end == std::string::npos) {
      lines.push_back(text.substr(begin) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 2;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t begin = 0;
  for (;;) {
    std::size_t comma = line.find(',', begin);
    fields.push_back(line.substr(begin, comma - begin));
    if (comma == std::string::npos) return fields;
    begin = comma + 1;
  }
}

bool LeftoverTemporaryFiles(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".part") != std::string::npos) return true;
  }
  return false;
}

// Checks the form of a result or spectrum file against the contract and returns its rows.
void ExpectWellFormed(const std::string& path, const char* firstName, std::size_t rows,
                      const std::vector<std::string>& firstFields) {
  const std::vector<std::string> lines = Lines(ReadWholeFile(path));
  ASSERT_EQ(lines.size(), rows + 1) << path;
  EXPECT_EQ(lines[0] + "\r\n", ChannelCsvHeader(firstName)) << path;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = Fields(lines[i]);
    ASSERT_EQ(fields.size(), 41u) << path << " line " << i + 1 << ": " << lines[i];
    if (!firstFields.empty()) {
      ASSERT_EQ(fields[0], firstFields[i - 1]) << path << " line " << i + 1;
    }
    for (const std::string& field : fields) {
      ASSERT_EQ(ParseNumber(field).error, ParseError::kNone) << path << " line " << i + 1;
      // 9 significant digits at most: the mantissa carries no more.
      std::string digits = field.substr(0, field.find('e'));
      digits.erase(
          std::remove_if(digits.begin(), digits.end(), [](char c) { return c < '0' || c > '9'; }),
          digits.end());
      digits.erase(0, digits.find_first_not_of('0'));
      ASSERT_LE(digits.size(), 9u) << path << " line " << i + 1 << ": " << field;
    }
  }
}

std::vector<std::string> TimeTexts(const std::string& exchangeCsv) {
  std::vector<std::string> times;
  const std::vector<std::string> lines = Lines(ReadWholeFile(exchangeCsv));
  for (std::size_t i = 1; i < lines.size(); ++i) times.push_back(Fields(lines[i])[0]);
  return times;
}

TEST(ShippedJobs, IntegrateTheExampleRecordToWellFormedResults) {
  TemporaryFolder folder("program folder");
  ASSERT_TRUE(InstallShippedJobs(folder.path()));
  ASSERT_EQ(WriteExchangeCsvOf(ACCPREP_SOURCE_DIR "/examples/example-record.csv",
                               folder.File(kExchangeCsv)),
            2000);
  const std::vector<std::string> times = TimeTexts(folder.File(kExchangeCsv));

  const std::size_t frequencies = FastFftLength(2 * 2000) / 2;
  std::vector<std::string> frequencyTexts;
  for (std::size_t k = 1; k <= frequencies; ++k)
    frequencyTexts.push_back(FormatNumber(static_cast<double>(k) / 40.0));

  for (const char* job : {kVelocityJob, kDisplacementJob}) {
    const std::string result =
        folder.File(std::string(job) == kVelocityJob ? kVelocityResult : kDisplacementResult);
    RunIntegrationJob(folder.File(job), {result, folder.File(kSpectrumResult)});
    ExpectWellFormed(result, "time", 2000, times);
    ExpectWellFormed(folder.File(kSpectrumResult), "freq", frequencies, frequencyTexts);
    // The conversion run reads the result back with its own reader.
    SampleTable back;
    EXPECT_EQ(ReadRecord(back, result, 1, 41, NoProgress), 2000);
    EXPECT_FALSE(LeftoverTemporaryFiles(folder.path()));
  }
}

// The closed-form record through everything a run puts it through: rounding to four
// decimals, outacc.csv, the shipped job, nine digits in the result, the reader.
}  // namespace

// Readable test parameters in gtest's output.
void PrintTo(IntegrationMode mode, std::ostream* out) {
  *out << (mode == IntegrationMode::kVelocity ? "velocity" : "displacement");
}

namespace {

class ShippedJobAccuracy : public ::testing::TestWithParam<IntegrationMode> {};

TEST_P(ShippedJobAccuracy, ClosedFormRecordSurvivesTheExchangeFiles) {
  const IntegrationMode mode = GetParam();
  const bool velocity = mode == IntegrationMode::kVelocity;
  TemporaryFolder folder;
  ASSERT_TRUE(InstallShippedJobs(folder.path()));

  // d(t) with 2 Hz, 100 Hz sampling, 20 s; 2 cm amplitude gives about 300 gal.
  WindowedSine signal;
  signal.amplitude = 2.0;
  const std::int32_t records = 2000;
  auto table = std::make_unique<SampleTable>();
  for (std::int32_t row = 1; row <= records; ++row) {
    const double t = (row - 1) * 0.01;
    table->at(row, 0) = ToHalfAdjust(t, 2);
    for (std::int16_t c = 1; c <= 40; ++c)
      table->at(row, c) = ToHalfAdjust(signal.Acceleration(t) * c / 40.0, kKeptDecimals);
  }
  WriteExchangeCsv(folder.File(kExchangeCsv), *table, records);

  const std::string result = folder.File(velocity ? kVelocityResult : kDisplacementResult);
  RunIntegrationJob(folder.File(velocity ? kVelocityJob : kDisplacementJob),
                    {result, folder.File(kSpectrumResult)});
  SampleTable back;
  ASSERT_EQ(ReadRecord(back, result, 1, 41, NoProgress), records);

  double worstPeak = 0.0;
  double worstPointwise = 0.0;
  for (std::int16_t c = 1; c <= 40; ++c) {
    double expectedPeak = 0.0, actualPeak = 0.0, largestError = 0.0;
    for (std::int32_t row = 1; row <= records; ++row) {
      const double t = (row - 1) * 0.01;
      ASSERT_EQ(back.at(row, 0), table->at(row, 0));
      const double expected = (velocity ? signal.Velocity(t) : signal.Displacement(t)) * c / 40.0;
      expectedPeak = std::max(expectedPeak, std::fabs(expected));
      actualPeak = std::max(actualPeak, std::fabs(back.at(row, c)));
      largestError = std::max(largestError, std::fabs(back.at(row, c) - expected));
    }
    worstPeak = std::max(worstPeak, std::fabs(actualPeak / expectedPeak - 1));
    worstPointwise = std::max(worstPointwise, largestError / expectedPeak);
  }
  EXPECT_LT(worstPeak, 0.005);
  EXPECT_LT(worstPointwise, 0.01);
  RecordProperty("relative_peak_error", Scientific(worstPeak));
  RecordProperty("relative_pointwise_error", Scientific(worstPointwise));
}

INSTANTIATE_TEST_SUITE_P(BothJobs, ShippedJobAccuracy,
                         ::testing::Values(IntegrationMode::kVelocity,
                                           IntegrationMode::kDisplacement));

// The real strong-motion record through both jobs: the two results must agree with each
// other. With the zero-frequency term removed, d(t) - d(t1) is the integral of v exactly, so
// a trapezoid sum of the velocity must retrace the displacement (up to the sum's own error at
// the record's higher frequencies, where displacement is small). The quiet second before the
// event must stay quiet, which it would not if a transform wrapped the record's end round to
// its start.
TEST(ShippedJobs, RealRecordVelocityAndDisplacementAgree) {
  TemporaryFolder folder;
  ASSERT_TRUE(InstallShippedJobs(folder.path()));
  const std::int32_t records = WriteExchangeCsvOf(ACCPREP_SHARED_DATA_DIR "/knet-aomori-2018.csv",
                                                  folder.File(kExchangeCsv));
  ASSERT_EQ(records, 9500);

  RunIntegrationJob(folder.File(kVelocityJob),
                    {folder.File(kVelocityResult), folder.File(kSpectrumResult)});
  SampleTable velocity;
  ASSERT_EQ(ReadRecord(velocity, folder.File(kVelocityResult), 1, 41, NoProgress), records);
  RunIntegrationJob(folder.File(kDisplacementJob),
                    {folder.File(kDisplacementResult), folder.File(kSpectrumResult)});
  SampleTable displacement;
  ASSERT_EQ(ReadRecord(displacement, folder.File(kDisplacementResult), 1, 41, NoProgress), records);

  const double step = 0.01;
  for (std::int16_t c = 1; c <= 40; ++c) {
    double velocityPeak = 0.0, displacementPeak = 0.0, before = 0.0, largestError = 0.0;
    for (std::int32_t row = 1; row <= records; ++row) {
      velocityPeak = std::max(velocityPeak, std::fabs(velocity.at(row, c)));
      displacementPeak = std::max(displacementPeak, std::fabs(displacement.at(row, c)));
      if (row <= 100) before = std::max(before, std::fabs(displacement.at(row, c)));
    }
    double integral = displacement.at(1, c);
    for (std::int32_t row = 2; row <= records; ++row) {
      integral += 0.5 * step * (velocity.at(row - 1, c) + velocity.at(row, c));
      largestError = std::max(largestError, std::fabs(integral - displacement.at(row, c)));
    }
    ASSERT_GT(velocityPeak, 0.0) << "channel " << c;
    EXPECT_LT(largestError, 0.01 * displacementPeak) << "channel " << c;
    EXPECT_LT(before, 0.05 * displacementPeak) << "channel " << c;
  }
}

// --- failures ------------------------------------------------------------------------------

SampleTable& UniformTable(SampleTable& table, std::int32_t records, double step) {
  for (std::int32_t row = 1; row <= records; ++row) {
    table.at(row, 0) = (row - 1) * step;
    table.at(row, 1) = std::sin(row * 0.3);
  }
  return table;
}

std::string InputFailure(const JobOptions& options) {
  return testing::DataErrorText([&] { RunIntegration(options); });
}

TEST(IntegrateRun, RefusesRecordsItCannotIntegrateAndLeavesEarlierResultsAlone) {
  TemporaryFolder folder;
  JobOptions options;
  options.folder = folder.path();
  const std::string input = folder.File(kExchangeCsv);
  WriteWholeFile(folder.File(kVelocityResult), "an earlier result\n");

  EXPECT_EQ(InputFailure(options), input + ": cannot open the file: No such file or directory");

  auto table = std::make_unique<SampleTable>();
  WriteExchangeCsv(input, UniformTable(*table, 1, 0.01), 1);
  EXPECT_EQ(InputFailure(options),
            input + ": integration needs at least 2 records; this file holds 1");

  WriteExchangeCsv(input, UniformTable(*table, 100, 0.01), 100);
  options.filter.highPassCorner = 50.0;
  EXPECT_EQ(InputFailure(options),
            input +
                ": the high-pass corner 50 Hz lies at or above the record's Nyquist "
                "frequency 50 Hz, which would leave nothing");

  EXPECT_EQ(ReadWholeFile(folder.File(kVelocityResult)), "an earlier result\n");
  EXPECT_FALSE(FileExists(folder.File(kSpectrumResult)));
  EXPECT_FALSE(LeftoverTemporaryFiles(folder.path()));
}

TEST(ShippedJobs, BadRecordFailsTheJobWithAOneLineMessageTheRunQuotes) {
  TemporaryFolder folder;
  ASSERT_TRUE(InstallShippedJobs(folder.path()));
  auto table = std::make_unique<SampleTable>();
  UniformTable(*table, 50, 0.01);
  table->at(30, 0) = 0.31;
  WriteExchangeCsv(folder.File(kExchangeCsv), *table, 50);

  const std::string job = folder.File(kVelocityJob);
  EXPECT_EQ(testing::EngineErrorText([&] {
              RunIntegrationJob(job, {folder.File(kVelocityResult), folder.File(kSpectrumResult)});
            }),
            "job " + job +
                " ended with exit code 1; its last error output:\n"
                "accprep-integrate: " +
                folder.File(kExchangeCsv) +
                ": line 31: the time step is not uniform: 0.03 s from the record before, where "
                "the record starts with steps of 0.01 s");
  EXPECT_FALSE(FileExists(folder.File(kVelocityResult)));
  EXPECT_FALSE(LeftoverTemporaryFiles(folder.path()));
}

TEST(ShippedJobs, WrongCommandLineInAnEditedJobFileIsReported) {
  TemporaryFolder folder;
  ASSERT_TRUE(InstallShippedJobs(folder.path()));
  const std::string job = folder.File(kVelocityJob);
  std::string text = ReadWholeFile(job);
  const std::string setting = "highpass_order=4";
  ASSERT_NE(text.find(setting), std::string::npos);
  text.replace(text.find(setting), setting.size(), "highpass_order=four");
  WriteExecutable(job, text);
  EXPECT_EQ(
      testing::EngineErrorText([&] { RunIntegrationJob(job, {folder.File(kVelocityResult)}); }),
      "job " + job +
          " ended with exit code 2; its last error output:\n"
          "accprep-integrate: --highpass-order needs a whole number from 1 to 12, not "
          "\"four\" (see --help)");
}

}  // namespace
}  // namespace accprep
