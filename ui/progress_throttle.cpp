#include "ui/progress_throttle.hpp"

#include <utility>

namespace accprep {

ProgressThrottle::ProgressThrottle(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

std::optional<float> ProgressThrottle::Offer(float value) {
  const Clock::time_point now = now_();
  if (lastShown_ && now - *lastShown_ < kInterval) {
    pending_ = value;
    return std::nullopt;
  }
  lastShown_ = now;
  pending_.reset();
  return value;
}

std::optional<float> ProgressThrottle::TakePending() {
  std::optional<float> value = pending_;
  pending_.reset();
  if (value) lastShown_ = now_();
  return value;
}

}  // namespace accprep
