#include "viewer/viewer_window.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/time_step.hpp"
#include "viewer/channel_figure.hpp"
#include "viewer/figure_export.hpp"
#include "viewer/intensity_panel.hpp"
#include "viewer/table_copy.hpp"

namespace accprep {
namespace {

// The records are shown first; their spectra follow.
constexpr ConversionFile kRecordFiles[] = {ConversionFile::kAcceleration, ConversionFile::kVelocity,
                                           ConversionFile::kDisplacement};
constexpr ConversionFile kSpectrumFiles[] = {ConversionFile::kVelocitySpectrum,
                                             ConversionFile::kDisplacementSpectrum};

const char* const kPeakHeaders[] = {"channel", "PGA", "tPGA", "PGV", "tPGV", "PGD", "tPGD"};

QString PeakText(const Peak& peak, bool time) {
  if (!peak.found) return {};
  return QString::fromStdString(FormatNumber(time ? peak.time : peak.value));
}

QString Name(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

}  // namespace

ViewerWindow::ViewerWindow(const ConversionFiles& files, int channel, double damping,
                           const ChannelNames& names)
    : files_(files), names_(names), channel_(channel), damping_(damping) {
  CreateControls();
  LayOut();
  ConnectSignals();
  StartLoading();
}

ViewerWindow::~ViewerWindow() {
  // The workers hold no pointer into the window, but their results must not outlive it.
  loadWatcher_->waitForFinished();
  spectraWatcher_->waitForFinished();
  responseWatcher_->waitForFinished();
  intensityPanel_->WaitForWork();  // it reads the loaded table, which goes first
}

void ViewerWindow::CreateControls() {
  setWindowTitle(QStringLiteral("記録ビューア - ") +
                 QFileInfo(QString::fromStdString(files_.stem)).fileName());
  channelList_ = new QListWidget;
  for (int c = 1; c <= kChannels; ++c) {
    channelList_->addItem(QString::fromStdString(ChannelLabel(names_, c)));
  }
  channelList_->setCurrentRow(channel_ - 1);
  channelList_->setFixedWidth(std::max(72, channelList_->sizeHintForColumn(0) + 28));
  channelList_->setEnabled(false);

  filesLabel_ = new QLabel;
  filesLabel_->setTextFormat(Qt::RichText);
  filesLabel_->setWordWrap(true);
  filesLabel_->setText(FilesSummary());

  timePlot_ = new QCustomPlot;
  fourierPlot_ = new QCustomPlot;
  responsePlot_ = new QCustomPlot;
  timeFigure_ = new ChannelFigure(timePlot_, ChannelFigure::kTimeHistories, false);
  fourierFigure_ = new ChannelFigure(fourierPlot_, ChannelFigure::kFourierSpectra, false);
  responseFigure_ = new ChannelFigure(responsePlot_, ChannelFigure::kResponseSpectra, false);

  peaksTable_ = new QTableWidget(kChannels, 7);
  QStringList headers;
  headers << QStringLiteral("チャンネル") << "PGA (gal)" << QStringLiteral("時刻 (s)")
          << "PGV (cm/s)" << QStringLiteral("時刻 (s)") << "PGD (cm)" << QStringLiteral("時刻 (s)");
  peaksTable_->setHorizontalHeaderLabels(headers);
  peaksTable_->verticalHeader()->setVisible(false);
  peaksTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  peaksTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  copyButton_ = new QPushButton(QStringLiteral("表をコピー"));
  intensityPanel_ = new IntensityPanel(names_);

  tabs_ = new QTabWidget;
  dampingBox_ = new QDoubleSpinBox;
  dampingBox_->setRange(0.0, 99.0);
  dampingBox_->setDecimals(1);
  dampingBox_->setSingleStep(1.0);
  dampingBox_->setSuffix(" %");
  dampingBox_->setValue(damping_ * 100.0);
  dampingBox_->setKeyboardTracking(false);

  resetButton_ = new QPushButton(QStringLiteral("表示をリセット"));
  saveButton_ = new QPushButton(QStringLiteral("画像を保存..."));
  readout_ = new QLabel;
  readout_->setMinimumWidth(360);
  loadBar_ = new QProgressBar;
  loadBar_->setRange(0, 1000);
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(50);
  loadWatcher_ = new QFutureWatcher<Loaded*>(this);
  spectraWatcher_ = new QFutureWatcher<ConversionData*>(this);
  responseWatcher_ = new QFutureWatcher<Response>(this);
}

void ViewerWindow::LayOut() {
  auto* peaksPage = new QWidget;
  auto* peaksLayout = new QVBoxLayout(peaksPage);
  peaksLayout->addWidget(peaksTable_);
  auto* copyRow = new QHBoxLayout;
  copyRow->addStretch();
  copyRow->addWidget(copyButton_);
  peaksLayout->addLayout(copyRow);

  auto* responsePage = new QWidget;
  auto* responseLayout = new QVBoxLayout(responsePage);
  responseLayout->setContentsMargins(0, 0, 0, 0);
  auto* dampingRow = new QHBoxLayout;
  dampingRow->addWidget(new QLabel(QStringLiteral("減衰定数")));
  dampingRow->addWidget(dampingBox_);
  dampingRow->addStretch();
  responseLayout->addLayout(dampingRow);
  responseLayout->addWidget(responsePlot_, 1);

  tabs_->addTab(timePlot_, QStringLiteral("時刻歴 (加速度・速度・変位)"));
  tabs_->addTab(fourierPlot_, QStringLiteral("フーリエ振幅スペクトル"));
  tabs_->addTab(responsePage, QStringLiteral("応答スペクトル"));
  tabs_->addTab(peaksPage, QStringLiteral("最大値"));
  tabs_->addTab(intensityPanel_, QStringLiteral("震度・指標"));

  auto* tools = new QHBoxLayout;
  tools->addWidget(resetButton_);
  tools->addWidget(saveButton_);
  tools->addStretch();
  tools->addWidget(readout_);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->addWidget(filesLabel_);
  rightLayout->addWidget(tabs_, 1);
  rightLayout->addLayout(tools);

  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  row->addWidget(channelList_);
  row->addWidget(right, 1);
  setCentralWidget(central);
  statusBar()->addPermanentWidget(loadBar_, 1);
  resize(1280, 860);
}

void ViewerWindow::ConnectSignals() {
  connect(channelList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowChannel(row + 1);
  });
  connect(dampingBox_, &QDoubleSpinBox::valueChanged, this, [this](double percent) {
    damping_ = percent / 100.0;
    StartResponse();
  });
  connect(copyButton_, &QPushButton::clicked, this, &ViewerWindow::CopyPeaks);
  auto* copyShortcut = new QShortcut(QKeySequence::Copy, peaksTable_);
  connect(copyShortcut, &QShortcut::activated, this, &ViewerWindow::CopyPeaks);
  connect(resetButton_, &QPushButton::clicked, this, &ViewerWindow::ResetView);
  connect(saveButton_, &QPushButton::clicked, this, &ViewerWindow::SaveView);
  connect(progressTimer_, &QTimer::timeout, this, [this] {
    if (totalBytes_ > 0)
      loadBar_->setValue(static_cast<int>(1000.0 * progress_.load() / totalBytes_));
  });
  connect(loadWatcher_, &QFutureWatcher<Loaded*>::finished, this, &ViewerWindow::LoadingFinished);
  connect(spectraWatcher_, &QFutureWatcher<ConversionData*>::finished, this,
          &ViewerWindow::SpectraFinished);
  connect(responseWatcher_, &QFutureWatcher<Response>::finished, this,
          &ViewerWindow::ResponseFinished);
  const std::pair<QCustomPlot*, ChannelFigure*> plots[] = {
      {timePlot_, timeFigure_}, {fourierPlot_, fourierFigure_}, {responsePlot_, responseFigure_}};
  for (const auto& [plot, figure] : plots) {
    plot->setMouseTracking(true);
    connect(plot, &QCustomPlot::mouseMove, this,
            [this, plot = plot, figure = figure](QMouseEvent* event) {
              UpdateReadout(plot, figure, event->pos());
            });
  }
}

QString ViewerWindow::FilesSummary() const {
  static const char* const kNames[] = {"加速度", "速度", "変位", "速度フーリエ振幅",
                                       "変位フーリエ振幅"};
  QStringList parts;
  for (int i = 0; i < kConversionFileCount; ++i) {
    const ConversionFile file = kAllConversionFiles[i];
    QString state;
    if (!files_.has(file)) {
      state = QStringLiteral("<span style='color:#a00'>ファイルがありません</span>");
    } else if (data_ != nullptr && !data_->data.error(file).empty()) {
      state = QStringLiteral("<span style='color:#a00'>読み込めません</span>");
    } else {
      state = QStringLiteral("<span style='color:#060'>あり</span>");
    }
    parts << QString::fromUtf8(kNames[i]) + ": " + Name(files_.path(file)).toHtmlEscaped() + " " +
                 state;
  }
  return parts.join(QStringLiteral(" &nbsp;|&nbsp; "));
}

void ViewerWindow::StartLoading() {
  totalBytes_ = ConversionBytes(files_, kAllConversionFiles);
  statusBar()->showMessage(QStringLiteral("読み込み中"));
  progressTimer_->start();
  const ConversionFiles files = files_;
  LoadProgress* progress = &progress_;
  loadWatcher_->setFuture(QtConcurrent::run([files, progress]() -> Loaded* {
    auto loaded = std::make_unique<Loaded>();
    loaded->data = LoadConversion(files, kRecordFiles, progress);
    loaded->peaks = FindChannelPeaks(loaded->data.table(ConversionFile::kAcceleration),
                                     loaded->data.table(ConversionFile::kVelocity),
                                     loaded->data.table(ConversionFile::kDisplacement));
    return loaded.release();
  }));
}

// The records are in: the channel is drawn at once, before the work that follows it (the
// spectra, a good half of the bytes; the response spectra; the intensity measures) takes the
// processors.
void ViewerWindow::LoadingFinished() {
  data_.reset(loadWatcher_->result());
  filesLabel_->setText(FilesSummary());
  FillPeaksTable();
  channelList_->setEnabled(true);
  channelList_->setFocus();
  ShowChannelNow(channel_);

  const ConversionFiles files = files_;
  LoadProgress* progress = &progress_;
  spectraWatcher_->setFuture(QtConcurrent::run([files, progress]() {
    return new ConversionData(LoadConversion(files, kSpectrumFiles, progress));
  }));
  intensityPanel_->SetRecord(data_->data);
  StartResponse();
}

void ViewerWindow::SpectraFinished() {
  progressTimer_->stop();
  const std::unique_ptr<ConversionData> spectra(spectraWatcher_->result());
  for (const ConversionFile file : kSpectrumFiles) {
    const int index = static_cast<int>(file);
    data_->data.tables[index] = std::move(spectra->tables[index]);
    data_->data.errors[index] = std::move(spectra->errors[index]);
  }
  loadBar_->setVisible(false);
  filesLabel_->setText(FilesSummary());
  fourierFigure_->ShowChannel(data_->data, channel_);
  fourierFigure_->ResetView();
  fourierPlot_->replot(QCustomPlot::rpQueuedReplot);
  ShowLoadFailures();
}

void ViewerWindow::ShowLoadFailures() {
  QStringList failures;
  for (const std::string& error : data_->data.errors) {
    if (!error.empty()) failures << QString::fromStdString(error);
  }
  statusBar()->showMessage(failures.isEmpty() ? QStringLiteral("読み込み完了")
                                              : QStringLiteral("読み込めないファイルがあります"));
  if (!failures.isEmpty()) QMessageBox::warning(this, windowTitle(), failures.join("\n"));
}

void ViewerWindow::ShowChannel(int channel) {
  DrawChannel(channel, /*now=*/false);
  StartResponse();
}

void ViewerWindow::ShowChannelNow(int channel) { DrawChannel(channel, /*now=*/true); }

void ViewerWindow::DrawChannel(int channel, bool now) {
  const auto when = now ? QCustomPlot::rpImmediateRefresh : QCustomPlot::rpQueuedReplot;
  channel_ = channel;
  if (data_ == nullptr) return;
  timeFigure_->ShowChannel(data_->data, channel);
  fourierFigure_->ShowChannel(data_->data, channel);
  timeFigure_->ResetView();
  fourierFigure_->ResetView();
  timePlot_->replot(when);
  fourierPlot_->replot(when);
}

void ViewerWindow::StartResponse() {
  if (data_ == nullptr) return;
  if (responseWatcher_->isRunning()) {
    // One computation at a time; the newest settings are taken up when it ends.
    responsePending_ = true;
    return;
  }
  responsePending_ = false;
  const ChannelTable* acc = data_->data.table(ConversionFile::kAcceleration);
  const std::string accPath = files_.path(ConversionFile::kAcceleration);
  const int channel = channel_;
  const double damping = damping_;
  responseWatcher_->setFuture(QtConcurrent::run([acc, accPath, channel, damping]() {
    Response response{channel, damping, std::nullopt, {}};
    if (acc == nullptr) {
      response.notice = QStringLiteral("加速度ファイルがないため計算できません");
      return response;
    }
    try {
      const double step = UniformTimeStep(acc->column(0), accPath, acc->firstLine());
      const std::vector<double> periods = ResponsePeriods();
      response.spectrum = ComputeResponseSpectrum(acc->column(channel), step, periods, damping);
    } catch (const DataError& error) {
      response.notice = QString::fromStdString(error.what());
    }
    return response;
  }));
}

void ViewerWindow::ResponseFinished() {
  const Response response = responseWatcher_->result();
  if (responsePending_ || response.channel != channel_ || response.damping != damping_) {
    StartResponse();
    return;
  }
  responseFigure_->ShowResponse(response.spectrum ? &*response.spectrum : nullptr, damping_,
                                response.notice);
  responseFigure_->ResetView();
  responsePlot_->replot(QCustomPlot::rpQueuedReplot);
}

void ViewerWindow::FillPeaksTable() {
  for (int c = 1; c <= kChannels; ++c) {
    const ChannelPeaks& peaks = data_->peaks[c - 1];
    const QString cells[] = {
        QString::number(c) + "ch",          PeakText(peaks.acceleration, false),
        PeakText(peaks.acceleration, true), PeakText(peaks.velocity, false),
        PeakText(peaks.velocity, true),     PeakText(peaks.displacement, false),
        PeakText(peaks.displacement, true)};
    for (int column = 0; column < 7; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      peaksTable_->setItem(c - 1, column, item);
    }
  }
}

void ViewerWindow::CopyPeaks() {
  QApplication::clipboard()->setText(TabSeparatedText(*peaksTable_, kPeakHeaders));
  statusBar()->showMessage(QStringLiteral("最大値の表をコピーしました"), 3000);
}

void ViewerWindow::ResetView() {
  for (auto [plot, figure] :
       {std::pair{timePlot_, timeFigure_}, std::pair{fourierPlot_, fourierFigure_},
        std::pair{responsePlot_, responseFigure_}}) {
    figure->ResetView();
    plot->replot(QCustomPlot::rpQueuedReplot);
  }
}

void ViewerWindow::SaveView() {
  QCustomPlot* plot = tabs_->currentIndex() == 0   ? timePlot_
                      : tabs_->currentIndex() == 1 ? fourierPlot_
                      : tabs_->currentIndex() == 2 ? responsePlot_
                                                   : nullptr;
  if (plot == nullptr) {
    statusBar()->showMessage(QStringLiteral("表は「表をコピー」で取り出せます"), 4000);
    return;
  }
  const QString suggested =
      QString::fromStdString(files_.stem) + "_" + QString::number(channel_) + "ch.png";
  const QString path =
      QFileDialog::getSaveFileName(this, QStringLiteral("画像を保存"), suggested,
                                   QStringLiteral("PNG 画像 (*.png);;PDF (*.pdf)"));
  if (path.isEmpty()) return;
  const bool pdf = path.endsWith(".pdf", Qt::CaseInsensitive);
  const bool saved = pdf ? plot->savePdf(path) : plot->savePng(path);
  if (!saved) {
    QMessageBox::warning(this, windowTitle(), path + QStringLiteral(": 保存できませんでした"));
  } else {
    statusBar()->showMessage(path + QStringLiteral(" に保存しました"), 4000);
  }
}

void ViewerWindow::UpdateReadout(QCustomPlot*, ChannelFigure* figure, QPoint position) {
  readout_->setText(figure->Readout(position));
}

}  // namespace accprep
