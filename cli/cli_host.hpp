#pragma once
// The terminal as the observer of a conversion run: the status captions go to the error
// output as lines, the closing message to the standard output, and, on a terminal, a progress
// bar shows the row loop under way.
//
// The standard output carries nothing but the closing messages, so a script can test for
// "done" as the last line while the captions and the bar stay on the error output.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/progress_bar.hpp"
#include "engine/conversion_run.hpp"

namespace accprep {

// Where a terminal host writes. With showProgress false (the error output is no terminal:
// a pipe, a file, a log) no bar is drawn and the error output holds only whole lines.
struct TerminalOutput {
  std::ostream& messages;  // standard output
  std::ostream& status;    // error output
  bool showProgress = false;
  ProgressBar::Clock clock = &std::chrono::steady_clock::now;  // replaced by tests only
};

class TerminalHost final : public RunObserver {
 public:
  explicit TerminalHost(const TerminalOutput& output);

  // Clears the bar, then writes the caption and a line end.
  void SetStatusCaption(const std::string& caption) override;
  void SetProgressMaximum(float maximum) override;
  void SetProgressValue(float value) override;
  // Clears the bar, then writes the text and a line end to the standard output.
  void ShowMessage(const std::string& text) override;
  // One line each on the error output.
  void WaitingForExchangeFolder(const std::string& folder) override;
  void LeftoversRemoved(const std::vector<std::string>& paths) override;

  // Erases a bar still drawn, so that a message can follow on a clean line (after a failure).
  void ClearProgress();

 private:
  void StatusLine(const std::string& line);

  std::ostream& messages_;
  std::ostream& status_;
  std::unique_ptr<ProgressBar> bar_;  // null when no bar is shown
};

}  // namespace accprep
