#include "viewer/building_tab.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <complex>

#include "measures/story_drift.hpp"
#include "viewer/building_plots.hpp"
#include "viewer/column_format.hpp"
#include "viewer/smoothing_chooser.hpp"
#include "viewer/table_copy.hpp"
#include "viewer/work_page.hpp"

namespace accprep {
namespace {

// Headers with units, on screen and in the copied text alike.
constexpr TableColumn kLayoutColumns[] = {{"位置", "位置"},
                                          {"方向", "方向"},
                                          {"チャンネル", "チャンネル"},
                                          {"名前", "名前"},
                                          {"高さ (m)", "高さ (m)"}};
constexpr TableColumn kProfileColumns[] = {{"方向", "方向"},
                                           {"位置", "位置"},
                                           {"高さ (m)", "高さ (m)"},
                                           {"チャンネル", "チャンネル"},
                                           {"最大加速度 (gal)", "最大加速度 (gal)"},
                                           {"最大速度 (cm/s)", "最大速度 (cm/s)"},
                                           {"最大変位 (cm)", "最大変位 (cm)"},
                                           {"増幅率 (倍)", "増幅率 (倍)"}};
constexpr TableColumn kModeColumns[] = {{"方向", "方向"},
                                        {"次数", "次数"},
                                        {"振動数 (Hz)", "振動数 (Hz)"},
                                        {"周期 (s)", "周期 (s)"},
                                        {"減衰定数 (%)", "減衰定数 (%)"}};
constexpr TableColumn kDriftColumns[] = {{"方向", "方向"},
                                         {"層", "層"},
                                         {"下の階", "下の階"},
                                         {"上の階", "上の階"},
                                         {"階高 (m)", "階高 (m)"},
                                         {"最大層間変位 (cm)", "最大層間変位 (cm)"},
                                         {"層間変形角 (rad)", "層間変形角 (rad)"},
                                         {"層間変形角 (1/N)", "層間変形角 (1/N)"},
                                         {"時刻 (s)", "時刻 (s)"}};
constexpr int kSignificant = 4;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A value in the column's form; empty where it does not exist.
QString Cell(double value, int decimals) { return Text(FixedText(value, decimals)); }

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
  for (int column = 0; column < cells.size(); ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    bool number = false;
    cells[column].toDouble(&number);
    const bool text = !number && !cells[column].startsWith(QStringLiteral("1/"));
    item->setTextAlignment((text ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    table->setItem(row, column, item);
  }
}

// A table and its 表をコピー under it.
QWidget* WithCopyButton(QTableWidget* table, QPushButton* copy) {
  auto* part = new QWidget;
  auto* column = new QVBoxLayout(part);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(table, 1);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(copy);
  column->addLayout(row);
  return part;
}

QString Failure(const std::string& message) {
  return QStringLiteral("計算できません: ") + Text(message);
}

}  // namespace

BuildingTab::BuildingTab(QWidget* parent)
    : QWidget(parent),
      overviewRequest_(this, [this](OverviewOutcome outcome) { ShowOverview(outcome); }),
      transferRequest_(this, [this](TransferOutcome outcome) { ShowTransferResult(outcome); }),
      trackingRequest_(this, [this](TrackingOutcome outcome) { ShowTracking(outcome); }) {
  CreateControls();
  LayOut();
  ConnectSignals();
  ShowNotice(QStringLiteral("記録が開かれていません"));
}

BuildingTab::~BuildingTab() { WaitForWork(); }

void BuildingTab::CreateControls() {
  layoutLabel_ = new QLabel;
  layoutLabel_->setWordWrap(true);
  layoutLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pairLabel_ = new QLabel;
  directionBox_ = new QComboBox;
  directionBox_->setAccessibleName(QStringLiteral("方向"));
  inputBox_ = new QComboBox;
  inputBox_->setAccessibleName(QStringLiteral("入力"));
  outputBox_ = new QComboBox;
  outputBox_->setAccessibleName(QStringLiteral("出力"));
  for (QComboBox* box : {inputBox_, outputBox_}) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
  }
  smoothing_ = new SmoothingChooser;

