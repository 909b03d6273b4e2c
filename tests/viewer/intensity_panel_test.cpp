// The 震度・指標 tab offscreen: its defaults from the channel names, its results for the
// chosen components after a change, and the table copied as text.
#include "viewer/intensity_panel.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

#include "conversion_fixture.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "intensity_panel_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

void WaitUntilUpToDate(const IntensityPanel& panel) {
  QElapsedTimer timer;
  timer.start();
  while (!panel.IsUpToDate() && timer.elapsed() < 20000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  ASSERT_TRUE(panel.IsUpToDate());
}

bool ShowsText(const QWidget& widget, const QString& text) {
  for (const QLabel* label : widget.findChildren<QLabel*>()) {
    if (label->text() == text) return true;
  }
  return false;
}

TEST(IntensityPanel, ShowsTheChosenStationAndCopiesTheTable) {
  Application();
  testing::TemporaryFolder folder;
  testing::FixtureOptions options;
  options.records = 800;
  const std::string stem = testing::WriteConversionFixture(folder.path(), "p", options);
  const ConversionData data =
      LoadConversion(FindConversionFiles(stem + ".csv"), kAllConversionFiles);
  ChannelNames names;
  names[3] = "S EW";
  names[4] = "S NS";
  names[5] = "S UD";
  IntensityPanel panel(names);
  const QList<QComboBox*> choosers = panel.findChildren<QComboBox*>();
  ASSERT_EQ(choosers.size(), 3);
  EXPECT_EQ(choosers[0]->currentText(), "4ch  S EW");
  EXPECT_EQ(choosers[2]->currentText(), "6ch  S UD");

  panel.SetRecord(data);
  WaitUntilUpToDate(panel);
  choosers[0]->setCurrentIndex(9);  // 10ch, while nothing else runs; then 1ch at once after
  choosers[0]->setCurrentIndex(0);
  WaitUntilUpToDate(panel);
  const ChannelTable& acc = *data.table(ConversionFile::kAcceleration);
  const RecordIntensity expected = ComputeRecordIntensity(acc, stem + "_acc.csv", {1, 5, 6});
  const RecordIntensity passed = ComputeRecordIntensity(acc, stem + "_acc.csv", {10, 5, 6});
  ASSERT_NE(QString::number(passed.jma.computed, 'f', 2),
            QString::number(expected.jma.computed, 'f', 2));
  EXPECT_TRUE(ShowsText(panel, QString::number(expected.jma.reported, 'f', 1)));
  EXPECT_TRUE(ShowsText(panel, QString::number(expected.jma.computed, 'f', 2)));

  const QList<QPushButton*> buttons = panel.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  buttons[0]->click();
  const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 41);
  EXPECT_EQ(lines[0], "channel\tArias\tD5-75\tD5-95\tCAV");
  EXPECT_EQ(lines[40].section('\t', 0, 0), "40");
  EXPECT_EQ(lines[40].count('\t'), 4);
}

}  // namespace
}  // namespace accprep
