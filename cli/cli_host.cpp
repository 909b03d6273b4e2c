#include "cli/cli_host.hpp"

#include <utility>

namespace accprep {

TerminalHost::TerminalHost(RunInputs inputs, const TerminalOutput& output)
    : inputs_(std::move(inputs)), messages_(output.messages), status_(output.status) {
  if (output.showProgress) bar_ = std::make_unique<ProgressBar>(output.status, output.clock);
}

void TerminalHost::SetStatusCaption(const std::string& caption) {
  ClearProgress();
  // Flushed per caption: a caption is what a user watching a long job looks at.
  status_ << caption << '\n' << std::flush;
}

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

void TerminalHost::ClearProgress() {
  if (bar_) bar_->Clear();
}

}  // namespace accprep
