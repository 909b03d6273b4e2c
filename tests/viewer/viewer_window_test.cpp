// The viewer's window and its newest-request runner offscreen: what each tab says while it
// works, a file of no conversion refused in the window, the peaks table as copied, and only
// the newest of several requests shown.
#include "viewer/viewer_window.hpp"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <atomic>
#include <thread>

#include "conversion_fixture.hpp"
#include "test_kit.hpp"
#include "viewer/newest_request.hpp"
#include "viewer/rotd_panel.hpp"
#include "viewer/smoothing_chooser.hpp"
#include "viewer/spectra_panel.hpp"
#include "viewer/station_chooser.hpp"
#include "viewer/work_page.hpp"

namespace accprep {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "viewer_window_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

template <typename Done>
bool WaitFor(Done&& done, int milliseconds = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

TEST(NewestRequest, OnlyTheNewestOfSeveralRequestsIsShown) {
  Application();
  QObject owner;
  std::vector<int> shown;
  NewestRequest<int> request(&owner, [&shown](int value) { shown.push_back(value); });
  std::atomic<bool> release{false};
  std::atomic<bool> sawStale{false};
  request.Run([&](const StaleFlag& stale) {
    while (!release.load()) std::this_thread::yield();
    sawStale = stale.load();
    return 1;
  });
  for (int value : {2, 3, 4}) {
    request.Run([value](const StaleFlag&) { return value; });
  }
  EXPECT_FALSE(request.IsIdle());
  release = true;
  ASSERT_TRUE(WaitFor([&] { return request.IsIdle(); }));
  EXPECT_EQ(shown, std::vector<int>{4});  // 1 was stale, 2 and 3 were replaced unrun
  EXPECT_TRUE(sawStale);

  // A cancelled request shows nothing; the next one shows again.
  request.Run([](const StaleFlag&) { return 5; });
  request.Cancel();
  ASSERT_TRUE(WaitFor([&] { return !request.IsRunning(); }));
  QApplication::processEvents();
  EXPECT_EQ(shown, std::vector<int>{4});
  request.Run([](const StaleFlag&) { return 6; });
  ASSERT_TRUE(WaitFor([&] { return request.IsIdle(); }));
  EXPECT_EQ(shown, (std::vector<int>{4, 6}));
}

class ViewerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    // The window remembers its settings: here, in the test's own folder.
    qputenv("XDG_CONFIG_HOME", folder_.File("config").c_str());
    testing::FixtureOptions options;
    options.records = 600;
    stem_ = testing::WriteConversionFixture(folder_.path(), "w", options);
    testing::WriteWholeFile(stem_ + ".csv", "record\r\ntime,A EW,A NS,A UD\r\n");
  }
  testing::TemporaryFolder folder_;
  std::string stem_;
};

TEST_F(ViewerWindowTest, EveryTabSaysItWorksUntilItsContentIsReady) {
  ViewerWindow window(2, 0.05);
  const QList<WorkPage*> pages = window.findChildren<WorkPage*>();
  // Four tabs, RotD beside the response spectra, the intensity tab's results and table, the
  // building tab's whole, transfer function and tracking.
  ASSERT_EQ(pages.size(), 10);
  for (const WorkPage* page : pages) EXPECT_FALSE(page->ShowsContent());  // no record yet

  ASSERT_TRUE(window.Open(QString::fromStdString(stem_ + "_dis.csv")));
  for (const WorkPage* page : pages) {
    EXPECT_TRUE(page->IsWorking()) << page->Caption().toStdString();
    EXPECT_EQ(page->Caption(), QStringLiteral("読み込み中"));
  }
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  for (const WorkPage* page : pages) EXPECT_TRUE(page->ShowsContent());
  EXPECT_EQ(window.ErrorText(), "");
}

TEST_F(ViewerWindowTest, AFileOfNoConversionIsRefusedInTheWindowWithItsName) {
  ViewerWindow window(1, 0.05);
  ASSERT_TRUE(window.Open(QString::fromStdString(stem_ + ".csv")));
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  const std::string stray = folder_.File("stray.txt");
  testing::WriteWholeFile(stray, "x\n");
  EXPECT_FALSE(window.Open(QString::fromStdString(stray)));
  EXPECT_TRUE(
      window.ErrorText().startsWith(QStringLiteral("開けません: ") + QString::fromStdString(stray)))
      << window.ErrorText().toStdString();
  EXPECT_TRUE(window.IsLoaded());  // what was shown stays
  EXPECT_FALSE(window.Open(QString::fromStdString(folder_.File("absent.csv"))));
  EXPECT_EQ(window.ErrorText(), QStringLiteral("開けません: ") +
                                    QString::fromStdString(folder_.File("absent.csv")) +
                                    QStringLiteral("\nファイルがありません。"));
}

TEST_F(ViewerWindowTest, PeaksAreCopiedWithNamesAndUnitsAndATableHasNoPicture) {
  ViewerWindow window(1, 0.05);
  ASSERT_TRUE(window.Open(QString::fromStdString(stem_ + ".csv")));
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  auto* tabs = window.findChild<QTabWidget*>();
  QAction* save = nullptr;
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->shortcut() == QKeySequence::Save) save = action;
  }
  ASSERT_NE(save, nullptr);
  EXPECT_TRUE(save->isEnabled());
  tabs->setCurrentIndex(3);
  EXPECT_FALSE(save->isEnabled());
  for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
    if (button->text() == QStringLiteral("表をコピー")) button->click();
  }
  const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 41);
  EXPECT_EQ(lines[0],
            "channel\tname\tPGA (gal)\ttPGA (s)\tPGV (cm/s)\ttPGV (s)\tPGD (cm)\ttPGD (s)");
  EXPECT_EQ(lines[2].section('\t', 0, 1), "2\tA NS");
  // Times in the step's two decimals, every row.
  for (int row = 1; row <= 40; ++row) {
    EXPECT_EQ(lines[row].section('\t', 3, 3).section('.', 1).size(), 2) << lines[row].toStdString();
  }
}

