#include "cli/progress_bar.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <sstream>
#include <string>

namespace accprep {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

// A clock the test moves by hand.
struct FakeClock {
  TimePoint now{};
  ProgressBar::Clock Function() {
    return [this] { return now; };
  }
};

int CountDraws(const std::string& terminal) {
  int draws = 0;
  for (std::size_t at = terminal.find('['); at != std::string::npos;
       at = terminal.find('[', at + 1)) {
    // Each drawing is "\r[" ... "]"; the erase sequence "\x1b[K" also holds a '['.
    if (at > 0 && terminal[at - 1] == '\r') ++draws;
  }
  return draws;
}

TEST(ProgressBar, RendersShareOfRowsWithCounts) {
  EXPECT_EQ(ProgressBar::Render(225000.0f, 450000.0f),
            "[###############               ]  50%  225000/450000");
  EXPECT_EQ(ProgressBar::Render(450000.0f, 450000.0f),
            "[##############################] 100%  450000/450000");
  EXPECT_EQ(ProgressBar::Render(1.0f, 3.0f), "[##########                    ]  33%  1/3");
  // Below one cell and one percent the bar is empty but the row still shows.
  EXPECT_EQ(ProgressBar::Render(1.0f, 450000.0f),
            "[                              ]   0%  1/450000");
  // Figures outside 0..maximum, which no run produces, are held to the bar's ends.
  EXPECT_EQ(ProgressBar::Render(9.0f, 4.0f), "[##############################] 100%  4/4");
  EXPECT_EQ(ProgressBar::Render(-1.0f, 4.0f), "[                              ]   0%  0/4");
}

TEST(ProgressBar, DrawsFirstRowAndLastRowAndThrottlesBetween) {
  std::ostringstream terminal;
  FakeClock clock;
  ProgressBar bar(terminal, clock.Function());
  bar.SetMaximum(100000.0f);
  for (int row = 1; row <= 100000; ++row) bar.SetValue(float(row));
  // The clock never moved: only the first and the last row are drawn.
  EXPECT_EQ(CountDraws(terminal.str()), 2);
  EXPECT_NE(terminal.str().find("\r[##############################] 100%  100000/100000\x1b[K"),
            std::string::npos);
  EXPECT_TRUE(bar.drawn());
}

TEST(ProgressBar, RedrawsAtMostTwentyTimesASecond) {
  std::ostringstream terminal;
  FakeClock clock;
  ProgressBar bar(terminal, clock.Function());
  bar.SetMaximum(450000.0f);
  // 450,000 rows written over ten seconds of the fake clock.
  for (int row = 1; row <= 450000; ++row) {
    if (row % 45 == 0) clock.now += milliseconds(1);
    bar.SetValue(float(row));
  }
  const int draws = CountDraws(terminal.str());
  EXPECT_LE(draws, 10 * kRedrawsPerSecond + 2);
  // ... and still keeps up: most 50 ms intervals got their drawing.
  EXPECT_GE(draws, 10 * kRedrawsPerSecond * 3 / 4);
}

TEST(ProgressBar, NewStageOrRestartedLoopDrawsAtOnce) {
  std::ostringstream terminal;
  FakeClock clock;
  ProgressBar bar(terminal, clock.Function());
  bar.SetMaximum(1000.0f);
  for (int row = 1; row <= 1000; ++row) bar.SetValue(float(row));
  ASSERT_EQ(CountDraws(terminal.str()), 2);
  // The exchange CSV follows the public CSV with the same maximum: its row 1 shows at once.
  bar.SetValue(1.0f);
  EXPECT_EQ(CountDraws(terminal.str()), 3);
  EXPECT_TRUE(terminal.str().ends_with("\r[                              ]   0%  1/1000\x1b[K"));
  bar.SetMaximum(10.0f);
  bar.SetValue(1.0f);
  EXPECT_EQ(CountDraws(terminal.str()), 4);
}

TEST(ProgressBar, NoMaximumNeverDraws) {
  std::ostringstream terminal;
  ProgressBar bar(terminal);
  bar.SetValue(1.0f);  // before any read
  bar.SetMaximum(0.0f);
  bar.SetValue(1.0f);
  bar.SetMaximum(-3.0f);
  bar.SetValue(1.0f);
  bar.SetMaximum(std::numeric_limits<float>::quiet_NaN());
  bar.SetValue(1.0f);
  bar.Clear();
  EXPECT_EQ(terminal.str(), "");
  EXPECT_FALSE(bar.drawn());
}

TEST(ProgressBar, ClearErasesOnlyADrawnBar) {
  std::ostringstream terminal;
  ProgressBar bar(terminal);
  bar.SetMaximum(2.0f);
  bar.SetValue(1.0f);
  terminal.str("");
  bar.Clear();
  EXPECT_EQ(terminal.str(), "\r\x1b[K");
  EXPECT_FALSE(bar.drawn());
  bar.Clear();
  EXPECT_EQ(terminal.str(), "\r\x1b[K");
}

}  // namespace
}  // namespace accprep
