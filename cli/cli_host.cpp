#include "cli/cli_host.hpp"

namespace accprep {

TerminalHost::TerminalHost(const TerminalOutput& output)
    : messages_(output.messages), status_(output.status) {
  if (output.showProgress) bar_ = std::make_unique<ProgressBar>(output.status, output.clock);
}

void TerminalHost::StatusLine(const std::string& line) {
  ClearProgress();
  // Flushed per line: a caption is what a user watching a long job looks at.
  status_ << line << '\n' << std::flush;
}

void TerminalHost::SetStatusCaption(const std::string& caption) { StatusLine(caption); }

void TerminalHost::SetProgressMaximum(float maximum) {
  if (bar_) bar_->SetMaximum(maximum);
}

void TerminalHost::SetProgressValue(float value) {
  if (bar_) bar_->SetValue(value);
}

void TerminalHost::ShowMessage(const std::string& text) {
  ClearProgress();
  messages_ << text << '\n' << std::flush;
}

void TerminalHost::WaitingForExchangeFolder(const std::string& folder) {
  StatusLine("waiting for another conversion in " + folder + " to finish");
}

void TerminalHost::LeftoversRemoved(const std::vector<std::string>& paths) {
  std::string line = "removed " + std::to_string(paths.size()) +
                     (paths.size() == 1 ? " file" : " files") +
                     " left by an earlier conversion that did not finish:";
  for (const std::string& path : paths) line += " " + path;
  StatusLine(line);
}

void TerminalHost::ClearProgress() {
  if (bar_) bar_->Clear();
}

}  // namespace accprep