// The time histories' peak labels give the time in the sampling step's decimals, as the
// peaks table does: 1.50 s at a step of 0.01 s, never 1.5. The channel is one whose
// acceleration peaks at such a time.
TEST_F(ViewerWindowTest, PeakLabelsGiveTimesInTheStepsDecimals) {
  const testing::FixtureOptions options{.records = 600};
  int channel = 0;
  std::int64_t peakSample = 0;
  for (int c = 1; c <= 40 && channel == 0; ++c) {
    std::int64_t at = 0;
    for (std::int64_t i = 1; i < options.records; ++i) {
      if (std::fabs(testing::FixtureAcceleration(c, i, options)) >
          std::fabs(testing::FixtureAcceleration(c, at, options)))
        at = i;
    }
    if (at % 10 == 0) channel = c, peakSample = at;
  }
  ASSERT_NE(channel, 0) << "no channel of the fixture peaks at a time ending in 0";

  ViewerWindow window(channel, 0.05);
  ASSERT_TRUE(window.Open(QString::fromStdString(stem_ + ".csv")));
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  const QString expected =
      QStringLiteral("(%1 s)").arg(static_cast<double>(peakSample) * 0.01, 0, 'f', 2);
  int labels = 0;
  bool accelerationFound = false;
  for (QCustomPlot* plot : window.findChildren<QCustomPlot*>()) {
    for (int i = 0; i < plot->itemCount(); ++i) {
      const auto* text = qobject_cast<QCPItemText*>(plot->item(i));
      if (text == nullptr || !text->text().startsWith(QStringLiteral("最大値 "))) continue;
      ++labels;
      accelerationFound |=
          text->text().contains(QStringLiteral(" gal ")) && text->text().endsWith(expected);
      const QString time = text->text().section('(', -1);
      EXPECT_EQ(time.section('.', 1).size(), 5) << text->text().toStdString();  // "dd s)"
    }
  }
  EXPECT_EQ(labels, 3);  // acceleration, velocity, displacement
  EXPECT_TRUE(accelerationFound) << expected.toStdString();
}

// The spectra tab follows its smoothing and the channel list; the response tab's RotD follows
// the chosen pair and the damping; both copy what they show.
TEST_F(ViewerWindowTest, SpectraFollowTheSmoothingAndRotDThePairAndDamping) {
  ViewerWindow window(2, 0.05);
  ASSERT_TRUE(window.Open(QString::fromStdString(stem_ + ".csv")));
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  auto* spectra = window.findChild<SpectraPanel*>();
  auto* rotd = window.findChild<RotDPanel*>();
  ASSERT_NE(spectra, nullptr);
  ASSERT_NE(rotd, nullptr);

  // Unsmoothed at first: the record's 300 bins, the files' own.
  EXPECT_EQ(spectra->chooser()->Smoothing(), SpectralSmoothing{});
  EXPECT_EQ(spectra->Shown().channel, 2);
  for (const SpectrumCurve& curve : spectra->Shown().curves) {
    EXPECT_EQ(curve.frequencies.size(), 300u) << curve.notice;
  }
  spectra->chooser()->SetSmoothing({SpectralSmoothing::Kind::kKonnoOhmachi, 40});
  EXPECT_FALSE(window.IsSettled());
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  EXPECT_EQ(spectra->Shown().smoothing.kind, SpectralSmoothing::Kind::kKonnoOhmachi);
  for (const SpectrumCurve& curve : spectra->Shown().curves) {
    EXPECT_EQ(curve.frequencies.size(), 1000u);
  }
  window.findChild<QListWidget*>()->setCurrentRow(4);
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  EXPECT_EQ(spectra->Shown().channel, 5);
  spectra->CopyTable();
  QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1001);
  EXPECT_EQ(lines[0],
            QStringLiteral("振動数 (Hz)\t加速度フーリエ振幅 (gal·s)\t振動数 (Hz)\t"
                           "速度フーリエ振幅 (cm/s·s)\t振動数 (Hz)\t変位フーリエ振幅 (cm·s)"));

  // RotD of the first station's two horizontal channels, then of another pair and damping.
  EXPECT_EQ(rotd->Shown().pair, (HorizontalPair{1, 2}));
  EXPECT_EQ(rotd->Shown().spectrum.periods.size(), 100u);
  rotd->chooser()->SetComponents({3, 1, 2});
  QDoubleSpinBox* damping = nullptr;
  for (QDoubleSpinBox* box : window.findChildren<QDoubleSpinBox*>())
    if (box->accessibleName() == QStringLiteral("減衰定数")) damping = box;
  ASSERT_NE(damping, nullptr);
  damping->setValue(10.0);
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  EXPECT_EQ(rotd->Shown().pair, (HorizontalPair{3, 1}));
  EXPECT_DOUBLE_EQ(rotd->Shown().damping, 0.10);
  rotd->chooser()->SetComponents({3, 3, 2});
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  EXPECT_EQ(rotd->Shown().notice, "二つの異なる水平チャンネルを選んでください");
  rotd->chooser()->SetComponents({3, 1, 2});
  ASSERT_TRUE(WaitFor([&] { return window.IsSettled(); }));
  rotd->CopyTable();
  lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 101);
  EXPECT_EQ(lines[0], "周期 (s)\t3ch PSA (gal)\t1ch PSA (gal)\tRotD50 (gal)\tRotD100 (gal)");
}

}  // namespace
}  // namespace accprep
