#pragma once
// A tab's content with the state it is in: the content once it is ready; "計算中" (or
// "読み込み中") with a progress bar while it is being made; or a notice in its place (no
// record open, a file that cannot be read). A tab never shows empty axes that look like a
// result.

#include <QStackedWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QTimer;

namespace accprep {

class WorkPage : public QStackedWidget {
  Q_OBJECT

 public:
  // `content` becomes the page's child; the page starts with an empty notice.
  explicit WorkPage(QWidget* content, QWidget* parent = nullptr);

  // The caption and a bar that follows `progress` (0..1, read every 50 ms); without one the
  // bar only shows that work goes on.
  void ShowWorking(const QString& caption = QStringLiteral("計算中"),
                   std::function<double()> progress = {});
  void ShowNotice(const QString& notice);
  void ShowContent();

  bool IsWorking() const;
  bool ShowsContent() const;
  QString Caption() const;  // what the working or notice page says

 private:
  QWidget* content_;
  QWidget* working_;
  QLabel* caption_;
  QProgressBar* bar_;
  QLabel* notice_;
  QTimer* timer_;
  std::function<double()> progress_;
};

}  // namespace accprep
