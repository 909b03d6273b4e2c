// The spectra tab's curves against brute force: the acceleration's bins against a plain
// discrete Fourier sum, Parzen and Konno-Ohmachi against their weighted means summed as
// written, the spectrum files' curves from their first bin above 0 Hz; what cannot be had is
// said in the curve's place; the copied table pairs each curve's columns.
#include "viewer/channel_spectra.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace accprep {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kStep = 0.02;

// A conversion held in memory: `rows` samples of acceleration (channel c a sine of its own
// plus a step, so the mean is not zero) and spectrum files of `bins` bins from `df` Hz.
ConversionData MakeData(std::int64_t rows, std::int64_t bins, double df = 0.25) {
  ConversionData data;
  data.files = ConversionFilesOfStem("/nowhere/rec");
  ChannelTable acc(rows);
  for (std::int64_t i = 0; i < rows; ++i) {
    acc.column(0)[i] = static_cast<double>(i) * kStep;
    for (int c = 1; c <= kTableFileColumns - 1; ++c) {
      acc.column(c)[i] = std::sin(0.37 * c * static_cast<double>(i)) + (i % 7 == 0 ? c : 0.0);
    }
  }
  data.tables[static_cast<int>(ConversionFile::kAcceleration)] = std::move(acc);
  for (ConversionFile file :
       {ConversionFile::kVelocitySpectrum, ConversionFile::kDisplacementSpectrum}) {
    ChannelTable spectrum(bins);
    for (std::int64_t k = 0; k < bins; ++k) {
      spectrum.column(0)[k] = static_cast<double>(k + 1) * df;
      for (int c = 1; c <= kTableFileColumns - 1; ++c) {
        spectrum.column(c)[k] = 1.0 + std::cos(0.11 * c * static_cast<double>(k)) * 0.5;
      }
    }
    data.tables[static_cast<int>(file)] = std::move(spectrum);
  }
  return data;
}

double ParzenWeight(double f, double bandwidth) {
  if (f == 0.0) return 0.75 * 280.0 / (151.0 * bandwidth);
  const double u = 280.0 / (151.0 * bandwidth);
  const double x = kPi * u * f / 2.0;
  return 0.75 * u * std::pow(std::sin(x) / x, 4);
}

double KonnoOhmachiWeight(double f, double fc, double b) {
  if (f == fc) return 1.0;
  const double x = b * std::log10(f / fc);
  return std::pow(std::sin(x) / x, 4);
}

void ExpectRelativelyNear(double actual, double expected, double tolerance, const char* what,
                          std::size_t at) {
  EXPECT_NEAR(actual, expected, tolerance * std::fabs(expected)) << what << " at " << at;
}

TEST(ChannelSpectra, AccelerationBinsAreAPlainDiscreteFourierSumAndFilesAreTakenAsWritten) {
  for (std::int64_t rows : {2, 3, 64, 101}) {
    const ConversionData data = MakeData(rows, 5);
    for (int channel : {1, 23, 40}) {
      const ChannelSpectra spectra = ComputeChannelSpectra(data, channel, {});
      const SpectrumCurve& acc = spectra.curve(SpectrumQuantity::kAcceleration);
      ASSERT_EQ(acc.frequencies.size(), static_cast<std::size_t>(rows / 2)) << rows;
      EXPECT_EQ(acc.notice, "");
      const std::span<const double> x = data.table(ConversionFile::kAcceleration)->column(channel);
      for (std::size_t k = 1; k <= acc.frequencies.size(); ++k) {
        std::complex<double> sum;
        for (std::int64_t i = 0; i < rows; ++i) {
          sum += x[i] * std::polar(1.0, -2.0 * kPi * static_cast<double>(k * i) / rows);
        }
        ExpectRelativelyNear(acc.frequencies[k - 1], k / (rows * kStep), 1e-15, "f", k);
        EXPECT_NEAR(acc.amplitudes[k - 1], std::abs(sum) * kStep, 1e-12 * rows) << k;
      }
      const SpectrumCurve& vel = spectra.curve(SpectrumQuantity::kVelocity);
      const ChannelTable& file = *data.table(ConversionFile::kVelocitySpectrum);
      EXPECT_TRUE(std::ranges::equal(vel.frequencies, file.column(0)));
      EXPECT_TRUE(std::ranges::equal(vel.amplitudes, file.column(channel)));
    }
  }
}

