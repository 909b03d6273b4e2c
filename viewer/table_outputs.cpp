#include "viewer/table_outputs.hpp"

#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "engine/atomic_file.hpp"
#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "measures/response_spectrum.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/peaks.hpp"
#include "viewer/table_loader.hpp"
#include "viewer/viewer_csv.hpp"

namespace accprep {
namespace {

// A measure of values near the double range (1e300 gal) overflows to inf or NaN; written as a
// result it would pass for one. Throws DataError kArithmetic naming the acceleration file.
void RequireFinite(double value, const std::string& measure, const std::string& path) {
  if (std::isfinite(value)) return;
  throw DataError(DataErrorKind::kArithmetic,
                  measure + " is beyond the range of numbers: the record's values are too large",
                  path);
}

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
  if (!files.has(ConversionFile::kAcceleration)) {
    throw DataError(DataErrorKind::kInput, "no such file: " + need + " the acceleration file",
                    files.path(ConversionFile::kAcceleration));
  }
  static constexpr ConversionFile kAcceleration[] = {ConversionFile::kAcceleration};
  ConversionData data = LoadOrThrow(files, kAcceleration);
  return std::move(*data.tables[static_cast<int>(ConversionFile::kAcceleration)]);
}

}  // namespace

void WriteResponseTable(const ConversionFiles& files, const std::string& path, double damping) {
  const ChannelTable table = LoadAcceleration(files, "the response spectra need");
  const std::string& accPath = files.path(ConversionFile::kAcceleration);
  const double step = UniformTimeStep(table.column(0), accPath, table.firstLine());
  const std::vector<double> periods = ResponsePeriods();
  std::vector<std::span<const double>> channels;
  for (int c = 1; c <= kChannels; ++c) channels.push_back(table.column(c));
  std::vector<std::vector<double>> spectra;
  try {
    spectra = ComputeAccelerationSpectra(channels, step, periods, damping, 2);
  } catch (DataError& error) {
    error.SetFileIfNone(accPath);  // the measures know no file
    throw;
  }
  for (int c = 1; c <= kChannels; ++c) {
    for (const double sa : spectra[c - 1])
      RequireFinite(sa, "the response spectrum of channel " + std::to_string(c), accPath);
  }
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
