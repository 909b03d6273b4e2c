#include "viewer/spectra_outputs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "conversion_fixture.hpp"
#include "engine/data_error.hpp"
#include "measures/response_spectrum.hpp"
#include "measures/rotd_spectrum.hpp"
#include "test_kit.hpp"
#include "viewer/acceleration_channels.hpp"
#include "viewer/table_loader.hpp"
#include "viewer/table_outputs.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

using testing::DataErrorText;
using testing::ReadWholeFile;
using testing::TemporaryFolder;

constexpr double kPi = std::numbers::pi;

// One conversion for the suite (its spectra take a while to write); each test writes its
// tables beside it under names of its own.
class SpectraOutputs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TemporaryFolder;
    testing::FixtureOptions options;
    options.records = 601;  // odd: n/2 = 300 bins
    stem_ = testing::WriteConversionFixture(folder_->path(), "fx", options);
    acc_ = new ChannelTable(LoadChannelTable(stem_ + "_acc.csv", HeaderForm::kOptionalComment));
  }
  static void TearDownTestSuite() {
    delete acc_;
    delete folder_;
  }
  static ConversionFiles Files() { return FindConversionFiles(stem_ + "_vel.csv"); }
  static std::string Out(const char* name) { return folder_->File(name); }

  // |sum_i x_i exp(-2 pi i k i / n)| dt, summed plainly.
  static std::vector<double> PlainAmplitudes(int channel) {
    const std::span<const double> x = acc_->column(channel);
    const std::size_t n = x.size();
    std::vector<double> amplitudes;
    for (std::size_t k = 1; k <= n / 2; ++k) {
      std::complex<double> sum = 0.0;
      for (std::size_t i = 0; i < n; ++i) sum += x[i] * std::polar(1.0, -2 * kPi * k * i / n);
      amplitudes.push_back(std::abs(sum) * 0.01);
    }
    return amplitudes;
  }

  static TemporaryFolder* folder_;
  static std::string stem_;
  static ChannelTable* acc_;
};

TemporaryFolder* SpectraOutputs::folder_ = nullptr;
std::string SpectraOutputs::stem_;
ChannelTable* SpectraOutputs::acc_ = nullptr;

TEST_F(SpectraOutputs, FourierTableHoldsEveryChannelsAmplitudeAtItsBins) {
  WriteFasTable(Files(), Out("f.csv"), {});
  const std::string text = ReadWholeFile(Out("f.csv"));
  EXPECT_EQ(text.rfind(testing::ChannelCsvHeader("frequency") + "0.1663893510815308,", 0), 0u);
  const ChannelTable table = LoadChannelTable(Out("f.csv"), HeaderForm::kOneLine);
  ASSERT_EQ(table.rows(), 300);
  for (int c : {1, 22, 40}) {
    const std::vector<double> expected = PlainAmplitudes(c);
    for (int k = 0; k < 300; ++k) {
      EXPECT_DOUBLE_EQ(table.column(0)[k], (k + 1) / 6.01);
      ASSERT_NEAR(table.column(c)[k], expected[k], 1e-9 * expected[k] + 1e-12) << c << " " << k;
    }
  }
}

TEST_F(SpectraOutputs, FourierTableSmoothsAsAsked) {
  // The plain sums round to about 1e-13 of the largest amplitude, which is most of what the
  // far bins hold.
  const std::vector<double> plain = PlainAmplitudes(9);
  const double rounding = 1e-13 * *std::max_element(plain.begin(), plain.end());
  std::vector<double> bins;
  for (int k = 1; k <= 300; ++k) bins.push_back(k / 6.01);

  // Konno-Ohmachi, b = 20: 1,000 centres from the first bin (above 0.05 Hz) to 50 Hz.
  const SpectralSmoothing ko{SpectralSmoothing::Kind::kKonnoOhmachi, 20.0};
  WriteFasTable(Files(), Out("ko.csv"), ko);
  const ChannelTable smooth = LoadChannelTable(Out("ko.csv"), HeaderForm::kOneLine);
  ASSERT_EQ(smooth.rows(), 1000);
  EXPECT_EQ(smooth.column(0)[0], bins[0]);
  EXPECT_EQ(smooth.column(0)[999], 50.0);
  for (int row : {0, 333, 999}) {
    const double fc = smooth.column(0)[row];
    double num = 0.0, den = 0.0;
    for (int k = 0; k < 300; ++k) {
      const double x = 20.0 * std::log10(bins[k] / fc);
      const double w = x == 0.0 ? 1.0 : std::pow(std::sin(x) / x, 4);
      num += w * plain[k];
      den += w;
    }
    EXPECT_NEAR(smooth.column(9)[row], num / den, 1e-9 * num / den + rounding) << fc;
  }

  // Parzen, 1 Hz: on the bins themselves.
  const SpectralSmoothing parzen{SpectralSmoothing::Kind::kParzen, 1.0};
  WriteFasTable(Files(), Out("p.csv"), parzen);
  const ChannelTable windowed = LoadChannelTable(Out("p.csv"), HeaderForm::kOneLine);
  ASSERT_EQ(windowed.rows(), 300);
  const double u = 280.0 / 151.0;
  for (int row : {0, 150, 299}) {
    double num = 0.0, den = 0.0;
    for (int k = 0; k < 300; ++k) {
      const double z = kPi * u * (bins[k] - bins[row]) / 2;
      const double w = z == 0.0 ? 1.0 : std::pow(std::sin(z) / z, 4);
      num += w * plain[k];
      den += w;
    }
    EXPECT_NEAR(windowed.column(9)[row], num / den, 1e-9 * num / den + rounding) << row;
  }
}

