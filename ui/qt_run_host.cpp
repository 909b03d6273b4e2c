#include "ui/qt_run_host.hpp"

#include <QMetaObject>
#include <utility>

namespace accprep {

QtRunHost::QtRunHost(QObject& window, RunSurface& surface) : window_(window), surface_(surface) {}

void QtRunHost::Post(std::function<void()> onWindow) {
  std::lock_guard lock(mutex_);
  if (abandoned_) return;
  // Queued on the window's thread in call order; dropped by Qt if the window is deleted
  // before it gets there.
  QMetaObject::invokeMethod(&window_, std::move(onWindow), Qt::QueuedConnection);
}

void QtRunHost::FlushProgress() {
  if (const std::optional<float> value = throttle_.TakePending()) {
    Post([this, v = *value] { surface_.ShowProgressValue(v); });
  }
}

void QtRunHost::SetStatusCaption(const std::string& caption) {
  FlushProgress();
  Post([this, text = QString::fromStdString(caption)] { surface_.ShowStatusCaption(text); });
}

void QtRunHost::SetStartEnabled(bool enabled) {
  FlushProgress();
  Post([this, enabled] { surface_.ShowStartEnabled(enabled); });
}

void QtRunHost::SetProgressMaximum(float maximum) {
  FlushProgress();
  Post([this, maximum] { surface_.ShowProgressMaximum(maximum); });
}

void QtRunHost::SetProgressValue(float value) {
  if (const std::optional<float> due = throttle_.Offer(value)) {
    Post([this, v = *due] { surface_.ShowProgressValue(v); });
  }
}

void QtRunHost::SetDialogInitialFolder(const std::string& folder) {
  FlushProgress();
  Post([this, text = QString::fromStdString(folder)] { surface_.SetDialogFolder(text); });
}

void QtRunHost::ShowMessage(const std::string& text) {
  FlushProgress();
  {
    std::lock_guard lock(mutex_);
    if (abandoned_) return;
    messageOpen_ = true;
  }
  Post([this, message = QString::fromStdString(text)] {
    surface_.ShowClosingMessage(message);
    std::lock_guard lock(mutex_);
    messageOpen_ = false;
    messageClosed_.notify_all();
  });
  std::unique_lock lock(mutex_);
  messageClosed_.wait(lock, [this] { return !messageOpen_ || abandoned_; });
}

void QtRunHost::ReportEnd(std::optional<QString> failureText) {
  FlushProgress();
  Post([this, failure = std::move(failureText)] { surface_.RunEnded(failure); });
}

void QtRunHost::Abandon() {
  std::lock_guard lock(mutex_);
  abandoned_ = true;
  messageClosed_.notify_all();
}

}  // namespace accprep
