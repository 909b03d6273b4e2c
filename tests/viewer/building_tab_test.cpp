// The 建物応答 tab offscreen: what it shows for a record with a layout (the layout's list, the
// peaks and drift angles as the records give them, the largest story drawn over time), for a
// record without one (how to place the channels, the pair the user picks) and for a layout
// that cannot be used (its file and line, and the pair analysed meanwhile).
#include "viewer/building_tab.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>

#include "conversion_fixture.hpp"
#include "engine/conversion_names.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "building_tab_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

void WaitUntilUpToDate(const BuildingTab& tab) {
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  } while (!tab.IsUpToDate() && timer.elapsed() < 20000);
  ASSERT_TRUE(tab.IsUpToDate());
}

// The copied table of the tab's part `part`, a list of cells a row, the header first.
std::vector<QStringList> CopiedTable(BuildingTab& tab, int part) {
  auto* parts = tab.findChild<QTabWidget*>();
  parts->setCurrentIndex(part);
  for (QPushButton* button : parts->currentWidget()->findChildren<QPushButton*>()) {
    if (button->text() == QStringLiteral("表をコピー")) button->click();
  }
  std::vector<QStringList> rows;
  for (const QString& line : QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts)) {
    rows.push_back(line.split('\t'));
  }
  return rows;
}

double PeakMagnitude(std::span<const double> values) {
  double peak = 0.0;
  for (double v : values) peak = std::max(peak, std::abs(v));
  return peak;
}

// X on channels 1..4 at 0, 3, 6.5, 10 m; Y on 5 and 6.
constexpr char kLayout[] =
    "channel,location,direction,height\n1,1F,X,0\n2,2F,X,3\n3,3F,X,6.5\n4,RF,X,10\n"
    "5,1F,Y,0\n6,RF,Y,10\n";

class BuildingTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    testing::FixtureOptions options;
    options.records = 800;
    stem_ = testing::WriteConversionFixture(folder_.path(), "b", options);
    data_ = std::make_shared<ConversionData>(
        LoadConversion(FindConversionFiles(stem_ + ".csv"), kAllConversionFiles));
    names_[0] = "base X";
  }
  void Show(BuildingTab& tab) {
    tab.SetRecord(data_, names_);
    WaitUntilUpToDate(tab);
  }
  const ChannelTable& Table(ConversionFile file) const { return *data_->table(file); }

  testing::TemporaryFolder folder_;
  std::string stem_;
  std::shared_ptr<ConversionData> data_;
  ChannelNames names_;
};

TEST_F(BuildingTabTest, ALayoutIsListedAndItsPeaksAndDriftsAreThoseOfTheRecords) {
  testing::WriteWholeFile(LayoutFilePath(stem_), kLayout);
  BuildingTab tab;
  Show(tab);
  EXPECT_TRUE(tab.LayoutNotice().startsWith(QStringLiteral("配置: ") +
                                            QString::fromStdString(LayoutFilePath(stem_))))
      << tab.LayoutNotice().toStdString();
  EXPECT_EQ(tab.Pair(), (ChannelPair{1, 4}));  // X, base to top
  EXPECT_TRUE(tab.HasPicture());

  const auto layout = CopiedTable(tab, 0);
  EXPECT_FALSE(tab.HasPicture());  // a list has no picture
  ASSERT_EQ(layout.size(), 7u);
  EXPECT_EQ(layout[0].join('|'), "位置|方向|チャンネル|名前|高さ (m)");
  EXPECT_EQ(layout[1].join('|'), "1F|X|1|base X|0.00");
  EXPECT_EQ(layout[6].join('|'), "RF|Y|6||10.00");

  // Each level's peaks and amplification, against the records read by brute force.
  const auto profile = CopiedTable(tab, 1);
  ASSERT_EQ(profile.size(), 7u);
  EXPECT_EQ(profile[0].join('|'),
            "方向|位置|高さ (m)|チャンネル|最大加速度 (gal)|最大速度 (cm/s)|最大変位 (cm)|"
            "増幅率 (倍)");
  const double base = PeakMagnitude(Table(ConversionFile::kAcceleration).column(1));
  for (std::size_t row = 1; row < profile.size(); ++row) {
    const int channel = profile[row][3].toInt();
    const double peaks[] = {PeakMagnitude(Table(ConversionFile::kAcceleration).column(channel)),
                            PeakMagnitude(Table(ConversionFile::kVelocity).column(channel)),
                            PeakMagnitude(Table(ConversionFile::kDisplacement).column(channel))};
    for (int q = 0; q < 3; ++q) {
      // Within half the last decimal the column shows.
      const QString cell = profile[row][4 + q];
      const double half = 0.5 * std::pow(10.0, -cell.section('.', 1).size()) + 1e-12;
      EXPECT_NEAR(cell.toDouble(), peaks[q], half) << profile[row].join('|').toStdString();
    }
    if (profile[row][0] == "X") {
      EXPECT_NEAR(profile[row][7].toDouble(), peaks[0] / base, 0.006);
    }
  }

  // Each story's drift angle as 1/N, from the displacements by brute force.
  const auto drift = CopiedTable(tab, 3);
  ASSERT_EQ(drift.size(), 5u);  // three stories in X, one in Y
  const ChannelTable& dis = Table(ConversionFile::kDisplacement);
  for (std::size_t row = 1; row < drift.size(); ++row) {
    const int lower = row <= 3 ? static_cast<int>(row) : 5;
    const double height = drift[row][4].toDouble();
    double peak = 0.0;
    for (std::int64_t i = 0; i < dis.rows(); ++i) {
      peak = std::max(peak, std::abs(dis.column(lower + 1)[i] - dis.column(lower)[i]));
    }
    EXPECT_EQ(drift[row][7], QStringLiteral("1/%1").arg(std::llround(height * 100.0 / peak)))
        << drift[row].join('|').toStdString();
  }
}

