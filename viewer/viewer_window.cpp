#include "viewer/viewer_window.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

#include "engine/data_error.hpp"
#include "engine/time_step.hpp"
#include "viewer/building_tab.hpp"
#include "viewer/channel_figure.hpp"
#include "viewer/column_format.hpp"
#include "viewer/figure_export.hpp"
#include "viewer/intensity_panel.hpp"
#include "viewer/rotd_panel.hpp"
#include "viewer/smoothing_chooser.hpp"
#include "viewer/spectra_panel.hpp"
#include "viewer/station_chooser.hpp"
#include "viewer/table_copy.hpp"
#include "viewer/work_page.hpp"

namespace accprep {

// The records of one opened conversion, with what the window derives from them once.
struct ViewerWindow::Session {
  ConversionFiles files;
  ConversionData data;
  std::array<ChannelPeaks, kChannels> peaks{};
  int timeDecimals = 2;  // of the sampling step, for the peaks' times
};

namespace {

// The records are shown first; their spectra follow.
constexpr ConversionFile kRecordFiles[] = {ConversionFile::kAcceleration, ConversionFile::kVelocity,
                                           ConversionFile::kDisplacement};
constexpr ConversionFile kSpectrumFiles[] = {ConversionFile::kVelocitySpectrum,
                                             ConversionFile::kDisplacementSpectrum};

constexpr TableColumn kPeakColumns[] = {{"チャンネル", "channel"},    {"名前", "name"},
                                        {"PGA (gal)", "PGA (gal)"},   {"時刻 (s)", "tPGA (s)"},
                                        {"PGV (cm/s)", "PGV (cm/s)"}, {"時刻 (s)", "tPGV (s)"},
                                        {"PGD (cm)", "PGD (cm)"},     {"時刻 (s)", "tPGD (s)"}};
constexpr int kPeakColumnCount = static_cast<int>(std::size(kPeakColumns));
constexpr int kPeakSignificant = 4;

constexpr int kRecentFiles = 8;
constexpr int kResponseChunks = 10;  // the periods are computed in tenths, for the progress bar

const char kSettingsOrganization[] = "accprep";
const char kSettingsApplication[] = "accprep-view";

QString FileName(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName();
}

QString NoRecordNotice() {
  return QStringLiteral(
      "記録が開かれていません。\n「ファイル」→「開く」(Ctrl+O) で変換の記録を開くか、"
      "変換のファイルをこのウィンドウにドロップしてください。");
}

QSettings Settings() { return QSettings(kSettingsOrganization, kSettingsApplication); }

// The response spectra of `channel` in tenths of the periods, so that the tab can show how
// far it has come and a stale request stops early.
std::shared_ptr<const ResponseSpectrum> ComputeResponseInChunks(const ChannelTable& acc,
                                                                const std::string& path,
                                                                int channel, double damping,
                                                                std::atomic<int>& chunksDone,
                                                                const StaleFlag& stale) {
  const double step = UniformTimeStep(acc.column(0), path, acc.firstLine());
  const std::vector<double> periods = ResponsePeriods();
  auto spectrum = std::make_shared<ResponseSpectrum>();
  const std::size_t chunk = (periods.size() + kResponseChunks - 1) / kResponseChunks;
  for (std::size_t first = 0; first < periods.size(); first += chunk) {
    if (stale.load()) return nullptr;
    const std::size_t count = std::min(chunk, periods.size() - first);
    const ResponseSpectrum part = ComputeResponseSpectrum(
        acc.column(channel), step, std::span(periods).subspan(first, count), damping);
    for (auto member :
         {&ResponseSpectrum::periods, &ResponseSpectrum::absoluteAcceleration,
          &ResponseSpectrum::relativeVelocity, &ResponseSpectrum::relativeDisplacement}) {
      (*spectrum.*member)
          .insert((*spectrum.*member).end(), (part.*member).begin(), (part.*member).end());
    }
    chunksDone.fetch_add(1);
  }
  return spectrum;
}

}  // namespace

ViewerWindow::ViewerWindow(int channel, double damping, QWidget* parent)
    : QMainWindow(parent),
      channel_(channel),
      damping_(damping),
      progress_(std::make_shared<LoadProgress>(0)),
      responseProgress_(std::make_shared<std::atomic<int>>(0)),
      loadRequest_(
          this, [this](std::shared_ptr<Session> s) { RecordsLoaded(std::move(s)); },
          WorkPriority::kForeground),
      spectraRequest_(this, [this](Spectra spectra) { SpectraLoaded(spectra); }),
      responseRequest_(this, [this](Response response) { ResponseComputed(response); }) {
  CreateControls();
  CreateMenus();
  LayOut();
  ConnectSignals();
  FitToScreen();
  setAcceptDrops(true);
  UpdateActions();
}

ViewerWindow::~ViewerWindow() {
  // The workers hold what they read; their results are not for a window that is gone.
  loadRequest_.Wait();
  spectraRequest_.Wait();
  responseRequest_.Wait();
  intensityPanel_->WaitForWork();
  spectraPanel_->WaitForWork();
  rotdPanel_->WaitForWork();
  buildingTab_->WaitForWork();
}

void ViewerWindow::CreateControls() {
  setWindowTitle(QStringLiteral("記録ビューア"));
  channelList_ = new QListWidget;
  channelList_->setFixedWidth(200);
  channelList_->setEnabled(false);

  errorLabel_ = new QLabel;
  errorLabel_->setWordWrap(true);
  errorLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  errorLabel_->setStyleSheet(
      "QLabel { color: #900; background: #fff0f0; border: 1px solid #d99; padding: 4px; }");
  errorLabel_->setVisible(false);
  filesLabel_ = new QLabel;
  filesLabel_->setTextFormat(Qt::RichText);
  filesLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  timePlot_ = new QCustomPlot;
  responsePlot_ = new QCustomPlot;
  timeFigure_ = new ChannelFigure(timePlot_, ChannelFigure::kTimeHistories);
  responseFigure_ = new ChannelFigure(responsePlot_, ChannelFigure::kResponseSpectra);
  timePage_ = new WorkPage(timePlot_);
  responsePage_ = new WorkPage(responsePlot_);

  peaksTable_ = MakeTable(kChannels, kPeakColumns);
  peaksPage_ = new WorkPage(peaksTable_);
  copyButton_ = new QPushButton(QStringLiteral("表をコピー"));
  intensityPanel_ = new IntensityPanel;
  spectraPanel_ = new SpectraPanel;
  rotdPanel_ = new RotDPanel(damping_);
  buildingTab_ = new BuildingTab;

  tabs_ = new QTabWidget;
  dampingBox_ = new QDoubleSpinBox;
  dampingBox_->setRange(0.0, 99.0);
  dampingBox_->setDecimals(1);
  dampingBox_->setSingleStep(1.0);
  dampingBox_->setSuffix(" %");
  dampingBox_->setValue(damping_ * 100.0);
  dampingBox_->setKeyboardTracking(false);
  dampingBox_->setAccessibleName(QStringLiteral("減衰定数"));

  resetButton_ = new QPushButton(QStringLiteral("表示をリセット"));
  resetButton_->setToolTip(QStringLiteral("ダブルクリックでも戻ります"));
  saveButton_ = new QPushButton(QStringLiteral("画像を保存..."));
  readout_ = new QLabel;
  readout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  readout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  loadBar_ = new QProgressBar;
  loadBar_->setRange(0, 1000);
  loadBar_->setMaximumWidth(300);
  loadBar_->setVisible(false);
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(50);
}

void ViewerWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  openAction_ = file->addAction(QStringLiteral("開く(&O)..."), this, &ViewerWindow::AskForRecord);
  openAction_->setShortcut(QKeySequence::Open);
  recentMenu_ = file->addMenu(QStringLiteral("最近使ったファイル(&R)"));
  file->addSeparator();
  saveAction_ = file->addAction(QStringLiteral("画像を保存(&S)..."), this, &ViewerWindow::SaveView);
  saveAction_->setShortcut(QKeySequence::Save);
  printAction_ = file->addAction(QStringLiteral("印刷(&P)..."), this, &ViewerWindow::PrintView);
  printAction_->setShortcut(QKeySequence::Print);
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  QAction* guide = help->addAction(QStringLiteral("使い方(&U)"), this, &ViewerWindow::ShowGuide);
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  help->addAction(QStringLiteral("バージョン情報(&A)"), this, &ViewerWindow::ShowVersion);
  FillRecentMenu();
}

