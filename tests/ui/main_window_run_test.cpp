// Runs started from the window: a whole conversion on small test jobs, failed runs, and the
// window's behaviour while a run works on its worker thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <future>
#include <new>
#include <stdexcept>
#include <vector>

#include "engine/exchange_lock.hpp"
#include "ui/fitted_label.hpp"
#include "ui/main_window.hpp"
#include "window_fixture.hpp"

namespace accprep {
namespace {

using testing::ExchangeFolder;
using testing::FileExists;
using testing::MakeTestWindow;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WaitForRunEnd;
using testing::WriteAccelerationRecord;

constexpr int kAccelerationRows = 3;

std::function<std::string()> FolderSeam(const std::string& folder) {
  return [folder] { return folder; };
}

void ExpectTakesInputWithStartDisarmed(const Form1& window) {
  EXPECT_FALSE(window.IsRunning());
  EXPECT_FALSE(window.Command2->isEnabled());
  EXPECT_TRUE(window.Command1->isEnabled());
  EXPECT_TRUE(window.Command3->isEnabled());
  EXPECT_TRUE(window.Text1->isEnabled());
  EXPECT_TRUE(window.Text2->isEnabled());
}

void ExpectTakesNoInput(Form1& window) {
  EXPECT_TRUE(window.IsRunning());
  EXPECT_FALSE(window.Command1->isEnabled());
  EXPECT_FALSE(window.Command2->isEnabled());
  EXPECT_FALSE(window.Command3->isEnabled());
  EXPECT_FALSE(window.Text1->isEnabled());
  EXPECT_FALSE(window.Text2->isEnabled());
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
}

class Form1Run : public ::testing::Test {
 protected:
  void SetUp() override {
    record_ = WriteAccelerationRecord(InputFile("site1.csv"), kAccelerationRows);
  }
  std::string InputFile(const std::string& name) const { return inputFolder_.File(name); }
  // Chooses `path` in the dialog and types the output name and the comment.
  static void PrepareRun(testing::TestWindow& test, const std::string& path,
                         const QString& baseName, const QString& comment) {
    test.prompts->dialogReports.push_back(QString::fromStdString(path));
    test.window->show();
    test.window->Command1->click();
    QTest::keyClicks(test.window->Text1, baseName);
    QTest::keyClicks(test.window->Text2, comment);
  }

  ExchangeFolder exchange_;
  TemporaryFolder inputFolder_;
  std::string record_;
};

TEST_F(Form1Run, ACompleteRunShowsEachStageAndDoneThenDisarmsStart) {
  auto test = MakeTestWindow(FolderSeam(exchange_.Path()));
  Form1& window = *test.window;
  PrepareRun(test, record_, QStringLiteral("b1"), QStringLiteral("site 1, 2018-01-24"));

  std::vector<QString> captions;
  QObject::connect(window.Label2, &FittedLabel::fullTextChanged,
                   [&captions](const QString& caption) { captions.push_back(caption); });
  std::vector<int> values;
  QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged,
                   [&values](int value) { values.push_back(value); });
  bool checkedWhileShown = false;
  test.prompts->whileMessageShown = [&] {
    ExpectTakesNoInput(window);
    EXPECT_EQ(window.Label2->FullText(), QStringLiteral("終了"));
    checkedWhileShown = true;
  };

  window.Command2->click();
  ASSERT_TRUE(WaitForRunEnd(window));

  EXPECT_TRUE(test.prompts->failures.empty()) << test.prompts->failures.front().toStdString();
  EXPECT_EQ(test.prompts->messages, std::vector<QString>{QStringLiteral("done")});
  EXPECT_TRUE(checkedWhileShown);
  const std::vector<QString> expected{
      QStringLiteral("読み込み中"),       QStringLiteral("書き出し中"),
      QStringLiteral("公開データを作成"), QStringLiteral("書き出し中"),
      QStringLiteral("書き出し中"),       QStringLiteral("終了")};
  EXPECT_EQ(captions, expected);

  // The last value of each stage is shown: the acceleration rows, then each result's rows.
  EXPECT_NE(std::find(values.begin(), values.end(), kAccelerationRows), values.end());
  EXPECT_NE(std::find(values.begin(), values.end(), ExchangeFolder::kVelocityRows), values.end());
  EXPECT_EQ(window.ProgressBar1->maximum(), ExchangeFolder::kDisplacementRows);
  EXPECT_EQ(window.ProgressBar1->value(), ExchangeFolder::kDisplacementRows);

  ExpectTakesInputWithStartDisarmed(window);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("待機中"));
  EXPECT_EQ(window.Label2->FullText(), QStringLiteral("終了"));
  EXPECT_EQ(QDir(window.CommonDialog1->directory()).absolutePath(),
            QDir(QString::fromStdString(exchange_.Path())).absolutePath());

