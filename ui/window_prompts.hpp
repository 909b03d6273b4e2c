#pragma once
// The modal conversations of the main window: the open-file dialog and the message boxes.
// The window reaches them only through this interface, so tests answer them directly instead
// of waiting for a real dialog to appear.

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace accprep {

// The program's own title: what its message boxes carry, having no title of their own.
inline constexpr char kProgramTitle[] = "accprep";

class WindowPrompts {
 public:
  virtual ~WindowPrompts() = default;

  // Shows `dialog` modally and returns the file name the dialog reports once it has closed:
  // the full path of the chosen file after a confirmation; after a cancel, what it reported
  // before (empty as long as no file has been chosen). Never fails on a cancel.
  virtual QString RunOpenFileDialog(QFileDialog& dialog) = 0;

  // A modal box with `text`, an OK button only, no icon and the program's title; returns
  // when the user has closed it.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;

  // A modal box telling why a run failed: OK button only, a critical icon, the program's
  // title; returns when the user has closed it.
  virtual void ShowFailure(QWidget* parent, const QString& text) = 0;
};

// The real dialog and message boxes.
std::unique_ptr<WindowPrompts> MakeDialogPrompts();

}  // namespace accprep
