#pragma once
// Holds back progress values so that the window sees at most about 30 a second. A run reports
// every data row it writes (up to 450,000 per file, about two million per run); a repaint
// queued for each of them would cost more than the writing itself and flood the window's
// event queue. Not thread-safe: one run's worker thread owns it.

#include <chrono>
#include <functional>
#include <optional>

namespace accprep {

class ProgressThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  // 33 ms: about 30 updates a second, as smooth as the eye follows a bar.
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(33);

  // now: the clock to read; tests pass one they move by hand.
  explicit ProgressThrottle(std::function<Clock::time_point()> now = &Clock::now);

  // Offers the newest value. Returns it when it is due to be shown: the first value offered,
  // or one offered at least kInterval after the last value returned. Otherwise keeps it as
  // the pending value (replacing an older pending one) and returns nothing.
  std::optional<float> Offer(float value);

  // Returns the pending value, if any, and forgets it. The host calls this before every other
  // kind of feedback and at the end of the run, so the last value of a stage is always shown,
  // and shown before the caption or maximum that follows it.
  std::optional<float> TakePending();

 private:
  std::function<Clock::time_point()> now_;
  std::optional<Clock::time_point> lastShown_;
  std::optional<float> pending_;
};

}  // namespace accprep
