// A guided tour of the main window for scripts/screenshot: it opens Form1 as the program does
// (real dialog, real message boxes, real run in the program folder), plays the user's part
// (choose a record, type a name and a comment, press Start, close "done") and saves a PNG at
// each point worth looking at. Meant for a virtual display; it takes no input of its own.
//
//   accprep-screenshot OUTPUT_FOLDER RECORD
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "ui/fitted_label.hpp"
#include "ui/japanese_translations.hpp"
#include "ui/main_window.hpp"
#include "ui/window_prompts.hpp"

namespace {

using accprep::Form1;

class Tour {
 public:
  Tour(Form1& window, QString folder, QString record)
      : window_(window), folder_(std::move(folder)), record_(std::move(record)) {}

  void Start() {
    QObject::connect(window_.Label2, &accprep::FittedLabel::fullTextChanged, &window_,
                     [this](const QString& caption) { OnCaption(caption); });
    QObject::connect(&window_, &Form1::runFinished, &window_, [this] { OnRunFinished(); });
    After(500, [this] {
      SaveWindow("01-start.png");
      // The dialog is modal: act on it from a timer while Command1_Click waits for it.
      After(1500, [this] { OnFileDialog(); });
      window_.Command1->click();
    });
  }

  int failures() const { return failures_; }

 private:
  static void After(int ms, std::function<void()> step) { QTimer::singleShot(ms, step); }

  void OnFileDialog() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return Fail("the open-file dialog did not appear");
    dialog->setDirectory(QFileInfo(record_).absolutePath());
    // The dialog lists its folder in the background; a file is selected once it is listed.
    After(800, [this, dialog] {
      dialog->selectFile(QFileInfo(record_).fileName());
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        if (name->text().isEmpty()) name->setText(QFileInfo(record_).fileName());
      }
    });
    After(1200, [this, dialog] {
      SaveScreen("02-file-dialog.png", dialog->frameGeometry());
      static_cast<QDialog*>(dialog)->accept();  // as the Open button does
      After(300, [this] { OnArmed(); });
    });
  }

  void OnArmed() {
    window_.Text1->setText(QStringLiteral("example"));
    window_.Text2->setText(QStringLiteral("合成記録 40 チャンネル 100 Hz"));
    After(300, [this] {
      SaveWindow("03-armed.png");
      After(300, [this] { OnModalBox(); });
      window_.Command2->click();
    });
  }

  // Every caption the run sets, caught as the window takes it, before the next one.
  void OnCaption(const QString& caption) {
    if (!window_.IsRunning()) return;
    ++captions_;
    SaveWindow(QStringLiteral("04-run-%1-%2.png")
                   .arg(captions_)
                   .arg(caption == QStringLiteral("読み込み中")         ? "reading"
                        : caption == QStringLiteral("書き出し中")       ? "writing"
                        : caption == QStringLiteral("公開データを作成") ? "public"
                                                                        : "finished"));
  }

  // Waits for the closing "done" (or a failure box), photographs it and closes it.
  void OnModalBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      if (!window_.IsRunning() && runEnded_) return;
      return After(200, [this] { OnModalBox(); });
    }
    After(500, [this, box] {
      const bool failed = box->icon() == QMessageBox::Critical;
      if (failed) {
        ++failures_;
        std::fprintf(stderr, "run failed: %s\n", qUtf8Printable(box->text()));
      }
      SaveScreen(failed ? "05-failure.png" : "05-done.png",
                 window_.frameGeometry().united(box->frameGeometry()));
      box->accept();
      if (!failed) After(300, [this] { OnModalBox(); });  // a failure box may follow
    });
  }

  void OnRunFinished() {
    runEnded_ = true;
    After(500, [this] {
      SaveWindow("06-after-run.png");
      QApplication::quit();
    });
  }

  void SaveWindow(const QString& name) {
    // grab() paints the window as it is now, even before the screen has been updated.
    Save(window_.grab().toImage(), name);
  }

  void SaveScreen(const QString& name, const QRect& area) {
    QScreen* screen = window_.screen();
    const QRect clipped = area.adjusted(-8, -8, 8, 8).intersected(screen->geometry());
    Save(screen->grabWindow(0, clipped.x(), clipped.y(), clipped.width(), clipped.height())
             .toImage(),
         name);
  }

  void Save(const QImage& image, const QString& name) {
    const QString path = QDir(folder_).filePath(name);
    if (!image.save(path)) return Fail("cannot save " + path);
    std::printf("%s\n", qUtf8Printable(path));
  }

  void Fail(const QString& why) {
    ++failures_;
    std::fprintf(stderr, "accprep-screenshot: %s\n", qUtf8Printable(why));
    QApplication::exit(1);
  }

  Form1& window_;
  const QString folder_;
  const QString record_;
  int captions_ = 0;
  int failures_ = 0;
  bool runEnded_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(accprep::kProgramTitle));
  accprep::LoadJapaneseTranslations(application);  // as the program does
  if (argc != 3) {
    std::fprintf(stderr, "usage: accprep-screenshot OUTPUT_FOLDER RECORD\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString record = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "accprep-screenshot: cannot create %s\n", argv[1]);
    return 1;
  }

  Form1 window;
  window.show();
  Tour tour(window, folder, record);
  tour.Start();
  // A tour that hangs (a dialog that never appears) must not hold the script forever.
  QTimer::singleShot(120000, [] { QApplication::exit(3); });
  const int code = QApplication::exec();
  return code != 0 ? code : (tour.failures() > 0 ? 1 : 0);
}
