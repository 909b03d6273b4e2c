#include "viewer/viewer_csv.hpp"

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

}  // namespace

std::string PeaksCsvText(const std::array<ChannelPeaks, kChannels>& peaks) {
  std::string text = "\"channel\",\"PGA\",\"tPGA\",\"PGV\",\"tPGV\",\"PGD\",\"tPGD\"\r\n";
  for (int c = 1; c <= kChannels; ++c) {
    text += std::to_string(c);
    AppendPeak(text, peaks[c - 1].acceleration);
    AppendPeak(text, peaks[c - 1].velocity);
    AppendPeak(text, peaks[c - 1].displacement);
    text += "\r\n";
  }
  return text;
}

std::string ResponseCsvText(std::span<const double> periods,
                            const std::vector<std::vector<double>>& spectra) {
  std::string text = ChannelCsvHeader("period");
  for (std::size_t k = 0; k < periods.size(); ++k) {
    AppendNumber(text, periods[k]);
    for (int c = 1; c <= kChannels; ++c) {
      text += ',';
      AppendNumber(text, spectra[c - 1][k]);
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace accprep