  layoutTable_ = MakeTable(0, kLayoutColumns);
  profileTable_ = MakeTable(0, kProfileColumns);
  modesTable_ = MakeTable(0, kModeColumns);
  driftTable_ = MakeTable(0, kDriftColumns);
  profilePlot_ = new QCustomPlot;
  transferPlot_ = new QCustomPlot;
  driftPlot_ = new QCustomPlot;
  trackingPlot_ = new QCustomPlot;
  SetUpProfilePlot(profilePlot_);
  SetUpTransferPlot(transferPlot_);
  SetUpDriftPlot(driftPlot_);
  SetUpTrackingPlot(trackingPlot_);
  for (QCustomPlot* plot : {profilePlot_, transferPlot_, driftPlot_, trackingPlot_}) {
    plot->setMinimumHeight(160);
  }
  transferPage_ = new WorkPage(transferPlot_);
  trackingPage_ = new WorkPage(trackingPlot_);
}

void BuildingTab::LayOut() {
  const auto copyButton = [this](QTableWidget* table) {
    auto* button = new QPushButton(QStringLiteral("表をコピー"));
    connect(button, &QPushButton::clicked, this, [this, table] { CopyTable(table); });
    auto* shortcut = new QShortcut(QKeySequence::Copy, table);
    connect(shortcut, &QShortcut::activated, this, [this, table] { CopyTable(table); });
    return button;
  };
  const auto split = [](Qt::Orientation orientation, QWidget* first, QWidget* second,
                        QList<int> sizes) {
    auto* splitter = new QSplitter(orientation);
    splitter->addWidget(first);
    splitter->addWidget(second);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes(sizes);
    return splitter;
  };

  layoutPart_ = WithCopyButton(layoutTable_, copyButton(layoutTable_));
  profilePart_ = split(Qt::Vertical, profilePlot_,
                       WithCopyButton(profileTable_, copyButton(profileTable_)), {320, 160});
  auto* modesSide = new QWidget;
  auto* modesColumn = new QVBoxLayout(modesSide);
  modesColumn->setContentsMargins(0, 0, 0, 0);
  modesColumn->addWidget(new QLabel(QStringLiteral("固有振動数と減衰 (各方向の基部 → 頂部)")));
  modesColumn->addWidget(WithCopyButton(modesTable_, copyButton(modesTable_)), 1);
  transferPart_ = split(Qt::Horizontal, transferPage_, modesSide, {640, 360});
  driftPart_ = split(Qt::Vertical, driftPlot_, WithCopyButton(driftTable_, copyButton(driftTable_)),
                     {320, 160});

  parts_ = new QTabWidget;
  parts_->setDocumentMode(true);
  parts_->addTab(layoutPart_, QStringLiteral("配置"));
  parts_->addTab(profilePart_, QStringLiteral("最大値の分布"));
  parts_->addTab(transferPart_, QStringLiteral("伝達関数"));
  parts_->addTab(driftPart_, QStringLiteral("層間変形角"));
  parts_->addTab(trackingPage_, QStringLiteral("1次振動数の推移"));
  parts_->setCurrentWidget(profilePart_);

  auto* overview = new QWidget;
  auto* overviewColumn = new QVBoxLayout(overview);
  overviewColumn->setContentsMargins(0, 0, 0, 0);
  overviewColumn->addWidget(layoutLabel_);
  overviewColumn->addWidget(parts_, 1);
  overviewPage_ = new WorkPage(overview);

  auto* choices = new QHBoxLayout;
  choices->addWidget(pairLabel_);
  choices->addWidget(directionBox_);
  choices->addWidget(new QLabel(QStringLiteral("入力")));
  choices->addWidget(inputBox_);
  choices->addWidget(new QLabel(QStringLiteral("→ 出力")));
  choices->addWidget(outputBox_);
  choices->addSpacing(12);
  choices->addWidget(smoothing_);
  choices->addStretch();

  auto* page = new QVBoxLayout(this);
  page->addLayout(choices);
  page->addWidget(overviewPage_, 1);
}

void BuildingTab::ConnectSignals() {
  for (QComboBox* box : {inputBox_, outputBox_}) {
    connect(box, &QComboBox::currentIndexChanged, this, &BuildingTab::PairPicked);
  }
  connect(directionBox_, &QComboBox::currentIndexChanged, this, &BuildingTab::DirectionPicked);
  connect(smoothing_, &SmoothingChooser::changed, this, &BuildingTab::ShowTransfer);
  connect(parts_, &QTabWidget::currentChanged, this, &BuildingTab::partChanged);
}

void BuildingTab::SetRecord(std::shared_ptr<const ConversionData> data, const ChannelNames& names) {
  data_ = std::move(data);
  names_ = names;
  for (QComboBox* box : {inputBox_, outputBox_}) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (int c = 1; c <= kChannels; ++c) box->addItem(Text(ChannelLabel(names_, c)), c);
  }
  pair_ = kFirstPair;
  SelectPair(pair_);
  for (QWidget* control :
       {static_cast<QWidget*>(inputBox_), static_cast<QWidget*>(outputBox_),
        static_cast<QWidget*>(directionBox_), static_cast<QWidget*>(smoothing_)}) {
    control->setEnabled(true);
  }
  StartOverview();
}

