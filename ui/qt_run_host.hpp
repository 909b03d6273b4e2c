#pragma once
// Hosts a conversion run that works on a worker thread while the window keeps painting. The
// run calls the RunHost operations on the worker; this host answers the inputs from a
// snapshot taken when Start was pressed (the text boxes are disabled while the run works, so
// the snapshot is what the boxes hold) and carries every piece of feedback over to the
// window's thread, in the order the run gave it. Progress values pass a ProgressThrottle.

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "engine/conversion_run.hpp"
#include "ui/progress_throttle.hpp"
#include "ui/run_inputs.hpp"

namespace accprep {

// What the window does with the run's feedback. Called on the window's thread only.
class RunSurface {
 public:
  virtual ~RunSurface() = default;
  virtual void ShowStatusCaption(const QString& caption) = 0;
  virtual void ShowStartEnabled(bool enabled) = 0;
  virtual void ShowProgressMaximum(float maximum) = 0;
  virtual void ShowProgressValue(float value) = 0;
  virtual void SetDialogFolder(const QString& folder) = 0;
  // Modal; returns when the user has closed the message.
  virtual void ShowClosingMessage(const QString& text) = 0;
  // The run is over; failureText is set when it failed and says why.
  virtual void RunEnded(const std::optional<QString>& failureText) = 0;
};

class QtRunHost final : public RunHost {
 public:
  // window: the QObject on whose thread `surface` lives; feedback for it is queued there.
  // exchangeFolder: asked on the worker thread each time the run asks; must be thread-safe.
  QtRunHost(QObject& window, RunSurface& surface, RunInputs inputs,
            std::function<std::string()> exchangeFolder);

  // RunHost, called on the worker thread.
  std::string SelectedInputPath() override { return inputs_.inputPath; }
  std::string OutputBaseName() override { return inputs_.outputBaseName; }
  std::string Comment() override { return inputs_.comment; }
  std::string ExchangeFolder() override { return exchangeFolder_(); }
  void SetStatusCaption(const std::string& caption) override;
  void SetStartEnabled(bool enabled) override;
  void SetProgressMaximum(float maximum) override;
  void SetProgressValue(float value) override;
  void SetDialogInitialFolder(const std::string& folder) override;
  // Blocks the worker until the window has shown the message and the user has closed it.
  void ShowMessage(const std::string& text) override;

  // Worker thread, last call: shows a held-back progress value, then tells the window the
  // run is over.
  void ReportEnd(std::optional<QString> failureText);

  // Window thread: the window is going away while the run still works. Feedback from now on
  // is dropped, and a ShowMessage waiting for the user returns at once.
  void Abandon();

 private:
  void FlushProgress();
  void Post(std::function<void()> onWindow);

  QObject& window_;
  RunSurface& surface_;
  const RunInputs inputs_;
  const std::function<std::string()> exchangeFolder_;
  ProgressThrottle throttle_;

  std::mutex mutex_;
  std::condition_variable messageClosed_;
  bool messageOpen_ = false;
  bool abandoned_ = false;
};

}  // namespace accprep