void ViewerWindow::LayOut() {
  peaksTab_ = new QWidget;
  auto* peaksLayout = new QVBoxLayout(peaksTab_);
  peaksLayout->addWidget(peaksPage_, 1);
  auto* copyRow = new QHBoxLayout;
  copyRow->addStretch();
  copyRow->addWidget(copyButton_);
  peaksLayout->addLayout(copyRow);

  responseTab_ = new QWidget;
  auto* responseLayout = new QVBoxLayout(responseTab_);
  responseLayout->setContentsMargins(0, 0, 0, 0);
  auto* dampingRow = new QHBoxLayout;
  dampingRow->addWidget(new QLabel(QStringLiteral("減衰定数")));
  dampingRow->addWidget(dampingBox_);
  dampingRow->addStretch();
  responseLayout->addLayout(dampingRow);
  // The chosen channel's spectra beside RotD of the chosen pair: both at the damping above.
  auto* responseRow = new QHBoxLayout;
  responseRow->addWidget(responsePage_, 1);
  responseRow->addWidget(rotdPanel_, 1);
  responseLayout->addLayout(responseRow, 1);

  tabs_->addTab(timePage_, QStringLiteral("時刻歴 (加速度・速度・変位)"));
  tabs_->addTab(spectraPanel_, QStringLiteral("フーリエ振幅スペクトル"));
  tabs_->addTab(responseTab_, QStringLiteral("応答スペクトル"));
  tabs_->addTab(peaksTab_, QStringLiteral("最大値"));
  tabs_->addTab(intensityPanel_, QStringLiteral("震度・指標"));
  tabs_->addTab(buildingTab_, QStringLiteral("建物応答"));

  auto* tools = new QHBoxLayout;
  tools->addWidget(resetButton_);
  tools->addWidget(saveButton_);
  tools->addWidget(readout_, 1);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(errorLabel_);
  rightLayout->addWidget(filesLabel_);
  rightLayout->addWidget(tabs_, 1);
  rightLayout->addLayout(tools);

  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(6, 6, 6, 2);
  row->addWidget(channelList_);
  row->addWidget(right, 1);
  setCentralWidget(central);
  statusBar()->addPermanentWidget(loadBar_, 1);

  for (WorkPage* page : {timePage_, responsePage_, peaksPage_}) {
    page->ShowNotice(NoRecordNotice());
  }
  intensityPanel_->ShowNotice(NoRecordNotice());
  spectraPanel_->ShowNotice(NoRecordNotice());
  rotdPanel_->ShowNotice(NoRecordNotice());
  buildingTab_->ShowNotice(NoRecordNotice());
}

