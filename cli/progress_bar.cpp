#include "cli/progress_bar.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace accprep {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(1000 / kRedrawsPerSecond);
constexpr int kRowsPerClockCheck = 256;
// Carriage return back to column 0; "erase to end of line" removes what a longer earlier
// bar or a caption left on the line.
constexpr char kLineStart[] = "\r";
constexpr char kEraseLine[] = "\x1b[K";

}  // namespace

ProgressBar::ProgressBar(std::ostream& terminal, Clock clock)
    : terminal_(terminal), clock_(std::move(clock)) {}

void ProgressBar::SetMaximum(float maximum) {
  maximum_ = maximum;
  drawnThisStage_ = false;
  lastValue_ = 0.0f;
}

void ProgressBar::SetValue(float value) {
  // Also false for a maximum that is not a number: nothing sensible can be drawn then.
  if (!(maximum_ > 0.0f)) return;
  // A value below the last one starts the next file of the same stage (the two channel
  // CSVs share the acceleration row count): show that at once, as the first row of a stage.
  const bool restarted = value < lastValue_;
  lastValue_ = value;
  if (!drawnThisStage_ || restarted || value >= maximum_) {
    Draw(value);
    return;
  }
  if (--rowsUntilClockCheck_ > 0) return;
  rowsUntilClockCheck_ = kRowsPerClockCheck;
  if (clock_() - lastDraw_ >= kRedrawInterval) Draw(value);
}

void ProgressBar::Clear() {
  if (!drawn_) return;
  terminal_ << kLineStart << kEraseLine << std::flush;
  drawn_ = false;
}

std::string ProgressBar::Render(float value, float maximum) {
  double share = 0.0;
  if (maximum > 0.0f && value > 0.0f) share = value >= maximum ? 1.0 : double(value) / maximum;
  const int cells = static_cast<int>(std::floor(share * kBarCells));
  const int percent = static_cast<int>(std::floor(share * 100.0));

  std::string text = "[";
  text.append(static_cast<std::size_t>(cells), '#');
  text.append(static_cast<std::size_t>(kBarCells - cells), ' ');
  text += "] ";
  const std::string percentText = std::to_string(percent);
  text.append(3 - percentText.size(), ' ');
  text += percentText + "%  ";
  // Row numbers and counts are whole numbers below 2^24, so the floats hold them exactly.
  const auto shownValue = value > 0.0f ? static_cast<long long>(std::min(value, maximum)) : 0LL;
  const auto shownMaximum = maximum > 0.0f ? static_cast<long long>(maximum) : 0LL;
  text += std::to_string(shownValue) + "/" + std::to_string(shownMaximum);
  return text;
}

void ProgressBar::Draw(float value) {
  terminal_ << kLineStart << Render(value, maximum_) << kEraseLine << std::flush;
  drawn_ = true;
  drawnThisStage_ = true;
  rowsUntilClockCheck_ = kRowsPerClockCheck;
  lastDraw_ = clock_();
}

}  // namespace accprep