  // The run took its inputs from the window: the name typed, the comment, the chosen record.
  EXPECT_TRUE(FileExists(exchange_.File("out/b1_accmat.prn")));
  EXPECT_TRUE(FileExists(exchange_.File("out/b1_velmat.prn")));
  EXPECT_TRUE(FileExists(exchange_.File("out/b1_dismat.prn")));
  EXPECT_EQ(ReadWholeFile(InputFile("site1_acc.csv")).rfind("site 1, 2018-01-24\r\n", 0), 0u);
  for (const char* copy :
       {"site1_vel.csv", "site1_dis.csv", "site1_velAmp.csv", "site1_disAmp.csv"}) {
    EXPECT_TRUE(FileExists(InputFile(copy))) << copy;
  }
  for (const char* exchangeFile : {"outacc.csv", "velout.csv", "disout.csv", "amp3.csv"}) {
    EXPECT_FALSE(FileExists(exchange_.File(exchangeFile))) << exchangeFile;
  }

  // A second run needs Start armed again; an edit of the output name does it.
  QTest::keyClicks(window.Text1, QStringLiteral("2"));
  ASSERT_TRUE(window.Command2->isEnabled());
  window.Command2->click();
  ASSERT_TRUE(WaitForRunEnd(window));
  EXPECT_EQ(test.prompts->messages.size(), 2u);
  EXPECT_TRUE(FileExists(exchange_.File("out/b12_dismat.prn")));
  ExpectTakesInputWithStartDisarmed(window);
}

TEST_F(Form1Run, AFailedRunIsToldAndTheWindowStaysOpenForTheNextTry) {
  auto test = MakeTestWindow(FolderSeam(exchange_.Path()));
  Form1& window = *test.window;
  const std::string missing = InputFile("no-such-record.csv");
  PrepareRun(test, missing, QStringLiteral("b1"), QString());

  window.Command2->click();
  ASSERT_TRUE(WaitForRunEnd(window));
  ASSERT_EQ(test.prompts->failures.size(), 1u);
  const QString failure = test.prompts->failures.front();
  EXPECT_TRUE(failure.startsWith(QStringLiteral("入力ファイルを読み込めません\n\n")))
      << failure.toStdString();
  EXPECT_TRUE(failure.contains(QString::fromStdString(missing))) << failure.toStdString();
  EXPECT_TRUE(test.prompts->messages.empty());
  EXPECT_EQ(window.Label2->FullText(), QStringLiteral("エラー"));
  EXPECT_TRUE(window.isVisible());
  ExpectTakesInputWithStartDisarmed(window);

  // Choosing the right file arms Start again, and the next run goes through.
  test.prompts->dialogReports.push_back(QString::fromStdString(record_));
  window.Command1->click();
  ASSERT_TRUE(window.Command2->isEnabled());
  window.Command2->click();
  ASSERT_TRUE(WaitForRunEnd(window));
  EXPECT_EQ(test.prompts->messages, std::vector<QString>{QStringLiteral("done")});
  EXPECT_EQ(window.Label2->FullText(), QStringLiteral("終了"));
}

TEST_F(Form1Run, AnotherConversionInTheProgramFolderIsRefusedBeforeAnythingIsWritten) {
  const ExchangeLock otherRun(exchange_.Path(), /*wait=*/false, {});
  auto test = MakeTestWindow(FolderSeam(exchange_.Path()));
  Form1& window = *test.window;
  PrepareRun(test, record_, QStringLiteral("b1"), QString());

  window.Command2->click();
  ASSERT_TRUE(WaitForRunEnd(window));
  ASSERT_EQ(test.prompts->failures.size(), 1u);
  const QString failure = test.prompts->failures.front();
  EXPECT_TRUE(failure.startsWith(QStringLiteral("このプログラムのフォルダで別の変換が実行中です")))
      << failure.toStdString();
  EXPECT_TRUE(failure.contains(QString::fromStdString(exchange_.Path()))) << failure.toStdString();
  EXPECT_EQ(window.Label2->FullText(), QStringLiteral("エラー"));
  ExpectTakesInputWithStartDisarmed(window);
  EXPECT_FALSE(FileExists(exchange_.File("out/b1_accmat.prn")));
  EXPECT_FALSE(FileExists(exchange_.File("outacc.csv")));
}

