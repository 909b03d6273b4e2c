#include "measures/frequency_tracking.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "measures/oscillator_step.hpp"

namespace accprep {
namespace {

constexpr double kStep = 0.01;

// The absolute acceleration of an oscillator on a base shaken by white noise until sample
// `shaken`, its frequency changed at the given sample numbers (the state carries over), as a
// building that softens in the strong shaking and recovers after it.
struct Softening {
  std::vector<double> base;
  std::vector<double> roof;
  std::vector<double> times;  // from 100 s
};
Softening Shake(std::size_t count, const std::vector<std::pair<std::size_t, double>>& stages,
                std::size_t shaken = SIZE_MAX) {
  std::mt19937 random(5);
  std::normal_distribution<double> normal(0.0, 1.0);
  Softening record;
  for (std::size_t i = 0; i < count; ++i) {
    record.base.push_back(i < shaken ? normal(random) : 0.0);
    record.times.push_back(100.0 + kStep * static_cast<double>(i));
  }
  double x = 0.0;
  double v = 0.0;
  std::size_t stage = 0;
  OscillatorStep step = MakeOscillatorStep(1.0 / stages[0].second, 0.03, kStep);
  for (std::size_t i = 0; i < count; ++i) {
    if (stage + 1 < stages.size() && i == stages[stage + 1].first) {
      step = MakeOscillatorStep(1.0 / stages[++stage].second, 0.03, kStep);
    }
    if (i > 0) step.Advance(x, v, record.base[i - 1], record.base[i]);
    record.roof.push_back(-(step.twoHw * v + step.w2 * x));
  }
  return record;
}

TEST(FrequencyTracking, ADropAndItsRecoveryShow) {
  // 2 Hz for 60 s, 1.6 Hz for the next 60 s, 2 Hz again.
  const Softening record = Shake(18000, {{0, 2.0}, {6000, 1.6}, {12000, 2.0}});
  const std::vector<TrackedFrequency> track =
      TrackFirstFrequency(record.base, record.roof, record.times, kStep, 2.0);
  // Windows of 20 s every 2 s: 2,000 samples from sample 0, 200, ... while they fit.
  ASSERT_EQ(track.size(), (18000 - 2000) / 200 + 1);
  for (std::size_t w = 0; w < track.size(); ++w) {
    const double start = 2.0 * static_cast<double>(w);
    EXPECT_EQ(track[w].time, 0.5 * (record.times[200 * w] + record.times[200 * w + 1999]));
    const double end = start + 20.0;
    const bool soft = start >= 60.0 && end <= 120.0;
    const bool stiff = end <= 60.0 || start >= 120.0;
    if (!soft && !stiff) continue;  // a window across a change sees a mixture
    ASSERT_TRUE(track[w].frequency) << start;
    EXPECT_NEAR(*track[w].frequency, soft ? 1.6 : 2.0, 0.01) << start;
  }
}

TEST(FrequencyTracking, QuietWindowsAndShortRecords) {
  // The base stops shaking after 30 s: once the roof has died down, nothing is estimated.
  const Softening record = Shake(9000, {{0, 2.0}}, 3000);
  const std::vector<TrackedFrequency> track =
      TrackFirstFrequency(record.base, record.roof, record.times, kStep, 2.0);
  EXPECT_TRUE(track.front().frequency);
  EXPECT_FALSE(track.back().frequency);

  // A record shorter than a window is one window of its own (even) length.
  const std::vector<TrackedFrequency> one =
      TrackFirstFrequency(std::span(record.base).first(1001), std::span(record.roof).first(1001),
                          std::span(record.times).first(1001), kStep, 2.0);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].time, 0.5 * (record.times[0] + record.times[999]));
  EXPECT_NEAR(one[0].frequency.value_or(0.0), 2.0, 0.02);
}

}  // namespace
}  // namespace accprep