void ViewerWindow::ConnectSignals() {
  connect(channelList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowChannel(row + 1);
  });
  connect(dampingBox_, &QDoubleSpinBox::valueChanged, this, [this](double percent) {
    damping_ = percent / 100.0;
    StartResponse();
    rotdPanel_->SetDamping(damping_);
  });
  connect(copyButton_, &QPushButton::clicked, this, &ViewerWindow::CopyPeaks);
  auto* copyShortcut = new QShortcut(QKeySequence::Copy, peaksTable_);
  connect(copyShortcut, &QShortcut::activated, this, &ViewerWindow::CopyPeaks);
  connect(resetButton_, &QPushButton::clicked, this, &ViewerWindow::ResetView);
  connect(saveButton_, &QPushButton::clicked, this, &ViewerWindow::SaveView);
  connect(tabs_, &QTabWidget::currentChanged, this, &ViewerWindow::UpdateActions);
  connect(buildingTab_, &BuildingTab::partChanged, this, &ViewerWindow::UpdateActions);
  connect(progressTimer_, &QTimer::timeout, this, [this] {
    if (totalBytes_ > 0) {
      loadBar_->setValue(static_cast<int>(1000.0 * progress_->load() / totalBytes_));
    }
  });
  const std::pair<QCustomPlot*, ChannelFigure*> plots[] = {{timePlot_, timeFigure_},
                                                           {responsePlot_, responseFigure_}};
  for (const auto& [plot, figure] : plots) {
    plot->setMouseTracking(true);
    connect(plot, &QCustomPlot::mouseMove, this, [this, figure = figure](QMouseEvent* event) {
      readout_->setText(figure->Readout(event->pos()));
    });
  }
  connect(spectraPanel_->plot(), &QCustomPlot::mouseMove, this,
          [this](QMouseEvent* event) { readout_->setText(spectraPanel_->Readout(event->pos())); });

  // The display test reads the window's state from a file, as a person reads the screen.
  reportPath_ = qEnvironmentVariable("ACCPREP_VIEW_REPORT");
  if (!reportPath_.isEmpty()) {
    reportTimer_ = new QTimer(this);
    reportTimer_->setInterval(100);
    connect(reportTimer_, &QTimer::timeout, this, &ViewerWindow::WriteReport);
    reportTimer_->start();
  }
}

void ViewerWindow::FitToScreen() {
  // The plots want room, but every control must stay on the screen: a 1280 x 720 laptop
  // leaves about 1280 x 690 to a window once its panel is drawn.
  setMinimumSize(860, 520);
  const QRect available = screen()->availableGeometry();
  QSettings settings = Settings();
  if (!restoreGeometry(settings.value("geometry").toByteArray())) {
    resize(std::min(1280, available.width() * 95 / 100),
           std::min(860, available.height() * 92 / 100));
    move(available.center() - rect().center());
  }
  // A size remembered from a larger screen is cut to this one.
  const QSize frame = frameGeometry().size() - size();
  resize(std::min(width(), available.width() - frame.width()),
         std::min(height(), available.height() - frame.height()));
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
  Settings().setValue("geometry", saveGeometry());
  QMainWindow::closeEvent(event);
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile()) {
    event->acceptProposedAction();
  }
}

void ViewerWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  Open(urls.first().toLocalFile());
}

void ViewerWindow::AskForRecord() {
  QSettings settings = Settings();
  const QString folder = settings.value("lastFolder", QDir::homePath()).toString();
  const QString path =
      QFileDialog::getOpenFileName(this, QStringLiteral("記録を開く"), folder,
                                   QStringLiteral("変換の記録 (*.csv);;すべてのファイル (*)"));
  if (!path.isEmpty()) Open(path);
}