TEST_F(Form1Run, FailuresNameWhatFailed) {
  struct Case {
    const char* what;
    std::function<void(ExchangeFolder&)> breakIt;
    bool chooseFile;
    QString sentence;
    QString detail;
  };
  const Case cases[] = {
      {"out folder missing", [](ExchangeFolder& e) { e.RemoveOutFolder(); }, true,
       QStringLiteral("out フォルダがありません"), QStringLiteral("b1_accmat.prn")},
      {"velocity job fails", [](ExchangeFolder& e) { e.MakeJobFail("fftvel.bat", 2); }, true,
       QStringLiteral("積分ジョブが失敗しました"), QStringLiteral("fftvel.bat")},
      {"no file chosen", [](ExchangeFolder&) {}, false,
       QStringLiteral("入力ファイルが選ばれていません"), QString()},
  };
  for (const Case& c : cases) {
    ExchangeFolder exchange;
    c.breakIt(exchange);
    auto test = MakeTestWindow(FolderSeam(exchange.Path()));
    test.window->show();
    if (c.chooseFile) {
      test.prompts->dialogReports.push_back(QString::fromStdString(record_));
      test.window->Command1->click();
    }
    QTest::keyClicks(test.window->Text1, QStringLiteral("b1"));  // arms Start in every case
    test.window->Command2->click();
    ASSERT_TRUE(WaitForRunEnd(*test.window)) << c.what;
    ASSERT_EQ(test.prompts->failures.size(), 1u) << c.what;
    const QString failure = test.prompts->failures.front();
    EXPECT_TRUE(failure.startsWith(c.sentence + QStringLiteral("\n\n"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(c.detail)) << failure.toStdString();
    EXPECT_EQ(test.window->Label2->FullText(), QStringLiteral("エラー")) << c.what;
    EXPECT_TRUE(test.window->isVisible()) << c.what;
    ExpectTakesInputWithStartDisarmed(*test.window);
  }
}

// A run that stops where the test wants it, to look at the window while it works.
TEST(Form1Worker, WhileARunWorksTheWindowPaintsItsFeedbackAndTakesNoInput) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto test = MakeTestWindow({}, [released](const RunInputs&, RunObserver& host) {
    host.SetStatusCaption("読み込み中");
    host.SetStartEnabled(false);
    host.SetProgressMaximum(10);
    host.SetProgressValue(5);
    released.wait();
  });
  Form1& window = *test.window;
  window.show();
  QTest::keyClicks(window.Text1, QStringLiteral("b1"));
  window.Command2->click();

  EXPECT_TRUE(QTest::qWaitFor([&] { return window.ProgressBar1->value() == 5; }, 5000));
  EXPECT_EQ(window.Label2->FullText(), QStringLiteral("読み込み中"));
  EXPECT_EQ(window.ProgressBar1->maximum(), 10);
  ExpectTakesNoInput(window);
  QTest::keyClicks(window.Text1, QStringLiteral("x"));
  EXPECT_EQ(window.Text1->text(), QStringLiteral("b1"));

  release.set_value();
  ASSERT_TRUE(WaitForRunEnd(window));
  ExpectTakesInputWithStartDisarmed(window);
  EXPECT_TRUE(test.prompts->failures.empty());
  EXPECT_TRUE(window.close());
}

TEST(Form1Worker, HalfAMillionRowsReachTheBarAFewTimesAndEndOnTheLastRow) {
  constexpr int kRows = 500000;
  auto test = MakeTestWindow({}, [](const RunInputs&, RunObserver& host) {
    host.SetProgressMaximum(kRows);
    for (int row = 1; row <= kRows; ++row) host.SetProgressValue(static_cast<float>(row));
    host.SetStatusCaption("終了");
  });
  int updates = 0;
  QObject::connect(test.window->ProgressBar1, &QProgressBar::valueChanged,
                   [&updates](int) { ++updates; });
  test.window->Text1->setText(QStringLiteral("b1"));
  test.window->Command2->click();
  ASSERT_TRUE(WaitForRunEnd(*test.window));
  EXPECT_EQ(test.window->ProgressBar1->value(), kRows);
  EXPECT_GE(updates, 1);
  EXPECT_LT(updates, 1000);  // about 30 a second; the loop itself takes a fraction of one
}

TEST(Form1Worker, AMaximumOfZeroShowsAnEmptyBarNotABusyOne) {
  auto test = MakeTestWindow({}, [](const RunInputs&, RunObserver& host) {
    host.SetProgressMaximum(0);
    host.SetProgressValue(1);
  });
  test.window->Text1->setText(QStringLiteral("b1"));
  test.window->Command2->click();
  ASSERT_TRUE(WaitForRunEnd(*test.window));
  const QProgressBar& bar = *test.window->ProgressBar1;
  EXPECT_GT(bar.maximum(), bar.minimum());
  EXPECT_LE(bar.value(), bar.minimum());
}

TEST(Form1Worker, AFailureOutsideTheEngineIsToldToo) {
  auto test = MakeTestWindow(
      {}, [](const RunInputs&, RunObserver&) { throw std::runtime_error("disk on fire"); });
  test.window->show();
  test.window->Text1->setText(QStringLiteral("b1"));
  test.window->Command2->click();
  ASSERT_TRUE(WaitForRunEnd(*test.window));
  ASSERT_EQ(test.prompts->failures.size(), 1u);
  EXPECT_TRUE(test.prompts->failures.front().contains(QStringLiteral("予期しない")));
  EXPECT_TRUE(test.prompts->failures.front().contains(QStringLiteral("disk on fire")));
  EXPECT_EQ(test.window->Label2->FullText(), QStringLiteral("エラー"));
  EXPECT_TRUE(test.window->isVisible());
}

TEST(Form1Worker, AWindowDeletedDuringTheClosingMessageLetsTheRunEnd) {
  std::atomic<bool> returned{false};
  auto test = MakeTestWindow({}, [&returned](const RunInputs&, RunObserver& host) {
    host.ShowMessage("done");
    returned = true;
  });
  test.window->Text1->setText(QStringLiteral("b1"));
  test.window->Command2->click();
  // No event is processed: the message never reaches the screen, and the worker must not wait
  // for it once the window is gone.
  test.window.reset();
  EXPECT_TRUE(returned);
}

}  // namespace
}  // namespace accprep
