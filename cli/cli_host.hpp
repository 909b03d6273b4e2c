#pragma once
// The terminal as the host of a conversion run: the inputs come from the command line, the
// status captions go to the error output as lines, the closing message to the standard
// output, and, on a terminal, a progress bar shows the row loop under way.
//
// The standard output carries nothing but the closing messages, so a script can test for
// "done" as the last line while the captions and the bar stay on the error output.

#include <memory>
#include <ostream>
#include <string>

#include "cli/progress_bar.hpp"
#include "engine/conversion_run.hpp"

namespace accprep {

// What one run of the command line converts.
struct RunInputs {
  std::string inputPath;
  std::string baseName;
  std::string comment;  // the empty text unless --comment is given
  std::string exchangeFolder;
};

// Where a terminal host writes. With showProgress false (the error output is no terminal:
// a pipe, a file, a log) no bar is drawn and the error output holds only whole lines.
struct TerminalOutput {
  std::ostream& messages;  // standard output
  std::ostream& status;    // error output
  bool showProgress = false;
  ProgressBar::Clock clock = &std::chrono::steady_clock::now;  // replaced by tests only
};

class TerminalHost final : public RunHost {
 public:
  TerminalHost(RunInputs inputs, const TerminalOutput& output);

  std::string SelectedInputPath() override { return inputs_.inputPath; }
  std::string OutputBaseName() override { return inputs_.baseName; }
  std::string Comment() override { return inputs_.comment; }
  std::string ExchangeFolder() override { return inputs_.exchangeFolder; }

  // Clears the bar, then writes the caption and a line end.
  void SetStatusCaption(const std::string& caption) override;
  // A terminal has no Start button and no file dialog: these do nothing.
  void SetStartEnabled(bool) override {}
  void SetDialogInitialFolder(const std::string&) override {}
  void SetProgressMaximum(float maximum) override;
  void SetProgressValue(float value) override;
  // Clears the bar, then writes the text and a line end to the standard output.
  void ShowMessage(const std::string& text) override;

  // Erases a bar still drawn, so that a message can follow on a clean line (after a failure).
  void ClearProgress();

 private:
  RunInputs inputs_;
  std::ostream& messages_;
  std::ostream& status_;
  std::unique_ptr<ProgressBar> bar_;  // null when no bar is shown
};

}  // namespace accprep
