#include "viewer/channel_spectra.hpp"

#include <algorithm>
#include <stdexcept>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/time_step.hpp"
#include "measures/fourier_amplitude.hpp"

namespace accprep {
namespace {

// The header pair of each curve, in the order of SpectrumQuantity.
constexpr const char* kHeaders[kSpectrumQuantities] = {
    "加速度フーリエ振幅 (gal·s)", "速度フーリエ振幅 (cm/s·s)", "変位フーリエ振幅 (cm·s)"};
constexpr ConversionFile kSpectrumFiles[] = {ConversionFile::kVelocitySpectrum,
                                             ConversionFile::kDisplacementSpectrum};

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why `file` gives no table, or empty when it does.
std::string Absence(const ConversionData& data, ConversionFile file) {
  if (!data.error(file).empty()) return "読み込めません: " + data.error(file);
  if (data.table(file) == nullptr)
    return "ファイルがありません: " + FileName(data.files.path(file));
  if (data.table(file)->rows() < 2) return "データ行がありません";
  return {};
}

// Smooths `curve` in place, its bins `binWidth` apart (for Parzen) up to `nyquist` (for the
// Konno-Ohmachi centres). A smoothing that cannot be applied leaves the curve's notice.
void Smooth(SpectrumCurve& curve, double binWidth, double nyquist,
            const SpectralSmoothing& smoothing) {
  if (smoothing.kind == SpectralSmoothing::Kind::kNone || curve.frequencies.empty()) return;
  const std::span<const double> series[] = {curve.amplitudes};
  try {
    SmoothedSpectra smoothed =
        SmoothSpectra(curve.frequencies, binWidth, nyquist, series, smoothing, /*threads=*/1);
    curve.frequencies = std::move(smoothed.frequencies);
    curve.amplitudes = std::move(smoothed.amplitudes.front());
  } catch (const std::invalid_argument& error) {
    curve = SpectrumCurve{{}, {}, std::string("平滑化できません: ") + error.what()};
  }
}

SpectrumCurve AccelerationCurve(const ConversionData& data, int channel,
                                const SpectralSmoothing& smoothing) {
  const ConversionFile file = ConversionFile::kAcceleration;
  if (std::string notice = Absence(data, file); !notice.empty()) return {{}, {}, notice};
  const ChannelTable& acc = *data.table(file);
  try {
    const double step = UniformTimeStep(acc.column(0), data.files.path(file), acc.firstLine());
    SpectrumCurve curve{FourierFrequencies(acc.column(channel).size(), step),
                        FourierAmplitude(acc.column(channel), step),
                        {}};
    const double binWidth = 1.0 / (static_cast<double>(acc.rows()) * step);
    Smooth(curve, binWidth, 0.5 / step, smoothing);
    return curve;
  } catch (const DataError& error) {
    return {{}, {}, std::string("計算できません: ") + error.what()};
  }
}

// A spectrum file's curve from its first bin above 0 Hz: the jobs write none at 0 Hz, and a
// log axis and the Konno-Ohmachi window have no place for one.
SpectrumCurve FileCurve(const ConversionData& data, ConversionFile file, int channel,
                        const SpectralSmoothing& smoothing) {
  if (std::string notice = Absence(data, file); !notice.empty()) return {{}, {}, notice};
  const ChannelTable& table = *data.table(file);
  const std::span<const double> frequencies = table.column(0);
  const std::size_t first = static_cast<std::size_t>(
      std::find_if(frequencies.begin(), frequencies.end(), [](double f) { return f > 0.0; }) -
      frequencies.begin());
  SpectrumCurve curve{{frequencies.begin() + first, frequencies.end()},
                      {table.column(channel).begin() + first, table.column(channel).end()},
                      {}};
  if (curve.frequencies.empty()) return {{}, {}, "0 Hz を超える振動数がありません"};
  double binWidth = curve.frequencies.front();
  if (smoothing.kind == SpectralSmoothing::Kind::kParzen) {
    // Parzen weighs bins by their distance in bins: they must be evenly spaced.
    try {
      binWidth = UniformTimeStep(curve.frequencies, data.files.path(file),
                                 table.firstLine() + static_cast<std::int64_t>(first));
    } catch (const DataError& error) {
      return {{}, {}, std::string("平滑化できません: ") + error.what()};
    }
  }
  Smooth(curve, binWidth, curve.frequencies.back(), smoothing);
  return curve;
}

}  // namespace

ChannelSpectra ComputeChannelSpectra(const ConversionData& data, int channel,
                                     const SpectralSmoothing& smoothing) {
  ChannelSpectra spectra{channel, smoothing, {}};
  spectra.curves[0] = AccelerationCurve(data, channel, smoothing);
  for (int i = 0; i < 2; ++i) {
    spectra.curves[i + 1] = FileCurve(data, kSpectrumFiles[i], channel, smoothing);
  }
  return spectra;
}

std::string SpectraTableText(const ChannelSpectra& spectra) {
  std::string text;
  std::size_t rows = 0;
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    if (q > 0) text += '\t';
    text += "振動数 (Hz)\t";
    text += kHeaders[q];
    rows = std::max(rows, spectra.curves[q].frequencies.size());
  }
  text += '\n';
  char number[kMaxNumberText];
  const auto append = [&text, &number](double value) {
    text.append(number, FormatNumber(number, value, NumberForm::Point()));
  };
  for (std::size_t row = 0; row < rows; ++row) {
    for (int q = 0; q < kSpectrumQuantities; ++q) {
      const SpectrumCurve& curve = spectra.curves[q];
      if (q > 0) text += '\t';
      if (row >= curve.frequencies.size()) {
        text += '\t';
        continue;
      }
      append(curve.frequencies[row]);
      text += '\t';
      append(curve.amplitudes[row]);
    }
    text += '\n';
  }
  return text;
}

}  // namespace accprep
