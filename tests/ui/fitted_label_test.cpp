#include "ui/fitted_label.hpp"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QStringList>
#include <QWidget>
#include <cmath>

namespace accprep {
namespace {

const QString kLongPath = QStringLiteral(
    "/home/engineer/records/2018/aomori-offshore/stations/AOM001-AOM009/"
    "site1-with-a-long-name.csv");

QFont TestFont() {
  QFont font;
  font.setPointSizeF(9);
  return font;
}

TEST(FitText, WrapsAPathOverTheLinesTheAreaHoldsAndKeepsItsEnd) {
  const QFont font = TestFont();
  const QFontMetricsF metrics(font);
  const QSize area(257, static_cast<int>(std::ceil(metrics.lineSpacing() * 2)));

  const FittedText fitted = FitText(kLongPath, font, area);
  EXPECT_FALSE(fitted.whole);
  const QStringList lines = fitted.shown.split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), area.width());
  EXPECT_TRUE(kLongPath.startsWith(lines[0])) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith(QChar(0x2026))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(".csv")));
}

TEST(FitText, ShowsAWholeTextThatFitsOnItsLines) {
  const QFont font = TestFont();
  const QFontMetricsF metrics(font);
  const QString path = QStringLiteral("/data/records/site1.csv");
  const QSize wide(static_cast<int>(metrics.horizontalAdvance(path)) + 4, 40);
  EXPECT_EQ(FitText(path, font, wide).shown, path);
  EXPECT_TRUE(FitText(path, font, wide).whole);

  // Half as wide and two lines high: broken inside the word, nothing lost.
  const QSize narrow(wide.width() / 2 + 8, static_cast<int>(std::ceil(metrics.lineSpacing() * 2)));
  const FittedText broken = FitText(path, font, narrow);
  EXPECT_TRUE(broken.whole);
  EXPECT_EQ(broken.shown.split(QLatin1Char('\n')).join(QString()), path);

  EXPECT_TRUE(FitText(QString(), font, wide).whole);
}

TEST(FitText, OneLineAreaKeepsStartAndEnd) {
  const QFont font = TestFont();
  const FittedText fitted = FitText(kLongPath, font, QSize(150, 5));
  EXPECT_FALSE(fitted.whole);
  EXPECT_FALSE(fitted.shown.contains(QLatin1Char('\n')));
  EXPECT_TRUE(fitted.shown.startsWith(QStringLiteral("/")));
  EXPECT_TRUE(fitted.shown.endsWith(QStringLiteral(".csv")));
  EXPECT_TRUE(fitted.shown.contains(QChar(0x2026)));
}

TEST(FittedLabel, OffersTheWholeTextAsTooltipOnlyWhenCut) {
  QWidget parent;
  parent.setFont(TestFont());
  FittedLabel label(&parent);
  label.setGeometry(8, 16, 257, 33);

  label.SetFullText(kLongPath);
  EXPECT_TRUE(label.IsCut());
  EXPECT_EQ(label.toolTip(), kLongPath);
  EXPECT_EQ(label.FullText(), kLongPath);
  EXPECT_NE(label.text(), kLongPath);

  label.SetFullText(QStringLiteral("/data/a.csv"));
  EXPECT_FALSE(label.IsCut());
  EXPECT_TRUE(label.toolTip().isEmpty());
  EXPECT_EQ(label.text(), QStringLiteral("/data/a.csv"));
}

TEST(FittedLabel, ShrinksItsFontWithinTheAllowedShareBeforeCutting) {
  QWidget parent;
  parent.setFont(TestFont());
  const QString caption = QStringLiteral("公開データを作成");
  const double needed = QFontMetricsF(parent.font()).horizontalAdvance(caption);

  FittedLabel shrinking(&parent);
  shrinking.SetMinimumFontScale(0.8);
  shrinking.setGeometry(0, 0, static_cast<int>(needed * 0.9), 15);
  shrinking.SetFullText(caption);
  EXPECT_FALSE(shrinking.IsCut());
  EXPECT_EQ(shrinking.text(), caption);
  EXPECT_LT(shrinking.font().pointSizeF(), parent.font().pointSizeF());
  EXPECT_GE(shrinking.font().pointSizeF(), parent.font().pointSizeF() * 0.8);

  // A short caption afterwards goes back to the inherited font.
  shrinking.SetFullText(QStringLiteral("終了"));
  EXPECT_EQ(shrinking.font().pointSizeF(), parent.font().pointSizeF());

  FittedLabel fixed(&parent);
  fixed.setGeometry(0, 0, static_cast<int>(needed * 0.9), 15);
  fixed.SetFullText(caption);
  EXPECT_TRUE(fixed.IsCut());
  EXPECT_EQ(fixed.toolTip(), caption);
}

}  // namespace
}  // namespace accprep