bool ViewerWindow::Open(const QString& path) {
  const std::string file = path.toStdString();
  std::error_code ignored;
  const bool exists = std::filesystem::exists(file, ignored);
  const ConversionFiles files = FindConversionFiles(file);
  if (files.PresentCount() == 0) {
    const QString stem = QString::fromStdString(files.stem);
    ShowError(exists ? QStringLiteral("開けません: %1\nこのファイルの変換のファイル (%2_acc.csv, "
                                      "_vel.csv, _dis.csv, _velAmp.csv, _disAmp.csv) がありません。"
                                      "先に accprep か accprep-cli で変換してください。")
                           .arg(path, stem)
                     : QStringLiteral("開けません: %1\nファイルがありません。").arg(path));
    return false;
  }
  Settings().setValue("lastFolder", QFileInfo(path).absolutePath());
  RememberRecent(QFileInfo(path).absoluteFilePath());
  errorLabel_->setVisible(false);

  // What runs for the conversion shown so far is of no more use.
  spectraRequest_.Cancel();
  responseRequest_.Cancel();
  session_.reset();
  files_ = files;
  openedPath_ = path;
  names_ = ConversionChannelNames(file, files);
  setWindowTitle(QStringLiteral("記録ビューア - ") + FileName(files.stem));

  const QSignalBlocker quiet(channelList_);
  channelList_->clear();
  for (int c = 1; c <= kChannels; ++c) {
    channelList_->addItem(QString::fromStdString(ChannelLabel(names_, c)));
  }
  channelList_->setCurrentRow(channel_ - 1);
  channelList_->setFixedWidth(std::max(72, channelList_->sizeHintForColumn(0) + 28));
  channelList_->setEnabled(false);
  UpdateFilesLine();

  recordBytes_ = ConversionBytes(files, kRecordFiles);
  totalBytes_ = ConversionBytes(files, kAllConversionFiles);
  progress_ = std::make_shared<LoadProgress>(0);
  const auto loaded = [progress = progress_, bytes = recordBytes_] {
    return bytes == 0 ? 0.0 : static_cast<double>(progress->load()) / bytes;
  };
  for (WorkPage* page : {timePage_, peaksPage_})
    page->ShowWorking(QStringLiteral("読み込み中"), loaded);
  spectraPanel_->ShowLoading([progress = progress_, total = totalBytes_] {
    return total == 0 ? 0.0 : static_cast<double>(progress->load()) / total;
  });
  rotdPanel_->ShowLoading(loaded);
  responsePage_->ShowWorking(QStringLiteral("読み込み中"), loaded);
  intensityPanel_->ShowLoading(loaded);
  buildingTab_->ShowLoading(loaded);
  statusBar()->showMessage(QStringLiteral("読み込み中"));
  loadBar_->setValue(0);
  loadBar_->setVisible(true);
  progressTimer_->start();
  UpdateActions();

  loadRequest_.Run([files, progress = progress_](const StaleFlag&) {
    auto session = std::make_shared<Session>();
    session->files = files;
    session->data = LoadConversion(files, kRecordFiles, progress.get());
    const ChannelTable* acc = session->data.table(ConversionFile::kAcceleration);
    session->peaks = FindChannelPeaks(acc, session->data.table(ConversionFile::kVelocity),
                                      session->data.table(ConversionFile::kDisplacement));
    if (acc != nullptr && acc->rows() >= 2) {
      session->timeDecimals = StepDecimals(acc->column(0)[1] - acc->column(0)[0]);
    }
    return session;
  });
  return true;
}

// The records are in: the channel is drawn at once, before the work that follows it (the
// spectra, a good half of the bytes; the response spectra; the intensity measures) takes the
// processors.
void ViewerWindow::RecordsLoaded(std::shared_ptr<Session> session) {
  session_ = std::move(session);
  FillPeaksTable();
  peaksPage_->ShowContent();
  channelList_->setEnabled(true);
  channelList_->setFocus();
  timePage_->ShowContent();
  ShowChannelNow(channel_);
  UpdateFilesLine();
  UpdateActions();

  spectraRequest_.Run([session = session_, progress = progress_](const StaleFlag&) {
    return Spectra{session, std::make_shared<ConversionData>(
                                LoadConversion(session->files, kSpectrumFiles, progress.get()))};
  });
  const ConversionData& data = session_->data;
  const ChannelTable* acc = data.table(ConversionFile::kAcceleration);
  const std::string& error = data.error(ConversionFile::kAcceleration);
  const std::shared_ptr<const ChannelTable> shared =
      acc != nullptr ? std::shared_ptr<const ChannelTable>(session_, acc) : nullptr;
  const QString notice = error.empty()
                             ? QString()
                             : QStringLiteral("読み込めません: ") + QString::fromStdString(error);
  intensityPanel_->SetRecord(shared, data.files.path(ConversionFile::kAcceleration), names_,
                             notice);
  rotdPanel_->SetRecord(shared, data.files.path(ConversionFile::kAcceleration), names_, notice);
  buildingTab_->SetRecord(std::shared_ptr<const ConversionData>(session_, &session_->data), names_);
  StartResponse();
  ShowLoadFailures();
}

