#include "measures/modal_identification.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "measures/modal_fit.hpp"
#include "measures/transfer_function.hpp"

namespace accprep {
namespace {

constexpr double kLowestModeHz = 0.1;
constexpr double kLowestModeBins = 10.0;
constexpr double kHighestModeOfNyquist = 0.8;
// Valleys are looked for within this factor of a peak's frequency, and the fit's band reaches
// this fraction either side of it.
constexpr double kValleyReach = 1.5;
constexpr double kBandHalfWidth = 0.15;
// The smoothed curve is searched on points this fraction of their frequency apart (or one bin,
// where bins lie further apart), each the largest amplitude of the bins it stands for: the
// smoothing leaves nothing narrower, and a search over every bin of a long record would cost
// the square of its length.
constexpr double kPointSpacing = 0.002;
// Two fits nearer than this are one mode found from two peaks.
constexpr double kSameMode = 0.02;

struct GuidePoint {
  double frequency = 0.0;
  double amplitude = 0.0;
  double coherence = 0.0;
};

std::vector<GuidePoint> GuidePoints(const TransferFunction& guide) {
  std::vector<GuidePoint> points;
  double groupEnd = 0.0;
  for (std::size_t i = 0; i < guide.frequency.size(); ++i) {
    const double amplitude = TransferAmplitude(guide.response[i]);
    if (!std::isfinite(amplitude)) continue;
    const GuidePoint point{guide.frequency[i], amplitude, guide.coherence[i]};
    if (points.empty() || point.frequency >= groupEnd) {
      points.push_back(point);
      groupEnd = point.frequency * (1.0 + kPointSpacing);
    } else if (point.amplitude > points.back().amplitude) {
      points.back() = point;
    }
  }
  return points;
}

struct Valley {
  double frequency = 0.0;
  double amplitude = 0.0;
};

// The lowest point from `peak` towards `step` (-1 or +1) before a point higher than the peak,
// the end of the curve or the reach.
Valley ValleyBeside(const std::vector<GuidePoint>& points, std::size_t peak, int step) {
  Valley valley{points[peak].frequency, points[peak].amplitude};
  const double low = points[peak].frequency / kValleyReach;
  const double high = points[peak].frequency * kValleyReach;
  for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(peak) + step;
       j >= 0 && j < static_cast<std::ptrdiff_t>(points.size()); j += step) {
    const GuidePoint& point = points[j];
    if (point.amplitude > points[peak].amplitude || point.frequency < low ||
        point.frequency > high) {
      break;
    }
    if (point.amplitude < valley.amplitude) valley = {point.frequency, point.amplitude};
  }
  return valley;
}

}  // namespace

std::vector<IdentifiedMode> IdentifyModes(const PairSpectra& spectra) {
  if (spectra.bins() < 4) return {};
  return IdentifyModes(spectra, EstimateTransferFunction(spectra, kDefaultTransferSmoothing));
}

std::vector<IdentifiedMode> IdentifyModes(const PairSpectra& spectra,
                                          const TransferFunction& guide) {
  std::vector<IdentifiedMode> modes;
  if (spectra.bins() < 4) return modes;
  const std::vector<GuidePoint> points = GuidePoints(guide);
  const double lowest = std::max(kLowestModeHz, kLowestModeBins * spectra.frequencyStep);
  const double highest = kHighestModeOfNyquist * spectra.frequency(spectra.bins() - 1);

  for (std::size_t p = 1; p + 1 < points.size(); ++p) {
    const GuidePoint& peak = points[p];
    if (peak.frequency < lowest || peak.frequency > highest) continue;
    if (!(peak.amplitude > points[p - 1].amplitude && peak.amplitude >= points[p + 1].amplitude)) {
      continue;
    }
    if (!(peak.coherence >= kLeastPeakCoherence)) continue;
    const Valley left = ValleyBeside(points, p, -1);
    const Valley right = ValleyBeside(points, p, +1);
    if (peak.amplitude < kLeastProminence * std::max(left.amplitude, right.amplitude)) continue;

    const double low = std::max(peak.frequency / (1.0 + kBandHalfWidth), left.frequency);
    const double high = std::min(peak.frequency * (1.0 + kBandHalfWidth), right.frequency);
    const std::optional<ModalFit> fit = FitMode(spectra, low, high);
    if (!fit || !(fit->damping < kMostModalDamping)) continue;
    if (!modes.empty() && fit->frequency < modes.back().frequency * (1.0 + kSameMode)) continue;
    modes.push_back({fit->frequency, 1.0 / fit->frequency, fit->damping});
    if (static_cast<int>(modes.size()) == kMostModes) break;
  }
  return modes;
}

}  // namespace accprep
