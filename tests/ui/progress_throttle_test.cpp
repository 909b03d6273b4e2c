#include "ui/progress_throttle.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace accprep {
namespace {

using namespace std::chrono_literals;

// A clock the test moves by hand.
struct ManualClock {
  ProgressThrottle::Clock::time_point now{};
  ProgressThrottle Throttle() {
    return ProgressThrottle([this] { return now; });
  }
};

TEST(ProgressThrottle, ShowsFirstValueAndHoldsBackValuesWithinTheInterval) {
  ManualClock clock;
  ProgressThrottle throttle = clock.Throttle();
  EXPECT_EQ(throttle.Offer(1.0f), 1.0f);
  clock.now += 10ms;
  EXPECT_EQ(throttle.Offer(2.0f), std::nullopt);
  clock.now += 10ms;
  EXPECT_EQ(throttle.Offer(3.0f), std::nullopt);
  // The newest held value is the one that comes out, once.
  EXPECT_EQ(throttle.TakePending(), 3.0f);
  EXPECT_EQ(throttle.TakePending(), std::nullopt);
}

TEST(ProgressThrottle, ShowsAValueOnceTheIntervalHasPassed) {
  ManualClock clock;
  ProgressThrottle throttle = clock.Throttle();
  ASSERT_EQ(throttle.Offer(1.0f), 1.0f);
  clock.now += 32ms;
  EXPECT_EQ(throttle.Offer(2.0f), std::nullopt);
  clock.now += 1ms;
  EXPECT_EQ(throttle.Offer(3.0f), 3.0f);
  // Shown values leave nothing pending behind them.
  EXPECT_EQ(throttle.TakePending(), std::nullopt);
}

TEST(ProgressThrottle, AFlushedValueStartsANewInterval) {
  ManualClock clock;
  ProgressThrottle throttle = clock.Throttle();
  ASSERT_EQ(throttle.Offer(1.0f), 1.0f);
  clock.now += 20ms;
  ASSERT_EQ(throttle.Offer(2.0f), std::nullopt);
  ASSERT_EQ(throttle.TakePending(), 2.0f);
  clock.now += 20ms;  // 40 ms after the first, 20 ms after the flushed one
  EXPECT_EQ(throttle.Offer(3.0f), std::nullopt);
}

TEST(ProgressThrottle, HalfAMillionRowsInTenSecondsShowAboutThirtyValuesASecond) {
  ManualClock clock;
  ProgressThrottle throttle = clock.Throttle();
  int shown = 0;
  float lastShown = 0;
  for (int row = 1; row <= 500000; ++row) {
    if (const auto value = throttle.Offer(static_cast<float>(row))) {
      ++shown;
      lastShown = *value;
    }
    clock.now += 20us;
  }
  EXPECT_GE(shown, 290);
  EXPECT_LE(shown, 304);  // 10 s / 33 ms, plus the first
  // The last row of the stage comes out of the flush when it was not shown already.
  const auto pending = throttle.TakePending();
  EXPECT_EQ(pending.value_or(lastShown), 500000.0f);
}

}  // namespace
}  // namespace accprep