void BuildingTab::ShowNotice(const QString& notice) {
  overviewRequest_.Cancel();
  transferRequest_.Cancel();
  trackingRequest_.Cancel();
  data_.reset();
  overview_.reset();
  for (QWidget* control :
       {static_cast<QWidget*>(inputBox_), static_cast<QWidget*>(outputBox_),
        static_cast<QWidget*>(directionBox_), static_cast<QWidget*>(smoothing_)}) {
    control->setEnabled(false);
  }
  for (WorkPage* page : {overviewPage_, transferPage_, trackingPage_}) page->ShowNotice(notice);
}

void BuildingTab::ShowLoading(std::function<double()> progress) {
  ShowNotice(QString());
  for (WorkPage* page : {overviewPage_, transferPage_, trackingPage_}) {
    page->ShowWorking(QStringLiteral("読み込み中"), progress);
  }
}

void BuildingTab::WaitForWork() {
  overviewRequest_.Wait();
  transferRequest_.Wait();
  trackingRequest_.Wait();
}

bool BuildingTab::IsUpToDate() const {
  return overviewRequest_.IsIdle() && transferRequest_.IsIdle() && trackingRequest_.IsIdle();
}

void BuildingTab::StartOverview() {
  if (data_ == nullptr) return;
  transferRequest_.Cancel();
  trackingRequest_.Cancel();
  for (WorkPage* page : {overviewPage_, transferPage_, trackingPage_}) page->ShowWorking();
  overviewRequest_.Run(
      [data = data_, pair = pair_, smoothing = smoothing_->Smoothing()](const StaleFlag&) {
        const BuildingRecords records{data->table(ConversionFile::kAcceleration),
                                      data->table(ConversionFile::kVelocity),
                                      data->table(ConversionFile::kDisplacement), 0.0};
        return OverviewOutcome{ComputeBuildingOverview(data->files, records, pair, smoothing)};
      });
}

void BuildingTab::ShowOverview(const OverviewOutcome& outcome) {
  overview_ = outcome.overview;
  const BuildingOverview& overview = *overview_;
  ShowLayout();
  if (overview.fromFile) {
    // The transfer function of the first horizontal direction, base to top, to begin with.
    const LayoutDirection* first = &overview.layout.directions.front();
    for (const LayoutDirection& direction : overview.layout.directions) {
      if (!direction.vertical) {
        first = &direction;
        break;
      }
    }
    pair_ = {first->base().channel, first->top().channel};
    SelectPair(pair_);
  }
  const QString failure = overview.failure.empty() ? QString() : Failure(overview.failure);
  const QString driftFailure =
      overview.driftFailure.empty() ? failure : Failure(overview.driftFailure);
  DrawProfiles(profilePlot_, &overview, failure);
  DrawDrifts(driftPlot_, &overview, driftFailure);
  FillProfileTable();
  FillModesTable();
  FillDriftTable();
  overviewPage_->ShowContent();
  ShowTransfer();
  StartTracking();
  emit partChanged();
}

