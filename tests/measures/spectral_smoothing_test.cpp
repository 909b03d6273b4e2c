#include "measures/spectral_smoothing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "measures/wide_vectors.hpp"

namespace accprep {
namespace {

// The definitions summed plainly, every weight from its formula.
double PlainKonnoOhmachi(const std::vector<double>& f, const std::vector<double>& s, double fc,
                         double b) {
  double num = 0.0, den = 0.0;
  for (std::size_t k = 0; k < f.size(); ++k) {
    const double x = b * std::log10(f[k] / fc);
    const double w = x == 0.0 ? 1.0 : std::pow(std::sin(x) / x, 4);
    num += w * s[k];
    den += w;
  }
  return num / den;
}

std::vector<double> PlainParzen(const std::vector<double>& s, double df, double bandwidth) {
  const double u = 280.0 / (151.0 * bandwidth);
  std::vector<double> window(s.size());  // by the distance in bins
  for (std::size_t d = 0; d < s.size(); ++d) {
    const double z = std::numbers::pi * u * static_cast<double>(d) * df / 2.0;
    window[d] = 0.75 * u * (z == 0.0 ? 1.0 : std::pow(std::sin(z) / z, 4));
  }
  std::vector<double> result(s.size());
  for (std::size_t k = 0; k < s.size(); ++k) {
    double num = 0.0, den = 0.0;
    for (std::size_t j = 0; j < s.size(); ++j) {
      const double w = window[j > k ? j - k : k - j];
      num += w * s[j];
      den += w;
    }
    result[k] = num / den;
  }
  return result;
}

// A spectrum of a record: a broad hump, a sharp peak far above it, ragged bin to bin, and a
// floor six orders of magnitude below its top, so that distant bins outweigh near ones.
std::vector<double> RaggedSpectrum(const std::vector<double>& f, unsigned seed) {
  std::mt19937 random(seed);
  std::lognormal_distribution<double> ragged(0.0, 0.7);
  std::vector<double> s(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) {
    const double hump = 1.0 / (1.0 + std::pow(f[k] / 2.0, 4));
    const double peak = 1e3 * std::exp(-std::pow((f[k] - 7.3) / 0.05, 2));
    s[k] = (hump + peak + 1e-6) * ragged(random);
  }
  return s;
}

TEST(KonnoOhmachi, MatchesThePlainSumOverEveryBin) {
  // Bins of a 40.96 s record at 100 Hz; centres from below the first bin to above the last,
  // on bins and between them.
  const double df = 1.0 / 40.96;
  std::vector<double> f(2048);
  for (std::size_t k = 0; k < f.size(); ++k) f[k] = (k + 1) * df;
  std::vector<double> centres = LogSpacedFrequencies(0.01, 60.0, 97);
  centres.insert(centres.end(), {f[0], f[1], f[500], f[2047], 7.3});
  for (VectorWidth width : VectorWidthsHere()) {  // every kernel this processor runs
    LimitVectorWidth(width);
    for (double b : {1.5, 20.0, 40.0, 150.0}) {
      const std::vector<double> s = RaggedSpectrum(f, static_cast<unsigned>(b));
      const std::vector<double> smooth = SmoothKonnoOhmachi(f, s, centres, b);
      for (std::size_t c = 0; c < centres.size(); ++c) {
        const double expected = PlainKonnoOhmachi(f, s, centres[c], b);
        ASSERT_NEAR(smooth[c], expected, 1e-10 * expected) << "b " << b << " fc " << centres[c];
      }
    }
  }
  LimitVectorWidth(VectorWidth::kAvx512);
}

TEST(KonnoOhmachi, SumsValuesThatCancelBinByBin) {
  // Signed values whose weighted sums nearly vanish: no bound of an approximation holds
  // there relative to the result, so the sums must be the plain ones, to within 1e-10 of
  // sum W |S| / sum W as promised.
  std::vector<double> f(2500);
  for (std::size_t k = 0; k < f.size(); ++k) f[k] = (k + 1) * 0.02;
  std::vector<double> s(f.size()), magnitude(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) {
    s[k] = (k % 2 == 0 ? 1.0 : -1.0) * (1.0 + 1e-3 * std::sin(0.1 * k));
    magnitude[k] = std::fabs(s[k]);
  }
  const std::vector<double> centres = LogSpacedFrequencies(0.5, 50.0, 40);
  const std::vector<double> smooth = SmoothKonnoOhmachi(f, s, centres, 40.0);
  for (std::size_t c = 0; c < centres.size(); ++c) {
    const double scale = PlainKonnoOhmachi(f, magnitude, centres[c], 40.0);
    EXPECT_NEAR(smooth[c], PlainKonnoOhmachi(f, s, centres[c], 40.0), 1e-10 * scale);
  }
}

TEST(KonnoOhmachi, ManySeriesMatchOneAtATime) {
  std::vector<double> f(3000);
  for (std::size_t k = 0; k < f.size(); ++k) f[k] = 0.003 * (k + 1) + 0.001 * std::sin(k);
  const std::vector<double> centres = LogSpacedFrequencies(0.02, 9.0, 50);
  std::vector<std::vector<double>> series;
  for (unsigned seed = 0; seed < 5; ++seed) series.push_back(RaggedSpectrum(f, seed));
  const std::vector<std::span<const double>> spans(series.begin(), series.end());
  const auto smooth = SmoothKonnoOhmachi(f, spans, centres, 40.0, 2);
  ASSERT_EQ(smooth.size(), series.size());
  for (std::size_t s = 0; s < series.size(); ++s) {
    EXPECT_EQ(smooth[s], SmoothKonnoOhmachi(f, series[s], centres, 40.0)) << s;
  }
}

TEST(SpectralSmoothing, KeepsAConstantSpectrumConstant) {
  std::vector<double> f(5000);
  for (std::size_t k = 0; k < f.size(); ++k) f[k] = (k + 1) * 0.01;
  const std::vector<double> flat(f.size(), 3.25);
  const std::vector<double> centres = LogSpacedFrequencies(0.001, 80.0, 200);
  for (double value : SmoothKonnoOhmachi(f, flat, centres, 40.0)) EXPECT_NEAR(value, 3.25, 1e-13);
  for (std::size_t n : {1u, 7u, 2000u, 5000u}) {  // directly and by transform
    const std::vector<double> values(n, 3.25);
    for (double bandwidth : {0.05, 0.4, 100.0}) {
      for (double value : SmoothParzen(values, 0.01, bandwidth)) EXPECT_NEAR(value, 3.25, 1e-13);
    }
  }
}

TEST(Parzen, MatchesThePlainSumOverEveryBin) {
  const double df = 1.0 / 30.0;
  for (std::size_t n : {300u, 3000u}) {  // directly and by transform
    std::vector<double> f(n);
    for (std::size_t k = 0; k < n; ++k) f[k] = (k + 1) * df;
    const std::vector<double> s = RaggedSpectrum(f, static_cast<unsigned>(n));
    const double largest = *std::max_element(s.begin(), s.end());
    for (double bandwidth : {0.1, 0.5, 3.0}) {
      const std::vector<double> expected = PlainParzen(s, df, bandwidth);
      const std::vector<double> smooth = SmoothParzen(s, df, bandwidth);
      ASSERT_EQ(smooth.size(), n);
      for (std::size_t k = 0; k < n; ++k) {
        ASSERT_NEAR(smooth[k], expected[k], 1e-9 * expected[k] + 1e-14 * largest)
            << "n " << n << " B " << bandwidth << " k " << k;
      }
    }
  }
  EXPECT_TRUE(SmoothParzen(std::vector<double>{}, df, 0.1).empty());
}

TEST(SpectralSmoothing, RefusesWhatTheWindowsCannotTake) {
  const std::vector<double> f = {1.0, 2.0, 3.0};
  const std::vector<double> s = {1.0, 1.0, 1.0};
  const std::vector<double> centres = {1.5};
  EXPECT_THROW(SmoothKonnoOhmachi(f, s, centres, 0.0), std::invalid_argument);
  EXPECT_THROW(SmoothKonnoOhmachi(f, s, centres, 1001.0), std::invalid_argument);
  const std::vector<double> none;
  EXPECT_THROW(SmoothKonnoOhmachi(none, none, centres, 40.0), std::invalid_argument);
  const std::vector<double> descending = {1.0, 3.0, 2.0};
  EXPECT_THROW(SmoothKonnoOhmachi(descending, s, centres, 40.0), std::invalid_argument);
  const std::vector<double> zeroCentre = {0.0};
  EXPECT_THROW(SmoothKonnoOhmachi(f, s, zeroCentre, 40.0), std::invalid_argument);
  EXPECT_THROW(SmoothKonnoOhmachi(f, std::vector<double>{1.0}, centres, 40.0),
               std::invalid_argument);
  EXPECT_THROW(SmoothParzen(s, 0.0, 0.1), std::invalid_argument);
  EXPECT_THROW(SmoothParzen(s, 0.1, -1.0), std::invalid_argument);
}

TEST(ParseSmoothing, ReadsNoneParzenAndKonnoOhmachi) {
  using Kind = SpectralSmoothing::Kind;
  EXPECT_EQ(ParseSmoothing("none"), SpectralSmoothing{});
  EXPECT_EQ(ParseSmoothing("parzen:0.2"), (SpectralSmoothing{Kind::kParzen, 0.2}));
  EXPECT_EQ(ParseSmoothing("ko:40"), (SpectralSmoothing{Kind::kKonnoOhmachi, 40.0}));
  EXPECT_EQ(ParseSmoothing("ko"), (SpectralSmoothing{Kind::kKonnoOhmachi, 40.0}));
  EXPECT_EQ(ParseSmoothing("ko:1000"), (SpectralSmoothing{Kind::kKonnoOhmachi, 1000.0}));
  for (const char* bad : {"", "None", "parzen", "parzen:", "parzen:0", "parzen:-1", "parzen:inf",
                          "ko:", "ko:0", "ko:1000.5", "ko:40 ", "ko:4e", "hann:3", " none"}) {
    EXPECT_EQ(ParseSmoothing(bad), std::nullopt) << bad;
  }
  for (const char* text : {"none", "parzen:0.25", "ko:40"}) {
    EXPECT_EQ(SmoothingText(*ParseSmoothing(text)), text);
  }
}

TEST(SmoothingCentres, RunFromFiveHundredthsOrTheFirstBinToNyquist) {
  const std::vector<double> long_ = DefaultSmoothingCentres(1.0 / 4500.0, 50.0);
  ASSERT_EQ(long_.size(), 1000u);
  EXPECT_EQ(long_.front(), 0.05);
  EXPECT_EQ(long_.back(), 50.0);
  EXPECT_NEAR(long_[1] / long_[0], std::pow(1000.0, 1.0 / 999.0), 1e-12);
  const std::vector<double> short_ = DefaultSmoothingCentres(0.1, 50.0);
  EXPECT_EQ(short_.front(), 0.1);
  EXPECT_EQ(short_.back(), 50.0);
  EXPECT_EQ(DefaultSmoothingCentres(50.0, 50.0), std::vector<double>{50.0});
}

}  // namespace
}  // namespace accprep
