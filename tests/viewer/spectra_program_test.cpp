// accprep-view --rotd, --fas and --periods end to end: the shared K-NET record converted by
// the built accprep-cli and its shipped jobs, then read by the built viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "converted_record.hpp"
#include "measures/fourier_amplitude.hpp"
#include "measures/rotd_spectrum.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

using testing::ProcessResult;

class SpectraProgram : public testing::SharedRecordSuite {
 protected:
  static void SetUpTestSuite() {
    SharedRecordSuite::SetUpTestSuite();
    static constexpr ConversionFile kAcc[] = {ConversionFile::kAcceleration};
    data_ = new ConversionData(
        LoadConversion(FindConversionFiles(folder_->Path("records/knet.csv")), kAcc));
  }
  static void TearDownTestSuite() {
    delete data_;
    data_ = nullptr;
    SharedRecordSuite::TearDownTestSuite();
  }
  static std::span<const double> Channel(int c) {
    return data_->table(ConversionFile::kAcceleration)->column(c);
  }

  static ConversionData* data_;
};

ConversionData* SpectraProgram::data_ = nullptr;

TEST_F(SpectraProgram, WritesRotDOfAStationAtAFilesPeriods) {
  // AOM003 EW and NS (channels 7 and 8), at 10 % damping and a code's own periods.
  folder_->Write("periods.txt", "0.05\r\n0.3\r\n1.5\r\n");
  const ProcessResult run = RunViewer({"--rotd", "r.csv", "--components", "7,8", "--periods",
                                       "@periods.txt", "--damping", "0.1", "records/knet_acc.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<double> periods = {0.05, 0.3, 1.5};
  const RotDSpectrum expected = ComputeRotDSpectrum(Channel(7), Channel(8), 0.01, periods, 0.1);
  EXPECT_EQ(folder_->Read("r.csv"), RotDCsvText(expected));
  for (const RotDValues& v : expected.values) {
    EXPECT_GT(v.rotd00, 0.0);
    EXPECT_LT(v.rotd00, v.rotd50);
    EXPECT_LT(v.rotd50, v.rotd100);
  }
}

TEST_F(SpectraProgram, WritesTheSmoothedFourierSpectraOfEveryChannel) {
  const ProcessResult run =
      RunViewer({"--fas", "f.csv", "--smoothing", "ko:40", "records/knet.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // 9,500 samples at 100 Hz: the bins start below 0.05 Hz, so the centres start there.
  std::vector<std::span<const double>> channels;
  for (int c = 1; c <= 40; ++c) channels.push_back(Channel(c));
  const std::vector<std::vector<double>> amplitudes = FourierAmplitudes(channels, 0.01);
  const std::vector<std::span<const double>> spectra(amplitudes.begin(), amplitudes.end());
  const SmoothedSpectra smoothed =
      SmoothSpectra(FourierFrequencies(9500, 0.01), 1.0 / 95.0, 50.0, spectra,
                    {SpectralSmoothing::Kind::kKonnoOhmachi, 40.0});
  ASSERT_EQ(smoothed.frequencies.size(), 1000u);
  EXPECT_EQ(smoothed.frequencies.front(), 0.05);
  EXPECT_EQ(folder_->Read("f.csv"),
            ChannelColumnsCsvText("frequency", smoothed.frequencies, smoothed.amplitudes));
}

TEST_F(SpectraProgram, UsageMistakesExitTwoAndAMissingFileOne) {
  const ProcessResult smoothing =
      RunViewer({"--fas", "f.csv", "--smoothing", "hann:2", "records/knet.csv"});
  EXPECT_EQ(smoothing.exitCode, 2);
  EXPECT_EQ(smoothing.err.rfind("error: --smoothing: ", 0), 0u) << smoothing.err;

  const ProcessResult periods =
      RunViewer({"--rotd", "r.csv", "--periods", "@nowhere.txt", "records/knet.csv"});
  EXPECT_EQ(periods.exitCode, 2);
  EXPECT_EQ(periods.err.rfind("error: --periods: cannot read nowhere.txt: ", 0), 0u) << periods.err;

  std::filesystem::create_directory(folder_->Path("lone"));
  folder_->Write("lone/x_vel.csv", "\"time\"\r\n");
  const ProcessResult missing = RunViewer({"--rotd", "r2.csv", "lone/x_vel.csv"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "error: lone/x_acc.csv: no such file: RotD needs the acceleration file\n");
  EXPECT_FALSE(folder_->Exists("r2.csv"));
}

}  // namespace
}  // namespace accprep
