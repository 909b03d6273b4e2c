// The program: the main window and the event loop. It ends when the window closes.
#include <QApplication>

#include "ui/main_window.hpp"
#include "ui/window_prompts.hpp"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(accprep::kProgramTitle));
  accprep::Form1 window;
  window.show();
  return QApplication::exec();
}
