// The window without a run: its state at start, its layout, the keyboard and the arming of
// Start.
#include "ui/main_window.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "ui/fitted_label.hpp"
#include "ui/form1_layout.hpp"
#include "window_fixture.hpp"

namespace accprep {
namespace {

using testing::MakeTestWindow;

TEST(Form1, StartsWaitingWithStartDisabledAndFocusOnTheSelectButton) {
  auto [window, prompts] = MakeTestWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  EXPECT_EQ(window->windowTitle(), QStringLiteral("待機中"));
  EXPECT_EQ(window->Label2->FullText(), QStringLiteral("待機中"));
  EXPECT_EQ(window->Label2->text(), QStringLiteral("待機中"));
  EXPECT_TRUE(window->Label1->text().isEmpty());
  EXPECT_TRUE(window->SelectedInputPath().isEmpty());
  EXPECT_TRUE(window->Text1->text().isEmpty());
  EXPECT_TRUE(window->Text2->text().isEmpty());
  EXPECT_EQ(window->ProgressBar1->minimum(), 0);
  EXPECT_EQ(window->ProgressBar1->maximum(), 100);
  EXPECT_EQ(window->ProgressBar1->value(), 0);
  EXPECT_FALSE(window->ProgressBar1->isTextVisible());
  EXPECT_EQ(window->ProgressBar1->orientation(), Qt::Horizontal);

  EXPECT_FALSE(window->Command2->isEnabled());
  EXPECT_TRUE(window->Command1->isEnabled());
  EXPECT_TRUE(window->Command3->isEnabled());
  EXPECT_TRUE(window->Text1->isEnabled());
  EXPECT_TRUE(window->Text2->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), window->Command1);

