#pragma once
// The progress bar of the command line: one line on a terminal, redrawn in place with a
// carriage return, showing how far the row loop of the file being written has come.
//
// The run reports its progress once per data row (up to 450,000 rows per file, five files a
// run); drawing that often would flood the terminal and cost more than the writing. The bar
// therefore redraws at most kRedrawsPerSecond times a second, and always when the last row
// is reached, so a finished stage never shows a stale figure.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace accprep {

inline constexpr int kRedrawsPerSecond = 20;
inline constexpr int kBarCells = 30;

class ProgressBar {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // Draws on `terminal`, which must be a terminal that understands a carriage return and the
  // erase-line sequence. `clock` is only replaced by tests.
  explicit ProgressBar(std::ostream& terminal, Clock clock = &std::chrono::steady_clock::now);

  // Starts a new stage with `maximum` rows (the row count of the last read). Draws nothing;
  // a maximum of 0 or less, or one that is not a number, never draws.
  void SetMaximum(float maximum);

  // Row `value` of the current stage is under way. Redraws when the first row comes, when the
  // maximum is reached, and otherwise when the last drawing is old enough.
  void SetValue(float value);

  // Erases the bar if one is drawn, leaving the cursor at the start of an empty line, so that
  // a line of text can follow. Does nothing when no bar is drawn.
  void Clear();

  bool drawn() const noexcept { return drawn_; }

  // The text of the bar for `value` of `maximum`, without the line control around it:
  // "[###############               ]  50%  225000/450000".
  static std::string Render(float value, float maximum);

 private:
  void Draw(float value);

  std::ostream& terminal_;
  Clock clock_;
  float maximum_ = 0.0f;
  bool drawn_ = false;
  bool drawnThisStage_ = false;
  float lastValue_ = 0.0f;
  std::chrono::steady_clock::time_point lastDraw_{};
  // Rows left before the clock is read again: reading it once per row would cost more than
  // the bar is worth on a 450,000-row file.
  int rowsUntilClockCheck_ = 0;
};

}  // namespace accprep