void BuildingTab::ShowLayout() {
  const BuildingOverview& overview = *overview_;
  const QString file = QFileInfo(Text(overview.layoutPath)).fileName();
  QString text;
  QString style;
  if (overview.fromFile) {
    QStringList directions;
    for (const LayoutDirection& direction : overview.layout.directions) {
      directions
          << QStringLiteral("%1 (%2 か所)").arg(Text(direction.name)).arg(direction.levels.size());
    }
    text = QStringLiteral("配置: %1 — %2").arg(Text(overview.layoutPath), directions.join("、"));
  } else {
    const QString how =
        QStringLiteral(
            "記録の横に %1 (1 行に 1 センサー: channel,location,direction,height) "
            "を置くと、チャンネルを建物の階と方向に割り当てて、各階の最大値・"
            "伝達関数・固有振動数・層間変形角を求めます。いまは上で選んだ 2 チャンネル "
            "(入力 → 出力) の間を解析しています。")
            .arg(file);
    if (!overview.layoutError.empty()) {
      text = QStringLiteral("配置ファイルを使えません: ") + Text(overview.layoutError) + "\n" +
             QStringLiteral("直すまで、上で選んだ 2 チャンネル (入力 → 出力) の間を解析します。");
      style = QStringLiteral(
          "QLabel { color: #900; background: #fff0f0; border: 1px solid #d99; padding: 4px; }");
    } else {
      text = QStringLiteral("配置ファイルがありません。") + how;
      style = QStringLiteral("QLabel { background: #f4f4e8; padding: 4px; }");
    }
  }
  layoutLabel_->setText(text);
  layoutLabel_->setStyleSheet(style);

  pairLabel_->setText(overview.fromFile ? QStringLiteral("伝達関数:")
                                        : QStringLiteral("解析する 2 チャンネル:"));
  directionBox_->setVisible(overview.fromFile);
  {
    const QSignalBlocker quiet(directionBox_);
    directionBox_->clear();
    for (const LayoutDirection& direction : overview.layout.directions) {
      directionBox_->addItem(QStringLiteral("%1: %2 → %3")
                                 .arg(Text(direction.name), Text(direction.base().location),
                                      Text(direction.top().location)));
    }
    directionBox_->addItem(QStringLiteral("任意の 2 チャンネル"));
  }

  int rows = 0;
  for (const LayoutDirection& direction : overview.layout.directions) {
    rows += static_cast<int>(direction.levels.size());
  }
  layoutTable_->setRowCount(rows);
  int row = 0;
  for (const LayoutDirection& direction : overview.layout.directions) {
    for (const LayoutSensor& sensor : direction.levels) {
      SetRow(layoutTable_, row++,
             {Text(sensor.location), Text(direction.name), QString::number(sensor.channel),
              Text(names_[sensor.channel - 1]), Cell(sensor.height, 2)});
    }
  }
}

void BuildingTab::FillProfileTable() {
  const BuildingOverview& overview = *overview_;
  int decimals[3] = {};
  for (int q = 0; q < 3; ++q) {
    std::vector<double> values;
    for (const DirectionProfile& profile : overview.profiles) {
      for (const LevelPeaks& peaks : profile.levels) {
        values.push_back(q == 0   ? peaks.acceleration
                         : q == 1 ? peaks.velocity
                                  : peaks.displacement);
      }
    }
    decimals[q] = ColumnDecimals(values, kSignificant);
  }
  int rows = 0;
  for (const DirectionProfile& profile : overview.profiles) {
    rows += static_cast<int>(profile.levels.size());
  }
  profileTable_->setRowCount(rows);
  int row = 0;
  for (const DirectionProfile& profile : overview.profiles) {
    for (std::size_t i = 0; i < profile.levels.size(); ++i) {
      const LayoutSensor& sensor = profile.direction->levels[i];
      const LevelPeaks& peaks = profile.levels[i];
      SetRow(profileTable_, row++,
             {Text(profile.direction->name), Text(sensor.location), Cell(sensor.height, 2),
              QString::number(sensor.channel), Cell(peaks.acceleration, decimals[0]),
              Cell(peaks.velocity, decimals[1]), Cell(peaks.displacement, decimals[2]),
              Cell(peaks.amplification, 2)});
    }
  }
}

