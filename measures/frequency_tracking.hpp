#pragma once
// The first natural frequency followed through the shaking: the mode fitted
// (measures/modal_fit.hpp) in running windows of the base and top records, so that a building
// that softens in strong shaking shows the drop and its recovery. A linear building shows a
// constant.

#include <optional>
#include <span>
#include <vector>

namespace accprep {

struct TrackingWindows {
  double length = 20.0;  // s
  double step = 2.0;     // s between the starts of two windows
};

// A window is fitted only where the output moves with at least this fraction of its peak over
// the whole record; quieter windows hold more noise than mode.
inline constexpr double kLeastTrackedMotion = 0.05;
// The band each window is fitted in, as factors of the first frequency of the whole record:
// room for a drop of 40 % and a rise of 25 %.
inline constexpr double kTrackingBandLow = 0.6;
inline constexpr double kTrackingBandHigh = 1.25;

struct TrackedFrequency {
  double time = 0.0;                // the window's centre, s
  std::optional<double> frequency;  // Hz; none where the window is quiet or no mode stands
};

// One entry per window over `input` (base) and `output` (top), records of one length sampled
// every `timeStep` s at `times`, around `firstFrequency` Hz (the first mode of the whole
// record). Windows start every `windows.step` s while they fit in the record; a record shorter
// than one window is one window of its own length. A window's time is the mean of its first
// and last sample's. Requires equal lengths, timeStep > 0, firstFrequency > 0 and windows of
// positive length and step (std::invalid_argument otherwise); fewer than four samples give no
// windows.
std::vector<TrackedFrequency> TrackFirstFrequency(std::span<const double> input,
                                                  std::span<const double> output,
                                                  std::span<const double> times, double timeStep,
                                                  double firstFrequency,
                                                  const TrackingWindows& windows = {});

}  // namespace accprep
