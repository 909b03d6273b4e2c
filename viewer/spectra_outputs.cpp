#include "viewer/spectra_outputs.hpp"

#include <algorithm>

#include "engine/atomic_file.hpp"
#include "engine/channel_csv.hpp"
#include "engine/data_error.hpp"
#include "engine/sample_table.hpp"
#include "measures/band_limited_resampling.hpp"
#include "measures/fourier_amplitude.hpp"
#include "measures/real_fft.hpp"
#include "measures/response_spectrum.hpp"
#include "measures/rotd_spectrum.hpp"
#include "viewer/acceleration_channels.hpp"
#include "viewer/channel_list.hpp"
#include "viewer/finite_result.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {

std::optional<HorizontalPair> ParseHorizontalPair(std::string_view text) {
  const std::optional<std::vector<int>> channels = ParseChannelNumbers(text, 2);
  if (!channels) return std::nullopt;
  return HorizontalPair{(*channels)[0], (*channels)[1]};
}

void WriteFasTable(const ConversionFiles& files, const std::string& path,
                   const SpectralSmoothing& smoothing) {
  const std::vector<int> numbers = AllChannelNumbers();
  RealFftPlansAhead plans;  // made while the file is read
  AccelerationChannels acc = LoadAccelerationChannels(
      files, numbers, "the Fourier spectra need",
      [&](std::int64_t n) { plans.Start(FourierTransformLength(static_cast<std::size_t>(n))); });
  const std::size_t n = static_cast<std::size_t>(acc.rows());
  const double step = acc.timeStep();
  // Each channel's spectrum takes its samples' place.
  const std::vector<std::span<double>> channels = acc.MutableChannels();
  FourierAmplitudesInPlace(channels, step);
  std::vector<std::span<const double>> spectra;
  for (std::span<double> channel : channels) spectra.emplace_back(channel.data(), n / 2);
  std::vector<double> frequencies = FourierFrequencies(n, step);
  SmoothedSpectra smoothed;
  if (smoothing.kind != SpectralSmoothing::Kind::kNone) {
    smoothed = SmoothSpectra(frequencies, 1.0 / (static_cast<double>(n) * step), 0.5 / step,
                             spectra, smoothing);
    frequencies = std::move(smoothed.frequencies);
    spectra.assign(smoothed.amplitudes.begin(), smoothed.amplitudes.end());
  }
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  for (std::size_t c = 0; c < spectra.size(); ++c)
    RequireFinite(spectra[c], "the Fourier spectrum of channel " + std::to_string(numbers[c]),
                  accPath);
  // A block of lines at a time: the bins of a long record make a table of 200 MB, which need
  // not be in memory whole.
  constexpr std::size_t kLinesABlock = 4096;
  AtomicFile file(path);
  std::string text = ChannelCsvHeader("frequency");
  for (std::size_t first = 0; first < frequencies.size(); first += kLinesABlock) {
    AppendChannelColumnsLines(text, frequencies, spectra, first,
                              std::min(frequencies.size(), first + kLinesABlock));
    file.Write(text);
    text.clear();
  }
  file.Write(text);
  file.Commit();
}

void WriteRotdTable(const ConversionFiles& files, const std::string& path,
                    const HorizontalPair& pair, std::span<const double> periods, double damping) {
  const int numbers[] = {pair.horizontal1, pair.horizontal2};
  RealFftPlansAhead plans;  // the resampling's, made while the file is read
  const AccelerationChannels acc =
      LoadAccelerationChannels(files, numbers, "RotD needs", [&](std::int64_t n) {
        plans.Start(BandLimitedResampler::TransformLength(static_cast<std::size_t>(n)));
      });
  const std::vector<double> defaults = ResponsePeriods();
  if (periods.empty()) periods = defaults;
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  RotDSpectrum rotd;
  try {
    rotd =
        ComputeRotDSpectrum(acc.channels()[0], acc.channels()[1], acc.timeStep(), periods, damping);
  } catch (DataError& error) {
    error.SetFileIfNone(accPath);  // the measures know no file
    throw;
  }
  for (const RotDValues& at : rotd.values)
    RequireFinite({at.rotd00, at.rotd50, at.rotd100}, "RotD", accPath);
  WriteFileAtomically(path, RotDCsvText(rotd));
}

}  // namespace accprep