TEST_F(SpectraOutputs, ChannelsLoadAsTheTableHoldsThemAndTellTheirCountFirst) {
  std::int64_t told = -1;
  const int numbers[] = {30, 3};
  const AccelerationChannels acc = LoadAccelerationChannels(
      Files(), numbers, "the test needs", [&](std::int64_t records) { told = records; });
  EXPECT_EQ(told, 601);
  ASSERT_EQ(acc.rows(), 601);
  EXPECT_TRUE(std::ranges::equal(acc.channels()[0], acc_->column(30)));
  EXPECT_TRUE(std::ranges::equal(acc.channels()[1], acc_->column(3)));
}

TEST_F(SpectraOutputs, RotDTableOfTheChosenPairAtTheChosenPeriods) {
  const std::vector<double> periods = {0.05, 0.4, 2.0};
  WriteRotdTable(Files(), Out("r.csv"), {12, 30}, periods, 0.05);
  const std::string text = ReadWholeFile(Out("r.csv"));
  ASSERT_EQ(text.rfind("\"period\",\"RotD00\",\"RotD50\",\"RotD100\"\r\n0.05,", 0), 0u) << text;
  const RotDSpectrum expected =
      ComputeRotDSpectrum(acc_->column(12), acc_->column(30), 0.01, periods, 0.05);
  EXPECT_EQ(text, RotDCsvText(expected));
  // The pair's own motion: another pair differs.
  WriteRotdTable(Files(), Out("other.csv"), {12, 31}, periods, 0.05);
  EXPECT_NE(ReadWholeFile(Out("other.csv")), text);

  // Without periods, the response spectra's 100.
  WriteRotdTable(Files(), Out("all.csv"), {1, 2}, {}, 0.05);
  const std::string all = ReadWholeFile(Out("all.csv"));
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 101);
}

TEST_F(SpectraOutputs, ResponseTableAtChosenPeriods) {
  const std::vector<double> periods = {3.0, 0.03};
  WriteResponseTable(Files(), Out("s.csv"), 0.05, periods);
  const ChannelTable table = LoadChannelTable(Out("s.csv"), HeaderForm::kOneLine);
  ASSERT_EQ(table.rows(), 2);
  EXPECT_EQ(table.column(0)[0], 3.0);
  EXPECT_EQ(table.column(0)[1], 0.03);
  const ResponseSpectrum expected = ComputeResponseSpectrum(acc_->column(5), 0.01, periods, 0.05);
  EXPECT_EQ(table.column(5)[0], expected.absoluteAcceleration[0]);
  EXPECT_EQ(table.column(5)[1], expected.absoluteAcceleration[1]);
}

TEST(SpectraTables, NeedTheAccelerationFileWithAnEvenStep) {
  TemporaryFolder folder;
  const std::string stem = folder.File("gone");
  testing::WriteWholeFile(stem + "_vel.csv", testing::ChannelCsvHeader());
  const ConversionFiles files = FindConversionFiles(stem + "_vel.csv");
  const std::string out = folder.File("f.csv");
  EXPECT_EQ(DataErrorText([&] { WriteFasTable(files, out, {}); }),
            stem + "_acc.csv: no such file: the Fourier spectra need the acceleration file");
  EXPECT_EQ(DataErrorText([&] {
              WriteRotdTable(files, out, {1, 2}, {}, 0.05);
            }),
            stem + "_acc.csv: no such file: RotD needs the acceleration file");

  // A step that changes at line 5 (the third record) is named there.
  std::string text = "c\r\n" + testing::ChannelCsvHeader();
  for (const char* time : {"0", "0.01", "0.05"}) {
    text += time;
    for (int c = 1; c <= 40; ++c) text += ",0";
    text += "\r\n";
  }
  testing::WriteWholeFile(stem + "_acc.csv", text);
  EXPECT_NE(DataErrorText([&] {
              WriteFasTable(FindConversionFiles(stem + "_acc.csv"), out, {});
            }).find("line 5"),
            std::string::npos);
  EXPECT_FALSE(testing::FileExists(out));
}

TEST(HorizontalPair, TwoDifferentChannelsOnly) {
  EXPECT_EQ(ParseHorizontalPair("1,2"), (HorizontalPair{1, 2}));
  EXPECT_EQ(ParseHorizontalPair("40,39"), (HorizontalPair{40, 39}));
  for (const char* wrong : {"1,1", "0,1", "1,41", "1,2,3", "1", "1,", ",2", " 1,2", "a,b", ""}) {
    EXPECT_EQ(ParseHorizontalPair(wrong), std::nullopt) << wrong;
  }
}

}  // namespace
}  // namespace accprep