TEST_F(BuildingTabTest, TheLargestStoryOfEachDirectionIsDrawnOverTime) {
  testing::WriteWholeFile(LayoutFilePath(stem_), kLayout);
  const BuildingRecords records{&Table(ConversionFile::kAcceleration),
                                &Table(ConversionFile::kVelocity),
                                &Table(ConversionFile::kDisplacement), 0.0};
  const auto overview =
      ComputeBuildingOverview(data_->files, records, kFirstPair, kDefaultTransferSmoothing);
  ASSERT_TRUE(overview->fromFile);
  EXPECT_EQ(overview->failure, "");
  EXPECT_NEAR(overview->timeStep, 0.01, 1e-12);
  ASSERT_EQ(overview->largest.size(), 2u);
  for (const LargestStoryDrift& largest : overview->largest) {
    const StoryDriftEntry& chosen = overview->drifts[largest.entry];
    for (const StoryDriftEntry& entry : overview->drifts) {
      if (entry.direction == chosen.direction) EXPECT_LE(entry.drift.angle, chosen.drift.angle);
    }
    const ChannelTable& dis = Table(ConversionFile::kDisplacement);
    ASSERT_EQ(largest.history.size(), static_cast<std::size_t>(dis.rows()));
    const std::size_t at = static_cast<std::size_t>(chosen.drift.peak.index);
    EXPECT_EQ(largest.history[at], chosen.drift.peak.value);
  }
}

TEST_F(BuildingTabTest, WithoutALayoutTheTabSaysHowToPlaceTheChannelsAndAnalysesThePair) {
  BuildingTab tab;
  Show(tab);
  const QString notice = tab.LayoutNotice();
  EXPECT_TRUE(notice.startsWith(QStringLiteral("配置ファイルがありません。")))
      << notice.toStdString();
  EXPECT_TRUE(notice.contains("b_layout.csv")) << notice.toStdString();
  EXPECT_EQ(tab.Pair(), kFirstPair);

  tab.ChoosePair({3, 5});
  WaitUntilUpToDate(tab);
  const auto layout = CopiedTable(tab, 0);
  ASSERT_EQ(layout.size(), 3u);
  EXPECT_EQ(layout[1].join('|'), "3ch|3,5|3||");  // heights are not known
  EXPECT_EQ(layout[2].join('|'), "5ch|3,5|5||");
  // One story without a height: its drift, but no angle.
  const auto drift = CopiedTable(tab, 3);
  ASSERT_EQ(drift.size(), 2u);
  EXPECT_FALSE(drift[1][5].isEmpty());
  EXPECT_TRUE(drift[1][6].isEmpty());
  EXPECT_TRUE(drift[1][7].isEmpty());
}

TEST_F(BuildingTabTest, ALayoutThatCannotBeUsedIsNamedWithItsLineAndThePairIsAnalysed) {
  testing::WriteWholeFile(LayoutFilePath(stem_),
                          "channel,location,direction,height\n1,1F,X,0\n2,2F,Q,3\n");
  BuildingTab tab;
  Show(tab);
  const QString notice = tab.LayoutNotice();
  EXPECT_TRUE(notice.startsWith(QStringLiteral("配置ファイルを使えません: ") +
                                QString::fromStdString(LayoutFilePath(stem_)) + ": line 3"))
      << notice.toStdString();
  const auto layout = CopiedTable(tab, 0);
  ASSERT_EQ(layout.size(), 3u);
  EXPECT_EQ(layout[1][2], "1");
  EXPECT_EQ(layout[2][2], "2");
}

}  // namespace
}  // namespace accprep
