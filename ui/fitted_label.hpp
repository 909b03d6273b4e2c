#pragma once
// A label of fixed size, as every label of the main window is: it never grows to its text.
// A text that does not fit is wrapped across the lines the label's height holds, breaking
// anywhere if it must (a path has no spaces to break at). If it still does not fit, the label
// may shrink its font down to a set share of the inherited one, and past that it shows what
// fits with an ellipsis and offers the whole text as its tooltip.

#include <QFont>
#include <QLabel>
#include <QSize>
#include <QString>

namespace accprep {

struct FittedText {
  QString shown;  // the lines to show, joined by '\n'
  bool whole;     // false when part of the text was cut for the ellipsis
};

// Lays `text` out in `area` with `font`: as many lines as the area's height holds (at least
// one). When cut, a one-line area keeps the start and the end of the text ("…" in the middle);
// a taller one keeps the first lines whole and the end of the text on the last line, so the
// file name at the end of a long path stays readable.
FittedText FitText(const QString& text, const QFont& font, QSize area);

class FittedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit FittedLabel(QWidget* parent = nullptr);

  // scale in (0, 1]: the smallest font size the label may use, as a share of the inherited
  // size. 1 (the default) never shrinks the font.
  void SetMinimumFontScale(double scale);

  // The text the label stands for. text() holds what is shown, which may be less.
  void SetFullText(const QString& text);
  const QString& FullText() const { return fullText_; }
  // True when what is shown is less than the whole text (the tooltip then holds it).
  bool IsCut() const { return cut_; }

 signals:
  void fullTextChanged(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Refit();

  QString fullText_;
  double minimumFontScale_ = 1.0;
  bool cut_ = false;
  bool refitting_ = false;
};

}  // namespace accprep