void ViewerWindow::SpectraLoaded(const Spectra& spectra) {
  if (spectra.session != session_) return;
  progressTimer_->stop();
  for (const ConversionFile file : kSpectrumFiles) {
    const int index = static_cast<int>(file);
    session_->data.tables[index] = std::move(spectra.data->tables[index]);
    session_->data.errors[index] = std::move(spectra.data->errors[index]);
  }
  loadBar_->setVisible(false);
  UpdateFilesLine();
  // From here on the session's data do not change: the spectra's workers may read them.
  spectraPanel_->SetData(std::shared_ptr<const ConversionData>(session_, &session_->data), channel_,
                         ChannelText(channel_));
  ShowLoadFailures();
}

void ViewerWindow::ShowLoadFailures() {
  QStringList failures;
  for (const std::string& error : session_->data.errors) {
    if (!error.empty()) failures << QString::fromStdString(error);
  }
  if (failures.isEmpty()) {
    statusBar()->showMessage(spectraRequest_.IsIdle() ? QStringLiteral("読み込み完了")
                                                      : QStringLiteral("スペクトルを読み込み中"));
    return;
  }
  statusBar()->showMessage(QStringLiteral("読み込めないファイルがあります"));
  ShowError(QStringLiteral("読み込めないファイルがあります (そのグラフには理由を表示します):\n") +
            failures.join("\n"));
}

void ViewerWindow::ShowError(const QString& text) {
  errorLabel_->setText(text);
  errorLabel_->setVisible(true);
  statusBar()->showMessage(text.section('\n', 0, 0));
}

QString ViewerWindow::ErrorText() const {
  return errorLabel_->isHidden() ? QString() : errorLabel_->text();
}

void ViewerWindow::UpdateFilesLine() {
  static const char* const kNames[] = {"加速度", "速度", "変位", "速度スペクトル",
                                       "変位スペクトル"};
  QStringList parts;
  for (int i = 0; i < kConversionFileCount; ++i) {
    const ConversionFile file = kAllConversionFiles[i];
    QString state;
    if (!files_.has(file)) {
      state = QStringLiteral("<span style='color:#a00'>なし</span>");
    } else if (session_ != nullptr && !session_->data.error(file).empty()) {
      state = QStringLiteral("<span style='color:#a00'>読めません</span>");
    } else {
      state = QStringLiteral("<span style='color:#060'>あり</span>");
    }
    // Each entry in one piece: a break inside a word reads as two words.
    parts << "<span style='white-space:nowrap'>" + QString::fromUtf8(kNames[i]) + " " + state +
                 "</span>";
  }
  filesLabel_->setText("<b>" + FileName(files_.stem).toHtmlEscaped() + "</b> &nbsp; " +
                       parts.join(QStringLiteral(" &nbsp;|&nbsp; ")));
  QStringList paths;
  for (const std::string& path : files_.paths) paths << QString::fromStdString(path);
  filesLabel_->setToolTip(paths.join('\n'));
}

QString ViewerWindow::ChannelText(int channel) const {
  return QString::fromStdString(ChannelLabel(names_, channel));
}

void ViewerWindow::ShowChannel(int channel) {
  DrawChannel(channel, /*now=*/false);
  spectraPanel_->SetChannel(channel, ChannelText(channel));
  StartResponse();
}

void ViewerWindow::ShowChannelNow(int channel) { DrawChannel(channel, /*now=*/true); }

bool ViewerWindow::IsLoaded() const { return session_ != nullptr; }

bool ViewerWindow::IsSettled() const {
  return session_ != nullptr && loadRequest_.IsIdle() && spectraRequest_.IsIdle() &&
         responseRequest_.IsIdle() && intensityPanel_->IsUpToDate() &&
         spectraPanel_->IsUpToDate() && rotdPanel_->IsUpToDate() && buildingTab_->IsUpToDate();
}

void ViewerWindow::DrawChannel(int channel, bool now) {
  const auto when = now ? QCustomPlot::rpImmediateRefresh : QCustomPlot::rpQueuedReplot;
  channel_ = channel;
  readout_->clear();
  if (session_ == nullptr) return;
  timeFigure_->ShowChannel(session_->data, channel, ChannelText(channel));
  timeFigure_->ResetView();
  timePlot_->replot(when);
}

