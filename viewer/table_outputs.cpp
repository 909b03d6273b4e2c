#include "viewer/table_outputs.hpp"

#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "engine/atomic_file.hpp"
#include "engine/data_error.hpp"
#include "measures/band_limited_resampling.hpp"
#include "measures/real_fft.hpp"
#include "measures/response_spectrum.hpp"
#include "viewer/acceleration_channels.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/finite_result.hpp"
#include "viewer/peaks.hpp"
#include "viewer/table_loader.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

// Loads the files asked for; any that exists and fails stops the output with its message.
ConversionData LoadOrThrow(const ConversionFiles& files, std::span<const ConversionFile> wanted) {
  ConversionData data = LoadConversion(files, wanted);
  for (ConversionFile file : wanted) {
    if (!data.error(file).empty()) throw std::runtime_error(data.error(file));
  }
  return data;
}

}  // namespace

void WritePeaksTable(const ConversionFiles& files, const ChannelNames& names,
                     const std::string& path, std::ostream& notes) {
  // Each file is read once for its peaks, without loading it: a table of 150 MB a file would
  // cost more to fill than the search.
  std::array<ChannelPeaks, kChannels> peaks{};
  static constexpr std::pair<ConversionFile, Peak ChannelPeaks::*> kTraces[] = {
      {ConversionFile::kAcceleration, &ChannelPeaks::acceleration},
      {ConversionFile::kVelocity, &ChannelPeaks::velocity},
      {ConversionFile::kDisplacement, &ChannelPeaks::displacement}};
  bool any = false;
  for (const auto& [file, member] : kTraces) {
    if (files.has(file)) {
      any = true;
    } else {
      notes << "note: " << files.path(file) << " does not exist; its peaks are left empty\n";
    }
  }
  if (!any) {
    throw DataError(DataErrorKind::kInput,
                    "no acceleration, velocity or displacement file of this conversion",
                    files.path(ConversionFile::kAcceleration));
  }
  for (const auto& [file, member] : kTraces) {
    if (!files.has(file)) continue;
    std::array<PeakSearch, kChannels> searches;
    ForEachChannelRecord(files.path(file), HeaderFormOf(file), [&](const double* record) {
      for (int c = 1; c <= kChannels; ++c) searches[c - 1].Add(record[c], record[0]);
    });
    for (int c = 0; c < kChannels; ++c) peaks[c].*member = searches[c].peak();
  }
  WriteFileAtomically(path, PeaksCsvText(peaks, names));
}

namespace {

// The public acceleration CSV, loaded; `need` says what for in the message when it is absent.
ChannelTable LoadAcceleration(const ConversionFiles& files, const std::string& need) {
  RequireAccelerationFile(files, need);
  static constexpr ConversionFile kAcceleration[] = {ConversionFile::kAcceleration};
  ConversionData data = LoadOrThrow(files, kAcceleration);
  return std::move(*data.tables[static_cast<int>(ConversionFile::kAcceleration)]);
}

}  // namespace

void WriteResponseTable(const ConversionFiles& files, const std::string& path, double damping,
                        std::span<const double> periods) {
  // Only the channels are kept, without the table's other columns: the 40 x 100 spectra of a
  // 450,000-record conversion stay within 250 MB.
  const std::vector<int> numbers = AllChannelNumbers();
  RealFftPlansAhead plans;  // the resampling's, made while the file is read
  const AccelerationChannels acc =
      LoadAccelerationChannels(files, numbers, "the response spectra need", [&](std::int64_t n) {
        plans.Start(BandLimitedResampler::TransformLength(static_cast<std::size_t>(n)));
      });
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  const std::vector<double> defaults = ResponsePeriods();
  if (periods.empty()) periods = defaults;
  std::vector<std::vector<double>> spectra;
  try {
    spectra = ComputeAccelerationSpectra(acc.channels(), acc.timeStep(), periods, damping, 2);
  } catch (DataError& error) {
    error.SetFileIfNone(accPath);  // the measures know no file
    throw;
  }
  for (int c = 1; c <= kChannels; ++c)
    RequireFinite(spectra[c - 1], "the response spectrum of channel " + std::to_string(c), accPath);
  WriteFileAtomically(path, ResponseCsvText(periods, spectra));
}

void WriteIntensityTable(const ConversionFiles& files, const std::string& path,
                         const IntensityComponents& components) {
  const ChannelTable table = LoadAcceleration(files, "the seismic intensity needs");
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  RecordIntensity intensity;
  try {
    intensity = ComputeRecordIntensity(table, accPath, components);
  } catch (DataError& error) {
    error.SetFileIfNone(accPath);
    throw;
  }
  RequireFinite(intensity.jma.a0, "the intensity level a0", accPath);
  // I is -inf for a record without motion, which the table leaves empty.
  if (intensity.jma.a0 > 0.0) RequireFinite(intensity.jma.computed, "the intensity", accPath);
  for (const double sva : intensity.longPeriod.sva)
    RequireFinite(sva, "the long-period response Sva", accPath);
  WriteFileAtomically(path, IntensityCsvText(intensity));
}

void WriteMeasuresTable(const ConversionFiles& files, const ChannelNames& names,
                        const std::string& path) {
  const ChannelTable table = LoadAcceleration(files, "the intensity measures need");
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  const std::array<AriasMeasures, kChannels> measures = ComputeChannelMeasures(table, accPath);
  for (int c = 1; c <= kChannels; ++c) {
    const AriasMeasures& m = measures[c - 1];
    const std::string channel = " of channel " + std::to_string(c);
    RequireFinite(m.arias, "the Arias intensity" + channel, accPath);
    RequireFinite(m.cav, "the CAV" + channel, accPath);
    for (const std::optional<double>& duration : {m.d5to75, m.d5to95})
      if (duration) RequireFinite(*duration, "the significant duration" + channel, accPath);
  }
  WriteFileAtomically(path, MeasuresCsvText(measures, names));
}

}  // namespace accprep
