// The program: the main window and the event loop. It ends when the window closes, or when a
// signal (a desktop logout's SIGTERM) ends it: a run under way then stops its job and removes
// what it had not finished, as an interrupted accprep-cli does.
#include <QApplication>
#include <QMetaObject>

#include "engine/interruption.hpp"
#include "ui/japanese_translations.hpp"
#include "ui/main_window.hpp"
#include "ui/window_prompts.hpp"

int main(int argc, char* argv[]) {
  // First, before Qt starts any thread of its own.
  accprep::HandleInterruptionSignals([](int signal) {
    QMetaObject::invokeMethod(
        qApp, [signal] { QCoreApplication::exit(128 + signal); }, Qt::QueuedConnection);
  });
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(accprep::kProgramTitle));
  accprep::LoadJapaneseTranslations(application);
  // The window's end waits for a run that is unwinding after the signal.
  accprep::Form1 window;
  window.show();
  return QApplication::exec();
}