void ViewerWindow::StartResponse() {
  if (session_ == nullptr) return;
  const ChannelTable* acc = session_->data.table(ConversionFile::kAcceleration);
  responseProgress_ = std::make_shared<std::atomic<int>>(0);
  responsePage_->ShowWorking(QStringLiteral("計算中"), [progress = responseProgress_] {
    return progress->load() / static_cast<double>(kResponseChunks);
  });
  responseRequest_.Run([session = session_, acc, channel = channel_, damping = damping_,
                        progress = responseProgress_](const StaleFlag& stale) {
    Response response{session.get(), channel, damping, nullptr, {}};
    if (acc == nullptr) {
      response.notice = QStringLiteral("加速度ファイルがないため計算できません");
      return response;
    }
    try {
      response.spectrum =
          ComputeResponseInChunks(*acc, session->files.path(ConversionFile::kAcceleration), channel,
                                  damping, *progress, stale);
    } catch (const DataError& error) {
      response.notice = QStringLiteral("計算できません: ") + QString::fromStdString(error.what());
    } catch (const std::bad_alloc&) {
      response.notice = QStringLiteral("メモリが足りないため計算できません");
    }
    return response;
  });
}

void ViewerWindow::ResponseComputed(const Response& response) {
  if (response.session != session_.get()) return;
  responseFigure_->ShowResponse(response.spectrum.get(), response.damping, response.notice);
  responseFigure_->ResetView();
  responsePlot_->replot(QCustomPlot::rpQueuedReplot);
  responsePage_->ShowContent();
}

void ViewerWindow::FillPeaksTable() {
  // One number form per column: the values to four digits of the column's largest, the times
  // to the decimals of the sampling step.
  static constexpr Peak ChannelPeaks::*kTraces[] = {
      &ChannelPeaks::acceleration, &ChannelPeaks::velocity, &ChannelPeaks::displacement};
  int decimals[std::size(kTraces)] = {};
  for (std::size_t t = 0; t < std::size(kTraces); ++t) {
    std::vector<double> values;
    for (const ChannelPeaks& peaks : session_->peaks) {
      if ((peaks.*kTraces[t]).found) values.push_back((peaks.*kTraces[t]).value);
    }
    decimals[t] = ColumnDecimals(values, kPeakSignificant);
  }
  for (int c = 1; c <= kChannels; ++c) {
    const ChannelPeaks& peaks = session_->peaks[c - 1];
    QString cells[kPeakColumnCount] = {QString::number(c), QString::fromStdString(names_[c - 1])};
    for (std::size_t t = 0; t < std::size(kTraces); ++t) {
      const Peak& peak = peaks.*kTraces[t];
      if (!peak.found) continue;
      cells[2 + 2 * t] = QString::fromStdString(FixedText(peak.value, decimals[t]));
      cells[3 + 2 * t] = QString::fromStdString(FixedText(peak.time, session_->timeDecimals));
    }
    for (int column = 0; column < kPeakColumnCount; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment((column == 1 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
      peaksTable_->setItem(c - 1, column, item);
    }
  }
}

void ViewerWindow::CopyPeaks() {
  QApplication::clipboard()->setText(TabSeparatedText(*peaksTable_, kPeakColumns));
  statusBar()->showMessage(QStringLiteral("最大値の表をコピーしました"), 3000);
}

void ViewerWindow::ResetView() {
  for (auto [plot, figure] :
       {std::pair{timePlot_, timeFigure_}, std::pair{responsePlot_, responseFigure_}}) {
    figure->ResetView();
    plot->replot(QCustomPlot::rpQueuedReplot);
  }
  spectraPanel_->ResetView();
  rotdPanel_->ResetView();
}

Picture ViewerWindow::CurrentPicture() const {
  QWidget* tab = tabs_->currentWidget();
  const auto titled = [this](const ChannelFigure* figure, QCustomPlot* plot) {
    return Picture{FigureTitle(files_, names_, channel_, figure->Quantity()), {plot}};
  };
  if (tab == timePage_) return titled(timeFigure_, timePlot_);
  if (tab == spectraPanel_) {
    return Picture{
        FigureTitle(
            files_, names_, channel_,
            QStringLiteral("フーリエ振幅スペクトル (平滑化 ") +
                QString::fromStdString(SmoothingText(spectraPanel_->chooser()->Smoothing())) + ")"),
        {spectraPanel_->plot()}};
  }
  if (tab == responseTab_) {
    Picture picture = titled(responseFigure_, responsePlot_);
    picture.plots.push_back(rotdPanel_->plot());
    return picture;
  }
  if (tab == intensityPanel_) {
    const QString station = intensityPanel_->chooser()->StationName();
    const IntensityComponents c = intensityPanel_->chooser()->Components();
    return intensityPanel_->PictureWithTitle(
        FileName(files_.stem) + "  " +
        (station.isEmpty() ? QString::fromStdString(ComponentsText(c)) + "ch" : station) + "  " +
        QStringLiteral("震度・指標"));
  }
  if (tab == buildingTab_) return buildingTab_->PictureWithTitle(FileName(files_.stem));
  return {};
}

void ViewerWindow::UpdateActions() {
  // A table has no picture: 表をコピー takes it out.
  QWidget* tab = tabs_->currentWidget();
  const bool picture = session_ != nullptr && tab != peaksTab_ &&
                       (tab != buildingTab_ || buildingTab_->HasPicture());
  saveAction_->setEnabled(picture);
  printAction_->setEnabled(picture);
  saveButton_->setEnabled(picture);
  resetButton_->setEnabled(session_ != nullptr && tab != peaksTab_ && tab != intensityPanel_ &&
                           tab != buildingTab_);
}

void ViewerWindow::SaveView() {
  const Picture picture = CurrentPicture();
  if (picture.plots.empty()) return;
  QSettings settings = Settings();
  const QString folder = settings.value("lastFolder", QDir::homePath()).toString();
  const QString suggested = FileName(files_.stem) + "_" + QString::number(channel_) + "ch.png";
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("画像を保存"), QDir(folder).filePath(suggested),
      QStringLiteral("PNG 画像 (*.png);;PDF (*.pdf)"));
  if (path.isEmpty()) return;
  try {
    SavePicture(picture, path.toStdString(), PageSize::kA4, kDefaultPictureDpi);
    statusBar()->showMessage(path + QStringLiteral(" に保存しました (A4 横)"), 4000);
  } catch (const DataError& error) {
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("画像を保存できませんでした: ") + path + "\n\n" +
                             QString::fromStdString(error.what()));
  }
}

