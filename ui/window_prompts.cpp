#include "ui/window_prompts.hpp"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace accprep {

namespace {

// Enter in the dialog's file-name box while its completion list is open accepts the dialog
// but leaves the list up: Qt hides the dialog from inside the list's key handling and does not
// close the list. That list is a popup, so it would take the window's next click (which only
// closes it) and any keys typed before that click. It closes with its dialog.
void CloseCompletionLists(const QFileDialog& dialog) {
  for (const QCompleter* completer : dialog.findChildren<QCompleter*>()) {
    QAbstractItemView* list = completer->popup();
    if (list != nullptr && list->isVisible()) list->hide();
  }
}

class DialogPrompts final : public WindowPrompts {
 public:
  QString RunOpenFileDialog(QFileDialog& dialog) override {
    const int answer = dialog.exec();
    CloseCompletionLists(dialog);
    if (answer == QDialog::Accepted) {
      const QStringList chosen = dialog.selectedFiles();
      if (!chosen.isEmpty()) reported_ = chosen.constFirst();
    }
    // A cancel keeps the last chosen name, as the dialog's file name stays what it was.
    return reported_;
  }

  void ShowMessage(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kProgramTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
  }

  void ShowFailure(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kProgramTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
  }

 private:
  QString reported_;
};

}  // namespace

std::unique_ptr<WindowPrompts> MakeDialogPrompts() { return std::make_unique<DialogPrompts>(); }

}  // namespace accprep
