#pragma once
// Form1, the tool's one window. It collects the three inputs of a conversion (the record to
// read, the output base name, a comment line), arms and starts the conversion run, and shows
// what the run reports: the status text, the progress bar and the closing message.
//
// Start (Command2) is the window's one state machine:
//   Not armed (disabled)  at load, and when a run has ended, whether it completed or failed;
//   Armed (enabled)       after a file selection, confirmed or cancelled, or any edit of Text1
//                         (an emptied Text1 stays armed: the text is not examined);
//   Running (disabled)    from Start until the run ends.
// The run works on a worker thread while the window keeps painting; meanwhile the window takes
// no input: both text boxes and all three buttons are disabled and a request to close the
// window is declined. A failed run is shown in a message box; the window stays open. Only one
// conversion at a time may use the program folder: while another program's run holds it, Start
// is refused at once with a message, as any failed run.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "engine/conversion_run.hpp"
#include "ui/qt_run_host.hpp"
#include "ui/window_prompts.hpp"

class QCloseEvent;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace accprep {

class FittedLabel;

// The status caption a failed run leaves in Label2.
inline constexpr char kStatusFailed[] = "エラー";

// The window's links to the world, each with its real default, so tests can stand in.
struct Form1Seams {
  std::unique_ptr<WindowPrompts> prompts;       // default: the real dialog and message boxes
  std::function<std::string()> exchangeFolder;  // default: ProgramFolder(); thread-safe
  // default: RunConversion; called on the run's worker thread
  std::function<void(const RunInputs&, RunObserver&)> conversionRun;
};

class Form1 final : public QWidget, private RunSurface {
  Q_OBJECT

 public:
  explicit Form1(Form1Seams seams = {}, QWidget* parent = nullptr);
  // Waits for a run still at work (it cannot be cancelled) after dropping its feedback.
  ~Form1() override;

  // The handlers, one per handled event.
  void Form_Load();
  void Command1_Click();
  void Text1_Change();
  void Command2_Click();
  void Command3_Click();

  bool IsRunning() const { return host_ != nullptr; }
  // The path the next run reads; Label1 shows it.
  const QString& SelectedInputPath() const { return selectedInputPath_; }

  // The controls, named as the window's layout names them (also their object names).
  QGroupBox* Frame1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QGroupBox* Frame4 = nullptr;
  FittedLabel* Label1 = nullptr;
  FittedLabel* Label2 = nullptr;
  QLineEdit* Text1 = nullptr;
  QLineEdit* Text2 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QFileDialog* CommonDialog1 = nullptr;

 signals:
  // After a run has ended and, when it failed, after the user has closed the failure box.
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void PlaceControls();
  void SetTabOrder();
  void ConnectHandlers();
  void SetTakesInput(bool takesInput);

  // RunSurface: the run's feedback, on the window's thread.
  void ShowStatusCaption(const QString& caption) override;
  void ShowStartEnabled(bool enabled) override;
  void ShowProgressMaximum(float maximum) override;
  void ShowProgressValue(float value) override;
  void SetDialogFolder(const QString& folder) override;
  void ShowClosingMessage(const QString& text) override;
  void RunEnded(const std::optional<QString>& failureText) override;

  Form1Seams seams_;
  QString selectedInputPath_;
  int progressMaximum_ = 100;  // the run's maximum; the bar itself never shows 0..0
  bool startEnabledAfterRun_ = false;
  std::unique_ptr<QtRunHost> host_;  // set while a run works
  std::thread worker_;
};

}  // namespace accprep