void ViewerWindow::PrintView() {
  const Picture picture = CurrentPicture();
  if (picture.plots.empty()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(picture.title);
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  if (dialog.exec() != QDialog::Accepted) return;
  PrintPicture(picture, printer);
  statusBar()->showMessage(QStringLiteral("印刷しました"), 4000);
}

void ViewerWindow::ShowGuide() {
  auto* guide = findChild<QDialog*>(QStringLiteral("guide"));
  if (guide == nullptr) {
    guide = new QDialog(this);
    guide->setObjectName(QStringLiteral("guide"));
    guide->setWindowTitle(QStringLiteral("使い方 - accprep"));
    auto* browser = new QTextBrowser;
    browser->setOpenExternalLinks(true);
    const QUrl source(QStringLiteral("qrc:/guide/guide-ja.md"));
    if (QFile::exists(QStringLiteral(":/guide/guide-ja.md"))) {
      browser->setSource(source, QTextDocument::MarkdownResource);
    } else {
      browser->setPlainText(QStringLiteral("使い方の文書がこのプログラムに含まれていません。"));
    }
    auto* layout = new QVBoxLayout(guide);
    layout->addWidget(browser);
    const QRect available = screen()->availableGeometry();
    guide->resize(std::min(900, available.width() - 80), std::min(700, available.height() - 80));
  }
  guide->show();
  guide->raise();
  guide->activateWindow();
}

void ViewerWindow::ShowVersion() {
  QMessageBox::about(this, QStringLiteral("バージョン情報"),
                     QStringLiteral("accprep-view (記録ビューア) ") +
                         QCoreApplication::applicationVersion() +
                         QStringLiteral("\n\n変換の記録 (加速度・速度・変位とそのスペクトル) を"
                                        "表示し、最大値・応答スペクトル・震度を求めます。"));
}

void ViewerWindow::RememberRecent(const QString& path) {
  QSettings settings = Settings();
  QStringList recent = settings.value("recentFiles").toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentFiles) recent.removeLast();
  settings.setValue("recentFiles", recent);
  FillRecentMenu();
}

void ViewerWindow::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList recent = Settings().value("recentFiles").toStringList();
  for (int i = 0; i < recent.size(); ++i) {
    const QString path = recent[i];
    recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this,
                           [this, path] { Open(path); });
  }
  recentMenu_->setEnabled(!recent.isEmpty());
}

