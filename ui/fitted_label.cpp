#include "ui/fitted_label.hpp"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <vector>

namespace accprep {

namespace {

struct LaidLine {
  int start;
  int length;
};

std::vector<LaidLine> BreakIntoLines(const QString& text, const QFont& font, qreal width,
                                     QTextOption::WrapMode mode) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(mode);
  layout.setTextOption(option);
  std::vector<LaidLine> lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines.push_back({line.textStart(), line.textLength()});
  }
  layout.endLayout();
  return lines;
}

// The fonts to try, largest first: the inherited one, then smaller steps down to the floor.
std::vector<QFont> CandidateFonts(const QFont& base, double minimumScale) {
  std::vector<QFont> fonts{base};
  if (minimumScale >= 1.0) return fonts;
  if (base.pointSizeF() > 0) {
    const double floor = base.pointSizeF() * minimumScale;
    for (double size = base.pointSizeF() - 0.5; size >= floor - 1e-9; size -= 0.5) {
      QFont smaller = base;
      smaller.setPointSizeF(size);
      fonts.push_back(smaller);
    }
  } else if (base.pixelSize() > 0) {
    const double floor = base.pixelSize() * minimumScale;
    for (int size = base.pixelSize() - 1; size >= std::ceil(floor - 1e-9) && size > 0; --size) {
      QFont smaller = base;
      smaller.setPixelSize(size);
      fonts.push_back(smaller);
    }
  }
  return fonts;
}

}  // namespace

FittedText FitText(const QString& text, const QFont& font, QSize area) {
  if (text.isEmpty()) return {QString(), true};
  const QFontMetricsF metrics(font);
  const qreal width = std::max(1, area.width());
  const int maxLines =
      std::max(1, static_cast<int>(std::floor(area.height() / metrics.lineSpacing())));

  // Breaks at word boundaries read best; when they take too many lines, any break will do.
  std::vector<LaidLine> lines =
      BreakIntoLines(text, font, width, QTextOption::WrapAtWordBoundaryOrAnywhere);
  if (static_cast<int>(lines.size()) > maxLines) {
    lines = BreakIntoLines(text, font, width, QTextOption::WrapAnywhere);
  }
  QStringList shown;
  if (static_cast<int>(lines.size()) <= maxLines) {
    bool fits = true;
    for (const LaidLine& line : lines) {
      const QString piece = text.mid(line.start, line.length);
      // A single glyph wider than the area cannot be broken further.
      if (metrics.horizontalAdvance(piece.trimmed()) > width) fits = false;
      shown << piece;
    }
    if (fits) return {shown.join(QLatin1Char('\n')), true};
  }

  shown.clear();
  if (maxLines == 1 || lines.size() < 2) {
    return {metrics.elidedText(text, Qt::ElideMiddle, width), false};
  }
  const int lastLine = std::min(maxLines, static_cast<int>(lines.size())) - 1;
  for (int i = 0; i < lastLine; ++i) shown << text.mid(lines[i].start, lines[i].length);
  shown << metrics.elidedText(text.mid(lines[lastLine].start), Qt::ElideLeft, width);
  return {shown.join(QLatin1Char('\n')), false};
}

FittedLabel::FittedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);  // the lines come from FitText
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void FittedLabel::SetMinimumFontScale(double scale) {
  minimumFontScale_ = std::clamp(scale, 0.1, 1.0);
  Refit();
}

void FittedLabel::SetFullText(const QString& text) {
  fullText_ = text;
  Refit();
  emit fullTextChanged(fullText_);
}

void FittedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Refit();
}

void FittedLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Refit();
}

void FittedLabel::Refit() {
  if (refitting_) return;
  refitting_ = true;
  const QFont inherited = parentWidget() ? parentWidget()->font() : QApplication::font(this);
  const QSize area = contentsRect().size();

  FittedText fitted{};
  QFont chosen = inherited;
  bool found = false;
  for (const QFont& candidate : CandidateFonts(inherited, minimumFontScale_)) {
    fitted = FitText(fullText_, candidate, area);
    if (fitted.whole) {
      chosen = candidate;
      found = true;
      break;
    }
  }
  // Past the smallest font allowed, cut the text at the inherited size: a cut text in a tiny
  // font helps nobody.
  if (!found) fitted = FitText(fullText_, inherited, area);

  if (chosen == inherited) {
    setFont(QFont());  // inherit again
  } else {
    setFont(chosen);
  }
  cut_ = !fitted.whole;
  setText(fitted.shown);
  setToolTip(cut_ ? fullText_ : QString());
  refitting_ = false;
}

}  // namespace accprep
