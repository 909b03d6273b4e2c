#include "ui/window_prompts.hpp"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace accprep {

namespace {

class DialogPrompts final : public WindowPrompts {
 public:
  QString RunOpenFileDialog(QFileDialog& dialog) override {
    if (dialog.exec() == QDialog::Accepted) {
      const QStringList chosen = dialog.selectedFiles();
      if (!chosen.isEmpty()) reported_ = chosen.constFirst();
    }
    // A cancel keeps the last chosen name, as the dialog's file name stays what it was.
    return reported_;
  }

  void ShowMessage(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kProgramTitle), text,
                    QMessageBox::Ok, parent);
    box.exec();
  }

  void ShowFailure(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kProgramTitle), text,
                    QMessageBox::Ok, parent);
    box.exec();
  }

 private:
  QString reported_;
};

}  // namespace

std::unique_ptr<WindowPrompts> MakeDialogPrompts() { return std::make_unique<DialogPrompts>(); }

}  // namespace accprep
