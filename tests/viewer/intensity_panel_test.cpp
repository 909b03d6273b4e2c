// The 震度・指標 tab offscreen: the station chooser and its warning, the results for the chosen
// components after a change, the table copied with units and names, and a record the measures
// cannot take.
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
#include "viewer/conversion_data.hpp"
#include "viewer/station_chooser.hpp"

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
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  } while (!panel.IsUpToDate() && timer.elapsed() < 20000);
  ASSERT_TRUE(panel.IsUpToDate());
}

bool ShowsText(const QWidget& widget, const QString& text) {
  for (const QLabel* label : widget.findChildren<QLabel*>()) {
    if (label->text() == text) return true;
  }
  return false;
}

std::shared_ptr<const ChannelTable> Acceleration(const ConversionData& data) {
  return std::make_shared<const ChannelTable>(LoadChannelTable(
      data.files.path(ConversionFile::kAcceleration), HeaderForm::kOptionalComment));
}

class IntensityPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    testing::FixtureOptions options;
    options.records = 800;
    stem_ = testing::WriteConversionFixture(folder_.path(), "p", options);
    data_ = LoadConversion(FindConversionFiles(stem_ + ".csv"), kAllConversionFiles);
    names_[3] = "S EW";
    names_[4] = "S NS";
    names_[5] = "S UD";
    names_[6] = "T EW";
  }
  testing::TemporaryFolder folder_;
  std::string stem_;
  ConversionData data_;
  ChannelNames names_;
};

TEST_F(IntensityPanelTest, ShowsTheChosenStationAndCopiesTheTableWithUnitsAndNames) {
  IntensityPanel panel;
  panel.SetRecord(Acceleration(data_), stem_ + "_acc.csv", names_);
  StationChooser& chooser = *panel.chooser();
  EXPECT_EQ(chooser.Components(), (IntensityComponents{4, 5, 6}));
  EXPECT_EQ(chooser.StationName().toStdString(), "S");
  EXPECT_FALSE(chooser.WarningShown());
  WaitUntilUpToDate(panel);

  // An unnamed channel gives nothing to go by; another station's channel with S's gives a
  // warning. The newest choice is what is shown.
  chooser.SetComponents({10, 5, 6});
  EXPECT_FALSE(chooser.WarningShown());
  EXPECT_TRUE(chooser.StationName().isEmpty());
  chooser.SetComponents({7, 5, 6});
  EXPECT_TRUE(chooser.WarningShown());
  WaitUntilUpToDate(panel);
  const ChannelTable& acc = *data_.table(ConversionFile::kAcceleration);
  const RecordIntensity expected = ComputeRecordIntensity(acc, stem_ + "_acc.csv", {7, 5, 6});
  const RecordIntensity passed = ComputeRecordIntensity(acc, stem_ + "_acc.csv", {10, 5, 6});
  ASSERT_NE(QString::number(passed.jma.computed, 'f', 2),
            QString::number(expected.jma.computed, 'f', 2));
  EXPECT_TRUE(ShowsText(panel, QString::number(expected.jma.computed, 'f', 2)));
  EXPECT_TRUE(ShowsText(panel, QString::number(expected.jma.reported, 'f', 1)));

  const QList<QPushButton*> buttons = panel.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  buttons[0]->click();
  const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 41);
  EXPECT_EQ(lines[0], "channel\tname\tIa (m/s)\tD5-75 (s)\tD5-95 (s)\tCAV (cm/s)");
  EXPECT_EQ(lines[4].section('\t', 0, 1), "4\tS EW");
  EXPECT_EQ(lines[40].section('\t', 0, 1), "40\t");
  // One number form a column: every CAV shows the same decimals.
  const int decimals = lines[1].section('\t', 5, 5).section('.', 1).size();
  for (int row = 1; row <= 40; ++row) {
    EXPECT_EQ(lines[row].section('\t', 5, 5).section('.', 1).size(), decimals)
        << lines[row].toStdString();
  }
}

TEST_F(IntensityPanelTest, ARecordTheMeasuresCannotTakeIsSaidInThePanel) {
  // A record of one sample: the intensity needs 0.3 s, the measures an even step.
  testing::FixtureOptions options;
  options.records = 1;
  const std::string stem = testing::WriteConversionFixture(folder_.path(), "one", options);
  const ConversionData one =
      LoadConversion(FindConversionFiles(stem + ".csv"), kAllConversionFiles);
  IntensityPanel panel;
  panel.SetRecord(Acceleration(one), stem + "_acc.csv", {});
  WaitUntilUpToDate(panel);
  bool said = false;
  for (const QLabel* label : panel.findChildren<QLabel*>()) {
    said = said || label->text().startsWith(QStringLiteral("計算できません: "));
  }
  EXPECT_TRUE(said);
  EXPECT_EQ(panel.chooser()->Components(), (IntensityComponents{1, 2, 3}));
}

}  // namespace
}  // namespace accprep
