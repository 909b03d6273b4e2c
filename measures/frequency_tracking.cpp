#include "measures/frequency_tracking.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "measures/modal_fit.hpp"
#include "measures/pair_spectra.hpp"
#include "measures/real_fft.hpp"

namespace accprep {
namespace {

double LargestMagnitude(std::span<const double> values) {
  double largest = 0.0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}

}  // namespace

std::vector<TrackedFrequency> TrackFirstFrequency(std::span<const double> input,
                                                  std::span<const double> output,
                                                  std::span<const double> times, double timeStep,
                                                  double firstFrequency,
                                                  const TrackingWindows& windows) {
  if (input.size() != output.size() || times.size() != input.size() || !(timeStep > 0) ||
      !(firstFrequency > 0) || !(windows.length > 0) || !(windows.step > 0)) {
    throw std::invalid_argument("TrackFirstFrequency: unusable records or windows");
  }
  std::vector<TrackedFrequency> track;
  if (input.size() < 4) return track;

  // Even lengths for the transform; a record shorter than a window is one window.
  std::size_t length = static_cast<std::size_t>(std::llround(windows.length / timeStep));
  length = std::min(length + length % 2, input.size() - input.size() % 2);
  length = std::max<std::size_t>(length, 4);
  const std::size_t stride =
      std::max<std::size_t>(1, static_cast<std::size_t>(std::llround(windows.step / timeStep)));

  const double quiet = kLeastTrackedMotion * LargestMagnitude(output);
  PairTransform transform(length, timeStep);
  for (std::size_t start = 0; start + length <= input.size(); start += stride) {
    TrackedFrequency entry;
    entry.time = 0.5 * (times[start] + times[start + length - 1]);
    const std::span<const double> out = output.subspan(start, length);
    if (quiet > 0 && LargestMagnitude(out) >= quiet) {
      const PairSpectra spectra = transform.Compute(input.subspan(start, length), out);
      const std::optional<ModalFit> fit =
          FitMode(spectra, kTrackingBandLow * firstFrequency, kTrackingBandHigh * firstFrequency);
      if (fit) entry.frequency = fit->frequency;
    }
    track.push_back(entry);
  }
  return track;
}

}  // namespace accprep