TEST(ChannelSpectra, SmoothingIsTheWeightedMeanOfEveryBinOfEachCurve) {
  const ConversionData data = MakeData(400, 150, 0.125);
  // Parzen on the bins: every bin of the curve weighs in.
  for (double bandwidth : {0.1, 0.4, 2.0}) {
    const ChannelSpectra raw = ComputeChannelSpectra(data, 7, {});
    const ChannelSpectra smoothed =
        ComputeChannelSpectra(data, 7, {SpectralSmoothing::Kind::kParzen, bandwidth});
    for (int q = 0; q < kSpectrumQuantities; ++q) {
      const SpectrumCurve& in = raw.curves[q];
      const SpectrumCurve& out = smoothed.curves[q];
      ASSERT_EQ(out.frequencies, in.frequencies) << q;
      for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
        double sum = 0.0, weights = 0.0;
        for (std::size_t j = 0; j < in.frequencies.size(); ++j) {
          const double w = ParzenWeight(in.frequencies[j] - in.frequencies[k], bandwidth);
          sum += w * in.amplitudes[j];
          weights += w;
        }
        ExpectRelativelyNear(out.amplitudes[k], sum / weights, 1e-10, "Parzen", k);
      }
    }
  }
  // Konno-Ohmachi onto 1,000 centres from the first bin to the Nyquist frequency: that of the
  // record for the acceleration, the last bin for a spectrum file.
  const double b = 20.0;
  const ChannelSpectra raw = ComputeChannelSpectra(data, 7, {});
  const ChannelSpectra smoothed =
      ComputeChannelSpectra(data, 7, {SpectralSmoothing::Kind::kKonnoOhmachi, b});
  const double nyquists[] = {0.5 / kStep, 150 * 0.125, 150 * 0.125};
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    const SpectrumCurve& in = raw.curves[q];
    const SpectrumCurve& out = smoothed.curves[q];
    ASSERT_EQ(out.frequencies.size(), 1000u) << q;
    ExpectRelativelyNear(out.frequencies.front(), in.frequencies.front(), 1e-15, "first", q);
    ExpectRelativelyNear(out.frequencies.back(), nyquists[q], 1e-15, "last", q);
    for (std::size_t c = 0; c < out.frequencies.size(); c += 37) {
      double sum = 0.0, weights = 0.0;
      for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
        const double w = KonnoOhmachiWeight(in.frequencies[k], out.frequencies[c], b);
        sum += w * in.amplitudes[k];
        weights += w;
      }
      ExpectRelativelyNear(out.amplitudes[c], sum / weights, 1e-10, "Konno-Ohmachi", c);
    }
  }
}

TEST(ChannelSpectra, ACurveThatCannotBeHadSaysWhyAndTheOthersStay) {
  ConversionData data = MakeData(64, 20);
  data.tables[static_cast<int>(ConversionFile::kDisplacementSpectrum)].reset();
  data.errors[static_cast<int>(ConversionFile::kVelocitySpectrum)] = "rec_velAmp.csv: line 9: x";
  data.tables[static_cast<int>(ConversionFile::kVelocitySpectrum)].reset();
  ChannelSpectra spectra = ComputeChannelSpectra(data, 2, {});
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kVelocity).notice,
            "読み込めません: rec_velAmp.csv: line 9: x");
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kDisplacement).notice,
            "ファイルがありません: rec_disAmp.csv");
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kAcceleration).frequencies.size(), 32u);

  // A spectrum file with a 0 Hz line and uneven bins: drawn and smoothed by Konno-Ohmachi from
  // its first bin above 0 Hz; Parzen, which needs even bins, says where they break.
  data = MakeData(64, 20);
  ChannelTable& velocity = *data.tables[static_cast<int>(ConversionFile::kVelocitySpectrum)];
  velocity.column(0)[0] = 0.0;
  velocity.column(0)[10] += 0.1;
  spectra = ComputeChannelSpectra(data, 2, {});
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kVelocity).frequencies.size(), 19u);
  spectra = ComputeChannelSpectra(data, 2, {SpectralSmoothing::Kind::kKonnoOhmachi, 40});
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kVelocity).frequencies.size(), 1000u);
  spectra = ComputeChannelSpectra(data, 2, {SpectralSmoothing::Kind::kParzen, 0.5});
  EXPECT_TRUE(spectra.curve(SpectrumQuantity::kVelocity).frequencies.empty());
  EXPECT_TRUE(spectra.curve(SpectrumQuantity::kVelocity).notice.starts_with("平滑化できません: "))
      << spectra.curve(SpectrumQuantity::kVelocity).notice;
  EXPECT_NE(spectra.curve(SpectrumQuantity::kVelocity).notice.find("rec_velAmp.csv"),
            std::string::npos);
  EXPECT_EQ(spectra.curve(SpectrumQuantity::kDisplacement).notice, "");

  // An acceleration record whose time does not advance evenly.
  data = MakeData(64, 20);
  data.tables[static_cast<int>(ConversionFile::kAcceleration)]->column(0)[30] += 0.5 * kStep;
  spectra = ComputeChannelSpectra(data, 2, {});
  EXPECT_TRUE(
      spectra.curve(SpectrumQuantity::kAcceleration).notice.starts_with("計算できません: "));
  EXPECT_TRUE(spectra.curve(SpectrumQuantity::kAcceleration).frequencies.empty());
}

TEST(ChannelSpectra, TheCopiedTablePairsEachCurvesColumnsWithUnits) {
  ChannelSpectra spectra;
  spectra.curves[0] = {{0.5, 1.0}, {2.0, 0.25}, {}};
  spectra.curves[1] = {{}, {}, "ファイルがありません: a_velAmp.csv"};
  spectra.curves[2] = {{0.1}, {1e-7}, {}};
  EXPECT_EQ(SpectraTableText(spectra),
            "振動数 (Hz)\t加速度フーリエ振幅 (gal·s)\t振動数 (Hz)\t速度フーリエ振幅 (cm/s·s)\t"
            "振動数 (Hz)\t変位フーリエ振幅 (cm·s)\n"
            "0.5\t2\t\t\t0.1\t1e-07\n"
            "1\t0.25\t\t\t\t\n");
}

}  // namespace
}  // namespace accprep