void ViewerWindow::WriteReport() const {
  // key=value lines, rewritten whole: where the controls stand on the screen and what the
  // window shows.
  QStringList lines;
  lines << "record=" + openedPath_;
  lines << QStringLiteral("loaded=%1").arg(IsLoaded() ? 1 : 0);
  lines << QStringLiteral("settled=%1").arg(IsSettled() ? 1 : 0);
  lines << "tab=" + tabs_->tabText(tabs_->currentIndex());
  lines << "readout=" + readout_->text();
  lines << "error=" + ErrorText().replace('\n', ' ');
  lines << "channel=" + QString::number(channel_);
  lines << "station=" + intensityPanel_->chooser()->StationName();
  lines << "components=" +
               QString::fromStdString(ComponentsText(intensityPanel_->chooser()->Components()));
  lines << QStringLiteral("warning=%1").arg(intensityPanel_->chooser()->WarningShown() ? 1 : 0);
  // The spectra tab: its smoothing and the points of each curve shown; the RotD part: its two
  // channels, and whether its curves stand in their order (RotD100 >= both components >=
  // RotD00 holds by definition, RotD100 >= RotD50).
  lines << "smoothing=" +
               QString::fromStdString(SmoothingText(spectraPanel_->chooser()->Smoothing()));
  QStringList points;
  for (const SpectrumCurve& curve : spectraPanel_->Shown().curves) {
    points << QString::number(curve.frequencies.size());
  }
  lines << "spectra_points=" + points.join(' ');
  const RotDCurves& rotd = rotdPanel_->Shown();
  lines << QStringLiteral("rotd_pair=%1,%2").arg(rotd.pair.horizontal1).arg(rotd.pair.horizontal2);
  lines << QStringLiteral("rotd_points=%1").arg(rotd.spectrum.periods.size());
  bool ordered = !rotd.spectrum.values.empty();
  for (const RotDValues& v : rotd.spectrum.values) {
    ordered = ordered && v.rotd100 >= std::max(v.horizontal1, v.horizontal2) &&
              v.rotd100 >= v.rotd50 && v.rotd50 > 0.0;
  }
  lines << QStringLiteral("rotd_ordered=%1").arg(ordered ? 1 : 0);
  const QRect screenArea = screen()->geometry();
  lines << QStringLiteral("screen=%1 %2").arg(screenArea.width()).arg(screenArea.height());
  const auto place = [&lines](const QString& name, const QWidget* widget) {
    if (!widget->isVisible()) return;
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    lines << QStringLiteral("control=%1 %2 %3 %4 %5")
                 .arg(name)
                 .arg(at.x())
                 .arg(at.y())
                 .arg(widget->width())
                 .arg(widget->height());
  };
  const QRect frame = frameGeometry();
  lines << QStringLiteral("control=frame %1 %2 %3 %4")
               .arg(frame.x())
               .arg(frame.y())
               .arg(frame.width())
               .arg(frame.height());
  place("window", this);
  place("menubar", menuBar());
  place("channels", channelList_);
  place("tabs", tabs_);
  place("reset", resetButton_);
  place("save", saveButton_);
  place("readout", readout_);
  place("statusbar", statusBar());
  place("copy", copyButton_);
  place("damping", dampingBox_);
  for (int i = 0; i < tabs_->count(); ++i) {
    const QRect tab = tabs_->tabBar()->tabRect(i);
    const QPoint at = tabs_->tabBar()->mapToGlobal(tab.topLeft());
    lines << QStringLiteral("tabrect=%1 %2 %3 %4 %5")
                 .arg(i)
                 .arg(at.x())
                 .arg(at.y())
                 .arg(tab.width())
                 .arg(tab.height());
  }
  for (const QPushButton* button : intensityPanel_->findChildren<QPushButton*>()) {
    place("intensity-button", button);
  }
  for (const QWidget* box : intensityPanel_->chooser()->findChildren<QComboBox*>()) {
    place("chooser-" + box->accessibleName(), box);
  }
  for (const QWidget* box : rotdPanel_->chooser()->findChildren<QComboBox*>()) {
    place("rotd-chooser-" + box->accessibleName(), box);
  }
  for (const QWidget* box : spectraPanel_->chooser()->findChildren<QWidget*>()) {
    if (!box->accessibleName().isEmpty()) place("smoothing-" + box->accessibleName(), box);
  }
  lines << "building_layout=" + buildingTab_->LayoutNotice().replace('\n', ' ');
  lines << "building_pair=" + QString::fromStdString(ChannelPairText(buildingTab_->Pair()));
  for (const QWidget* box : buildingTab_->findChildren<QComboBox*>()) {
    place("building-" + box->accessibleName(), box);
  }
  for (const QPushButton* button : buildingTab_->findChildren<QPushButton*>()) {
    place("building-button", button);
  }
  for (const QDoubleSpinBox* box : buildingTab_->findChildren<QDoubleSpinBox*>()) {
    place("building-" + box->accessibleName(), box);
  }
  if (const auto* parts = buildingTab_->findChild<QTabWidget*>()) {
    lines << "building_part=" + parts->tabText(parts->currentIndex());
    for (int i = 0; i < parts->count(); ++i) {
      const QRect tab = parts->tabBar()->tabRect(i);
      const QPoint at = parts->tabBar()->mapToGlobal(tab.topLeft());
      lines << QStringLiteral("parttabrect=%1 %2 %3 %4 %5")
                   .arg(i)
                   .arg(at.x())
                   .arg(at.y())
                   .arg(tab.width())
                   .arg(tab.height());
    }
  }
  // The acceleration panel: its place on the screen and its time range, so that a point of a
  // known sample can be found.
  if (timePlot_->isVisible() && timePlot_->axisRectCount() > 0) {
    const QCPAxisRect* rect = timePlot_->axisRect(0);
    const QPoint at = timePlot_->mapToGlobal(rect->topLeft());
    const QCPRange range = rect->axis(QCPAxis::atBottom)->range();
    lines << QStringLiteral("time_rect=%1 %2 %3 %4")
                 .arg(at.x())
                 .arg(at.y())
                 .arg(rect->width())
                 .arg(rect->height());
    lines << QStringLiteral("time_range=%1 %2")
                 .arg(range.lower, 0, 'g', 17)
                 .arg(range.upper, 0, 'g', 17);
  }
  QSaveFile file(reportPath_);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write((lines.join('\n') + '\n').toUtf8());
  file.commit();
}

}  // namespace accprep
