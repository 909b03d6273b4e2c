#pragma once
// Smoothing of amplitude spectra as ground-motion engineers read them: the Parzen window on
// the bins themselves (a bandwidth in Hz) and the Konno-Ohmachi window (Konno and Ohmachi,
// 1998), whose width is a fixed fraction of its centre frequency, onto chosen centres.
//
// Both are weighted means over every bin of the spectrum: no window is cut short, so a
// distant strong peak weighs in as the definitions say, and each mean is divided by the sum of
// the weights its bins received, so that a constant spectrum stays constant.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace accprep {

struct SpectralSmoothing {
  enum class Kind { kNone, kParzen, kKonnoOhmachi };
  Kind kind = Kind::kNone;
  double parameter = 0;  // Parzen: the bandwidth B in Hz; Konno-Ohmachi: b
  bool operator==(const SpectralSmoothing&) const = default;
};

inline constexpr double kDefaultKonnoOhmachiB = 40.0;
// Konno-Ohmachi b above this leaves a main lobe narrower than 0.3 % of its centre: no
// smoothing, and far bins' weights would underflow to nothing.
inline constexpr double kLargestKonnoOhmachiB = 1000.0;
// The default centres: this many, evenly spaced in logarithm, from this frequency (Hz).
inline constexpr int kKonnoOhmachiCentreCount = 1000;
inline constexpr double kKonnoOhmachiLowestCentre = 0.05;

// "none", "parzen:B" with a bandwidth 0 < B (Hz, finite), "ko:b" with 0 < b <= 1000, or "ko"
// for b = 40. Numbers in the engine's decimal form; nothing else around them. None otherwise.
std::optional<SpectralSmoothing> ParseSmoothing(std::string_view text);
// The form ParseSmoothing reads: "none", "parzen:0.2", "ko:40".
std::string SmoothingText(const SpectralSmoothing& smoothing);

// The Parzen window of bandwidth B Hz, W(f) = 3/4 u [sin(pi u f / 2) / (pi u f / 2)]^4 with
// u = 280 / (151 B), applied to values[k] at k * binWidth: one result per bin,
// sum_j W((j - k) binWidth) values[j] / sum_j W((j - k) binWidth) over every j. Requires
// binWidth > 0 and bandwidth > 0, both finite (std::invalid_argument otherwise); no values
// give none.
std::vector<double> SmoothParzen(std::span<const double> values, double binWidth, double bandwidth);
// The same for many series of one length, sharing the window: entry s of the result smooths
// series[s]. Requires every series to have the length of the first.
std::vector<std::vector<double>> SmoothParzen(std::span<const std::span<const double>> series,
                                              double binWidth, double bandwidth);

// The Konno-Ohmachi window W(f, fc) = [sin(b log10(f / fc)) / (b log10(f / fc))]^4, W(fc, fc)
// = 1, applied to values at `frequencies`: for each centre fc, sum_k W(f_k, fc) values[k] /
// sum_k W(f_k, fc) over every k. Exact, or within 1e-10 of sum_k W |values[k]| / sum_k W (of
// the result itself for values >= 0). Requires frequencies > 0, ascending, at least one, one
// value each, centres > 0 and 0 < b <= 1000 (std::invalid_argument otherwise).
std::vector<double> SmoothKonnoOhmachi(std::span<const double> frequencies,
                                       std::span<const double> values,
                                       std::span<const double> centres, double b);
// The same for many series at the same frequencies: the weights are found once for all, and
// the work is shared among `threads` threads. Entry s of the result smooths series[s], one
// value per centre.
std::vector<std::vector<double>> SmoothKonnoOhmachi(std::span<const double> frequencies,
                                                    std::span<const std::span<const double>> series,
                                                    std::span<const double> centres, double b,
                                                    int threads = 2);

// `count` frequencies evenly spaced in logarithm from `lowest` to `highest`, both ends exact
// (one when they are equal). Requires 0 < lowest <= highest and count >= 2.
std::vector<double> LogSpacedFrequencies(double lowest, double highest, int count);

// The default centres of a spectrum whose first bin lies at `firstBin` Hz, with Nyquist
// frequency `nyquist` (0 < firstBin <= nyquist): 1,000 evenly spaced in logarithm from
// 0.05 Hz, or from the first bin where that lies above 0.05 Hz, to the Nyquist frequency.
std::vector<double> DefaultSmoothingCentres(double firstBin, double nyquist);

}  // namespace accprep