void BuildingTab::FillModesTable() {
  const BuildingOverview& overview = *overview_;
  int rows = 0;
  for (const DirectionResponse& response : overview.responses) {
    rows += static_cast<int>(response.modes.size());
  }
  modesTable_->setRowCount(rows);
  int row = 0;
  for (const DirectionResponse& response : overview.responses) {
    for (std::size_t m = 0; m < response.modes.size(); ++m) {
      const IdentifiedMode& mode = response.modes[m];
      SetRow(modesTable_, row++,
             {Text(response.direction->name), QString::number(m + 1), Cell(mode.frequency, 3),
              Cell(mode.period, 3), Cell(mode.damping * 100.0, 2)});
    }
  }
}

void BuildingTab::FillDriftTable() {
  const BuildingOverview& overview = *overview_;
  std::vector<double> peaks;
  for (const StoryDriftEntry& entry : overview.drifts) {
    if (entry.drift.peak.found) peaks.push_back(std::abs(entry.drift.peak.value));
  }
  const int decimals = ColumnDecimals(peaks, kSignificant);
  const int timeDecimals = StepDecimals(overview.timeStep);
  driftTable_->setRowCount(static_cast<int>(overview.drifts.size()));
  int row = 0;
  for (const StoryDriftEntry& entry : overview.drifts) {
    const Peak& peak = entry.drift.peak;
    const long long denominator = DriftAngleDenominator(entry.drift.angle);
    SetRow(
        driftTable_, row++,
        {Text(entry.direction->name), QString::number(entry.story), Text(entry.lower->location),
         Text(entry.upper->location), Cell(entry.height, 2),
         peak.found ? Cell(peak.value, decimals) : QString(),
         peak.found && std::isfinite(entry.drift.angle) ? QString::number(entry.drift.angle, 'g', 3)
                                                        : QString(),
         denominator > 0 ? QStringLiteral("1/%1").arg(denominator) : QString(),
         peak.found ? Cell(peak.time, timeDecimals) : QString()});
  }
}

void BuildingTab::SelectPair(const ChannelPair& pair) {
  {
    const QSignalBlocker quietInput(inputBox_);
    const QSignalBlocker quietOutput(outputBox_);
    inputBox_->setCurrentIndex(pair.input - 1);
    outputBox_->setCurrentIndex(pair.output - 1);
  }
  if (overview_ == nullptr || !overview_->fromFile) return;
  const auto& directions = overview_->layout.directions;
  int index = static_cast<int>(directions.size());  // any two channels
  for (std::size_t d = 0; d < directions.size(); ++d) {
    if (directions[d].base().channel == pair.input && directions[d].top().channel == pair.output) {
      index = static_cast<int>(d);
    }
  }
  const QSignalBlocker quiet(directionBox_);
  directionBox_->setCurrentIndex(index);
}

void BuildingTab::ChoosePair(const ChannelPair& pair) {
  SelectPair(pair);
  PairPicked();
}

void BuildingTab::PairPicked() {
  pair_ = {inputBox_->currentIndex() + 1, outputBox_->currentIndex() + 1};
  SelectPair(pair_);
  if (overview_ != nullptr && overview_->fromFile) {
    ShowTransfer();
  } else {
    StartOverview();
  }
}

void BuildingTab::DirectionPicked(int index) {
  if (overview_ == nullptr || index < 0 ||
      index >= static_cast<int>(overview_->layout.directions.size())) {
    return;  // any two channels: the lists say which
  }
  const LayoutDirection& direction = overview_->layout.directions[index];
  pair_ = {direction.base().channel, direction.top().channel};
  SelectPair(pair_);
  ShowTransfer();
}

QString BuildingTab::PairCaption() const {
  return QStringLiteral("%1ch → %2ch  (%3)")
      .arg(pair_.input)
      .arg(pair_.output)
      .arg(Text(SmoothingText(smoothing_->Smoothing())));
}

