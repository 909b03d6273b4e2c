#pragma once
// Stand-ins for the window's seams, and an exchange folder with small job scripts, shared by
// the window tests.

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_kit.hpp"
#include "ui/main_window.hpp"
#include "ui/window_prompts.hpp"

namespace accprep::testing {

// Answers the open-file dialog from a list and records every message box.
class FakePrompts final : public WindowPrompts {
 public:
  QString RunOpenFileDialog(QFileDialog& dialog) override;
  void ShowMessage(QWidget* parent, const QString& text) override;
  void ShowFailure(QWidget* parent, const QString& text) override;

  std::deque<QString> dialogReports;  // what each shown dialog reports, in turn
  int dialogShows = 0;
  std::vector<QString> messages;
  std::vector<QString> failures;
  std::function<void()> whileMessageShown;  // called inside ShowMessage, box still open
};

struct TestWindow {
  std::unique_ptr<Form1> window;
  FakePrompts* prompts;  // owned by the window
};

// A window on fake prompts; exchangeFolder and run left empty take the real defaults.
TestWindow MakeTestWindow(std::function<std::string()> exchangeFolder = {},
                          std::function<void(const RunInputs&, RunObserver&)> run = {});

// A temporary exchange folder with out/ and the two job scripts, which check that the
// exchange CSV is there and write prepared results beside themselves.
class ExchangeFolder {
 public:
  ExchangeFolder();
  std::string Path() const;
  std::string File(const std::string& name) const;
  // Replaces a job by one that writes to its error output and exits with `exitCode`.
  void MakeJobFail(const std::string& jobName, int exitCode);
  void RemoveOutFolder();

  static constexpr int kVelocityRows = 2;
  static constexpr int kDisplacementRows = 4;

 private:
  TemporaryFolder folder_;
};

// A record of `rows` records in the tool's input form (two header lines, 43 numbers a record).
std::string WriteAccelerationRecord(const std::string& path, int rows);

// Processes events until the window's run has finished; false after 20 s.
bool WaitForRunEnd(Form1& window);

}  // namespace accprep::testing