  EXPECT_EQ(window->Frame1->title(), QStringLiteral("保存ファイル名(csvはいりません)"));
  EXPECT_EQ(window->Frame2->title(), QStringLiteral("入力ファイル名"));
  EXPECT_EQ(window->Frame3->title(), QStringLiteral("現在の状況"));
  EXPECT_EQ(window->Frame4->title(), QStringLiteral("コメント"));
  // A caption may stand on two lines of its button; its words are unchanged.
  EXPECT_EQ(window->Command1->text().remove(QLatin1Char('\n')), QStringLiteral("ファイルを選択"));
  EXPECT_EQ(window->Command1->accessibleName(), QStringLiteral("ファイルを選択"));
  EXPECT_EQ(window->Command2->text(), QStringLiteral("はじめ"));
  EXPECT_EQ(window->Command3->text(), QStringLiteral("終了"));
  EXPECT_EQ(prompts->dialogShows, 0);
}

struct Place {
  const char* name;
  const char* parent;
  QRect pixels;
};

// The layout at 96 dpi, in pixels as the window's design lists them.
const Place kPlaces[] = {
    {"Frame2", "Form1", {48, 8, 281, 57}},         {"Label1", "Frame2", {8, 16, 257, 33}},
    {"Frame4", "Form1", {48, 72, 281, 49}},        {"Text2", "Frame4", {24, 16, 233, 25}},
    {"Frame1", "Form1", {40, 136, 289, 49}},       {"Text1", "Frame1", {24, 16, 225, 25}},
    {"ProgressBar1", "Form1", {48, 200, 369, 17}}, {"Frame3", "Form1", {40, 224, 153, 41}},
    {"Label2", "Frame3", {24, 16, 84, 15}},        {"Command1", "Form1", {344, 16, 65, 33}},
    {"Command2", "Form1", {344, 144, 73, 33}},     {"Command3", "Form1", {344, 272, 73, 33}},
};

void ExpectLayoutAt96Dpi(const Form1& window) {
  EXPECT_EQ(window.size(), QSize(631, 329));
  for (const Place& place : kPlaces) {
    const auto* control = window.findChild<QWidget*>(QString::fromLatin1(place.name));
    ASSERT_NE(control, nullptr) << place.name;
    EXPECT_EQ(control->parentWidget()->objectName(), QString::fromLatin1(place.parent))
        << place.name;
    EXPECT_EQ(control->geometry(), place.pixels) << place.name;
  }
}

TEST(Form1, ControlsSitWhereTheLayoutPutsThemAndStayThereOnResize) {
  auto [window, prompts] = MakeTestWindow();
  if (window->screen()->logicalDotsPerInch() != 96) {
    GTEST_SKIP() << "screen is not at 96 dpi";
  }
  ExpectLayoutAt96Dpi(*window);
  EXPECT_NE(window->findChild<QFileDialog*>(QStringLiteral("CommonDialog1")), nullptr);
  EXPECT_EQ(window->CommonDialog1->parentWidget(), window.get());
  EXPECT_FALSE(window->CommonDialog1->isVisible());

  window->show();
  window->resize(900, 600);
  window->resize(300, 200);
  for (const Place& place : kPlaces) {
    EXPECT_EQ(window->findChild<QWidget*>(QString::fromLatin1(place.name))->geometry(),
              place.pixels)
        << place.name;
  }
}

TEST(Form1Layout, FollowsTheScreensLogicalDpiEdgeByEdge) {
  EXPECT_EQ(Form1ClientSize(1.5), QSize(947, 494));
  EXPECT_EQ(TwipsToPixels(kFrame2Place, 1.5), QRect(72, 12, 422, 86));
  // At 125 % a 5535-twip bar ends where the buttons end, as it does at 96 dpi.
  const QRect bar = TwipsToPixels(kProgressBar1Place, 1.25);
  const QRect start = TwipsToPixels(kCommand2Place, 1.25);
  EXPECT_EQ(bar.x() + bar.width(), start.x() + start.width());
}

TEST(Form1, TabMovesThroughButtonsAndTextBoxesOnly) {
  auto [window, prompts] = MakeTestWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  auto tabFrom = [](QWidget* from) {
    QTest::keyClick(from, Qt::Key_Tab);
    return QApplication::focusWidget();
  };
  // Start disabled: Tab passes over it.
  ASSERT_EQ(QApplication::focusWidget(), window->Command1);
  EXPECT_EQ(tabFrom(window->Command1), window->Command3);
  EXPECT_EQ(tabFrom(window->Command3), window->Text1);
  EXPECT_EQ(tabFrom(window->Text1), window->Text2);
  EXPECT_EQ(tabFrom(window->Text2), window->Command1);

  QTest::keyClicks(window->Text2, QStringLiteral("x"));  // Text2 does not arm Start
  window->Command2->setEnabled(true);
  window->Command1->setFocus();
  EXPECT_EQ(tabFrom(window->Command1), window->Command2);
  EXPECT_EQ(tabFrom(window->Command2), window->Command3);
}

TEST(Form1, EnterAndEscapePressNoButton) {
  int runs = 0;
  auto [window, prompts] = MakeTestWindow({}, [&runs](const RunInputs&, RunObserver&) { ++runs; });
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClicks(window->Text1, QStringLiteral("b1"));
  ASSERT_TRUE(window->Command2->isEnabled());

  QTest::keyClick(window->Text1, Qt::Key_Return);
  QTest::keyClick(window->Text2, Qt::Key_Enter);
  QTest::keyClick(window->Text1, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(window->IsRunning());
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->Command1->isDefault() || window->Command2->isDefault() ||
               window->Command3->isDefault());
}

TEST(Form1Arming, CancelledFirstSelectionArmsStartWithAnEmptyPath) {
  auto [window, prompts] = MakeTestWindow();
  prompts->dialogReports = {QString()};
  QTest::mouseClick(window->Command1, Qt::LeftButton);
  EXPECT_EQ(prompts->dialogShows, 1);
  EXPECT_TRUE(window->SelectedInputPath().isEmpty());
  EXPECT_TRUE(window->Label1->text().isEmpty());
  EXPECT_TRUE(window->Command2->isEnabled());
}

TEST(Form1Arming, EachSelectionReplacesThePathAndTheLabel) {
  auto [window, prompts] = MakeTestWindow();
  prompts->dialogReports = {QStringLiteral("/data/site1.csv"), QStringLiteral("/data/site2.csv"),
                            QStringLiteral("/data/site2.csv")};
  window->Command1->click();
  EXPECT_EQ(window->SelectedInputPath(), QStringLiteral("/data/site1.csv"));
  EXPECT_EQ(window->Label1->text(), QStringLiteral("/data/site1.csv"));
  window->Command1->click();
  EXPECT_EQ(window->SelectedInputPath(), QStringLiteral("/data/site2.csv"));
  EXPECT_EQ(window->Label1->text(), QStringLiteral("/data/site2.csv"));

  // A cancel takes whatever the dialog reports (here the last chosen name) and arms Start.
  window->Command2->setEnabled(false);
  window->Command1->click();
  EXPECT_EQ(window->SelectedInputPath(), QStringLiteral("/data/site2.csv"));
  EXPECT_TRUE(window->Command2->isEnabled());
}

TEST(Form1Arming, AnyEditOfTheOutputNameArmsStartAndTheCommentNever) {
  auto [window, prompts] = MakeTestWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  QTest::keyClicks(window->Text2, QStringLiteral("site 1, 2018-01-24"));
  EXPECT_FALSE(window->Command2->isEnabled());

  QTest::keyClicks(window->Text1, QStringLiteral("b"));
  EXPECT_TRUE(window->Command2->isEnabled());
  QTest::keyClick(window->Text1, Qt::Key_Backspace);
  EXPECT_TRUE(window->Text1->text().isEmpty());
  EXPECT_TRUE(window->Command2->isEnabled());  // the text is not examined
  EXPECT_EQ(prompts->dialogShows, 0);
}

TEST(Form1, ExitClosesTheWindow) {
  auto [window, prompts] = MakeTestWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTest::mouseClick(window->Command3, Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

TEST(Form1, ALongPathShowsWhatFitsAndTheWholePathAsTooltip) {
  auto [window, prompts] = MakeTestWindow();
  const QString path = QStringLiteral(
      "/home/engineer/strong-motion/2018-01-24-aomori/AOM001/EW/records/converted/"
      "site1-acceleration-record.csv");
  prompts->dialogReports = {path};
  window->Command1->click();
  EXPECT_EQ(window->SelectedInputPath(), path);  // the run reads the path, not the label
  EXPECT_TRUE(window->Label1->IsCut());
  EXPECT_EQ(window->Label1->toolTip(), path);
  EXPECT_TRUE(window->Label1->text().endsWith(QStringLiteral(".csv")));
}

}  // namespace
}  // namespace accprep
