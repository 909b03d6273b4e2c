#include "viewer/viewer_csv.hpp"

#include <cmath>

#include "engine/channel_csv.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

void AppendNumber(std::string& text, double value) {
  char buffer[kMaxNumberText];
  text.append(buffer, FormatNumber(buffer, value, NumberForm::Point()));
}

void AppendPeak(std::string& text, const Peak& peak) {
  text += ',';
  if (peak.found) AppendNumber(text, peak.value);
  text += ',';
  if (peak.found) AppendNumber(text, peak.time);
}

// A field in quotes, its own quotes doubled: a name is free text.
void AppendQuoted(std::string& text, const std::string& field) {
  text += '"';
  for (char c : field) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

void AppendOptional(std::string& text, std::optional<double> value) {
  text += ',';
  if (value) AppendNumber(text, *value);
}

}  // namespace

std::string PeaksCsvText(const std::array<ChannelPeaks, kChannels>& peaks,
                         const ChannelNames& names) {
  std::string text = "\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\",\"name\"\r\n";
  for (int c = 1; c <= kChannels; ++c) {
    text += std::to_string(c);
    AppendPeak(text, peaks[c - 1].acceleration);
    AppendPeak(text, peaks[c - 1].velocity);
    AppendPeak(text, peaks[c - 1].displacement);
    text += ',';
    AppendQuoted(text, names[c - 1]);
    text += "\r\n";
  }
  return text;
}

void AppendChannelColumnsLines(std::string& text, std::span<const double> keys,
                               std::span<const std::span<const double>> columns, std::size_t first,
                               std::size_t last) {
  for (std::size_t k = first; k < last; ++k) {
    AppendNumber(text, keys[k]);
    for (int c = 1; c <= kChannels; ++c) {
      text += ',';
      AppendNumber(text, columns[c - 1][k]);
    }
    text += "\r\n";
  }
}

std::string ChannelColumnsCsvText(std::string_view keyName, std::span<const double> keys,
                                  const std::vector<std::vector<double>>& columns) {
  std::string text = ChannelCsvHeader(keyName);
  const std::vector<std::span<const double>> spans(columns.begin(), columns.end());
  AppendChannelColumnsLines(text, keys, spans, 0, keys.size());
  return text;
}

std::string ResponseCsvText(std::span<const double> periods,
                            const std::vector<std::vector<double>>& spectra) {
  return ChannelColumnsCsvText("period", periods, spectra);
}

std::string RotDCsvText(const RotDSpectrum& spectrum) {
  std::string text = "\"period\",\"RotD00\",\"RotD50\",\"RotD100\"\r\n";
  for (std::size_t k = 0; k < spectrum.periods.size(); ++k) {
    AppendNumber(text, spectrum.periods[k]);
    for (double value :
         {spectrum.values[k].rotd00, spectrum.values[k].rotd50, spectrum.values[k].rotd100}) {
      text += ',';
      AppendNumber(text, value);
    }
    text += "\r\n";
  }
  return text;
}

std::string IntensityCsvText(const RecordIntensity& intensity) {
  std::string text =
      "\"components\",\"I\",\"reported\",\"class\",\"a0\",\"Sva\",\"T_Sva\",\"long_period_"
      "class\"\r\n";
  text += "\"" + ComponentsText(intensity.components) + "\"";
  const JmaIntensity& jma = intensity.jma;
  const bool moved = std::isfinite(jma.computed);
  AppendOptional(text, moved ? std::optional(jma.computed) : std::nullopt);
  AppendOptional(text, moved ? std::optional(jma.reported) : std::nullopt);
  text += ",\"" + std::string(IntensityClassCode(jma.intensityClass)) + "\",";
  AppendNumber(text, jma.a0);
  text += ',';
  AppendNumber(text, intensity.longPeriod.peakSva);
  text += ',';
  AppendNumber(text, intensity.longPeriod.peakPeriod);
  text += "," + std::to_string(intensity.longPeriod.motionClass) + "\r\n";
  return text;
}

std::string MeasuresCsvText(const std::array<AriasMeasures, kChannels>& measures,
                            const ChannelNames& names) {
  std::string text = "\"channel\",\"Arias\",\"D5-75\",\"D5-95\",\"CAV\",\"name\"\r\n";
  for (int c = 1; c <= kChannels; ++c) {
    const AriasMeasures& m = measures[c - 1];
    text += std::to_string(c) + ",";
    AppendNumber(text, m.arias);
    AppendOptional(text, m.d5to75);
    AppendOptional(text, m.d5to95);
    text += ',';
    AppendNumber(text, m.cav);
    text += ',';
    AppendQuoted(text, names[c - 1]);
    text += "\r\n";
  }
  return text;
}

}  // namespace accprep
