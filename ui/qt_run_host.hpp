#pragma once
// Observes a conversion run that works on a worker thread while the window keeps painting.
// The run reports on the worker; this host carries every piece of feedback over to the
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

class QtRunHost final : public RunObserver {
 public:
  // window: the QObject on whose thread `surface` lives; feedback for it is queued there.
  QtRunHost(QObject& window, RunSurface& surface);

  // RunObserver, called on the worker thread.
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
  ProgressThrottle throttle_;

  std::mutex mutex_;
  std::condition_variable messageClosed_;
  bool messageOpen_ = false;
  bool abandoned_ = false;
};

}  // namespace accprep