void BuildingTab::ShowTransfer() {
  if (overview_ == nullptr) return;
  if (pair_.input == pair_.output) {
    transferRequest_.Cancel();
    DrawTransfer(transferPlot_, nullptr, {}, {},
                 QStringLiteral("異なる 2 つのチャンネルを選んでください"));
    transferPage_->ShowContent();
    return;
  }
  // The overview holds the base → top transfer function of every direction.
  const DirectionResponse* known = overview_->ResponseOf(pair_);
  if (known != nullptr && overview_->smoothing == smoothing_->Smoothing()) {
    transferRequest_.Cancel();
    const bool still = std::all_of(known->transfer.response.begin(), known->transfer.response.end(),
                                   [](std::complex<double> h) { return std::isnan(h.real()); });
    DrawTransfer(transferPlot_, still ? nullptr : &known->transfer, known->modes, PairCaption(),
                 QStringLiteral("入力 (%1ch) が動いていないため求まりません").arg(pair_.input));
    transferPage_->ShowContent();
    return;
  }
  if (!overview_->failure.empty()) {
    DrawTransfer(transferPlot_, nullptr, {}, {}, Failure(overview_->failure));
    transferPage_->ShowContent();
    return;
  }
  StartTransfer();
}

void BuildingTab::StartTransfer() {
  transferPage_->ShowWorking();
  transferRequest_.Run([data = data_, pair = pair_, smoothing = smoothing_->Smoothing(),
                        step = overview_->timeStep](const StaleFlag&) {
    TransferOutcome outcome{pair, smoothing, std::nullopt, {}};
    const std::string message = AttemptBuildingAnalysis([&] {
      outcome.response =
          ComputePairResponse(*data->table(ConversionFile::kAcceleration), step, pair, smoothing,
                              data->files.path(ConversionFile::kAcceleration));
    });
    if (!message.empty()) outcome.notice = Failure(message);
    return outcome;
  });
}

void BuildingTab::ShowTransferResult(const TransferOutcome& outcome) {
  DrawTransfer(transferPlot_, outcome.response ? &outcome.response->transfer : nullptr,
               outcome.response ? outcome.response->modes : std::vector<IdentifiedMode>{},
               PairCaption(), outcome.notice);
  transferPage_->ShowContent();
}

void BuildingTab::StartTracking() {
  if (!overview_->failure.empty()) {
    trackingRequest_.Cancel();
    ShowTracking({overview_, std::nullopt, Failure(overview_->failure)});
    return;
  }
  trackingPage_->ShowWorking();
  trackingRequest_.Run([data = data_, overview = overview_](const StaleFlag&) {
    TrackingOutcome outcome{overview, std::nullopt, {}};
    const std::string message = AttemptBuildingAnalysis([&] {
      outcome.tracking = ComputeTracking(
          overview->Modes(), *data->table(ConversionFile::kAcceleration), overview->timeStep);
    });
    if (!message.empty()) outcome.notice = Failure(message);
    return outcome;
  });
}

void BuildingTab::ShowTracking(const TrackingOutcome& outcome) {
  if (outcome.overview != overview_) return;
  DrawTracking(trackingPlot_, overview_.get(), outcome.tracking ? &*outcome.tracking : nullptr,
               outcome.notice);
  trackingPage_->ShowContent();
}

void BuildingTab::CopyTable(const QTableWidget* table) {
  std::span<const TableColumn> columns;
  if (table == layoutTable_) columns = kLayoutColumns;
  if (table == profileTable_) columns = kProfileColumns;
  if (table == modesTable_) columns = kModeColumns;
  if (table == driftTable_) columns = kDriftColumns;
  QApplication::clipboard()->setText(TabSeparatedText(*table, columns));
}

QString BuildingTab::LayoutNotice() const { return layoutLabel_->text(); }

bool BuildingTab::HasPicture() const {
  return overview_ != nullptr && parts_->currentWidget() != layoutPart_;
}

Picture BuildingTab::PictureWithTitle(const QString& record) const {
  if (!HasPicture()) return {};
  QWidget* part = parts_->currentWidget();
  const QString title =
      record + QStringLiteral("  建物応答  ") + parts_->tabText(parts_->currentIndex());
  if (part == profilePart_) return {title, {profilePlot_}};
  if (part == transferPart_) return {title + "  " + PairCaption(), {transferPlot_}};
  if (part == driftPart_) return {title, {driftPlot_}};
  return {title, {trackingPlot_}};
}

}  // namespace accprep
