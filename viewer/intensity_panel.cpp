#include "viewer/intensity_panel.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

#include "engine/data_error.hpp"
#include "viewer/intensity_plots.hpp"
#include "viewer/table_copy.hpp"

namespace accprep {
namespace {

const char* const kChooserCaptions[] = {"水平1", "水平2", "上下"};
const char* const kMeasureHeaders[] = {"channel", "Arias", "D5-75", "D5-95", "CAV"};

QString Fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

QLabel* ValueLabel() {
  auto* label = new QLabel(QStringLiteral("—"));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// The message of a failed computation, or what a lack of memory means to the user.
template <typename Compute>
QString Attempt(Compute&& compute) {
  try {
    compute();
  } catch (const DataError& error) {
    return QString::fromStdString(error.what());
  } catch (const std::bad_alloc&) {
    return QStringLiteral("メモリが足りないため計算できません");
  }
  return {};
}

}  // namespace

IntensityPanel::IntensityPanel(const ChannelNames& names, QWidget* parent)
    : QWidget(parent), names_(names) {
  CreateControls();
  LayOut();
  ConnectSignals();
}

IntensityPanel::~IntensityPanel() { WaitForWork(); }

void IntensityPanel::CreateControls() {
  const IntensityComponents defaults = ComponentsFromNames(names_);
  const int chosen[] = {defaults.horizontal1, defaults.horizontal2, defaults.vertical};
  for (int i = 0; i < 3; ++i) {
    choosers_[i] = new QComboBox;
    for (int c = 1; c <= kChannels; ++c) {
      choosers_[i]->addItem(QString::fromStdString(ChannelLabel(names_, c)));
    }
    choosers_[i]->setCurrentIndex(chosen[i] - 1);
    choosers_[i]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choosers_[i]->setEnabled(false);
  }
  computedLabel_ = ValueLabel();
  reportedLabel_ = ValueLabel();
  classLabel_ = ValueLabel();
  QFont large = classLabel_->font();
  large.setPointSizeF(large.pointSizeF() * 1.6);
  large.setBold(true);
  classLabel_->setFont(large);
  levelLabel_ = ValueLabel();
  peakSvaLabel_ = ValueLabel();
  peakPeriodLabel_ = ValueLabel();
  longPeriodClassLabel_ = ValueLabel();
  longPeriodClassLabel_->setFont(large);

  vectorSumPlot_ = new QCustomPlot;
  SetUpVectorSumPlot(vectorSumPlot_);
  svaPlot_ = new QCustomPlot;
  SetUpSvaPlot(svaPlot_);
  for (QCustomPlot* plot : {vectorSumPlot_, svaPlot_}) plot->setMinimumHeight(220);

  measuresTable_ = new QTableWidget(kChannels, 5);
  QStringList headers;
  headers << QStringLiteral("チャンネル") << "Ia (m/s)"
          << "D5–75 (s)"
          << "D5–95 (s)"
          << "CAV (cm/s)";
  measuresTable_->setHorizontalHeaderLabels(headers);
  measuresTable_->verticalHeader()->setVisible(false);
  measuresTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  measuresTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  copyButton_ = new QPushButton(QStringLiteral("表をコピー"));
  measuresNotice_ = new QLabel;
  measuresNotice_->setWordWrap(true);
  measuresNotice_->setStyleSheet("color: #a00");
  measuresNotice_->setVisible(false);

  intensityWatcher_ = new QFutureWatcher<IntensityOutcome>(this);
  measuresWatcher_ = new QFutureWatcher<MeasuresOutcome>(this);
}

void IntensityPanel::LayOut() {
  auto* chooserRow = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    chooserRow->addWidget(new QLabel(QString::fromUtf8(kChooserCaptions[i])));
    chooserRow->addWidget(choosers_[i]);
    chooserRow->addSpacing(12);
  }
  chooserRow->addStretch();

  auto* intensityBox = new QGroupBox(QStringLiteral("計測震度"));
  auto* intensityGrid = new QGridLayout(intensityBox);
  intensityGrid->addWidget(new QLabel(QStringLiteral("計測震度 (計算値)")), 0, 0);
  intensityGrid->addWidget(computedLabel_, 0, 1);
  intensityGrid->addWidget(new QLabel(QStringLiteral("計測震度 (発表値)")), 1, 0);
  intensityGrid->addWidget(reportedLabel_, 1, 1);
  intensityGrid->addWidget(new QLabel(QStringLiteral("基準の加速度 a0")), 2, 0);
  intensityGrid->addWidget(levelLabel_, 2, 1);
  intensityGrid->addWidget(classLabel_, 0, 2, 3, 1, Qt::AlignCenter);
  intensityGrid->setColumnMinimumWidth(2, 150);

  auto* longPeriodBox = new QGroupBox(QStringLiteral("長周期地震動階級"));
  auto* longPeriodGrid = new QGridLayout(longPeriodBox);
  longPeriodGrid->addWidget(new QLabel(QStringLiteral("最大 Sva")), 0, 0);
  longPeriodGrid->addWidget(peakSvaLabel_, 0, 1);
  longPeriodGrid->addWidget(new QLabel(QStringLiteral("その周期")), 1, 0);
  longPeriodGrid->addWidget(peakPeriodLabel_, 1, 1);
  longPeriodGrid->addWidget(longPeriodClassLabel_, 0, 2, 2, 1, Qt::AlignCenter);
  longPeriodGrid->setColumnMinimumWidth(2, 190);

  auto* resultRow = new QHBoxLayout;
  resultRow->addWidget(intensityBox);
  resultRow->addWidget(longPeriodBox);
  resultRow->addStretch();

  auto* plots = new QWidget;
  auto* plotColumn = new QVBoxLayout(plots);
  plotColumn->setContentsMargins(0, 0, 0, 0);
  plotColumn->addWidget(vectorSumPlot_, 1);
  plotColumn->addWidget(svaPlot_, 1);

  auto* tablePage = new QWidget;
  auto* tableColumn = new QVBoxLayout(tablePage);
  tableColumn->setContentsMargins(0, 0, 0, 0);
  tableColumn->addWidget(
      new QLabel(QStringLiteral("チャンネルごとの指標 (アリアス強度・有効継続時間・CAV)")));
  tableColumn->addWidget(measuresNotice_);
  tableColumn->addWidget(measuresTable_, 1);
  auto* copyRow = new QHBoxLayout;
  copyRow->addStretch();
  copyRow->addWidget(copyButton_);
  tableColumn->addLayout(copyRow);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(plots);
  splitter->addWidget(tablePage);
  // The table needs about 470 pixels for names like "1ch  AOM0011801241951.EW" and its four
  // numbers; the plots take the rest.
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({560, 470});

  auto* page = new QVBoxLayout(this);
  page->addLayout(chooserRow);
  page->addLayout(resultRow);
  page->addWidget(splitter, 1);
}

void IntensityPanel::ConnectSignals() {
  for (QComboBox* chooser : choosers_) {
    connect(chooser, &QComboBox::currentIndexChanged, this, &IntensityPanel::StartIntensity);
  }
  connect(intensityWatcher_, &QFutureWatcher<IntensityOutcome>::finished, this,
          &IntensityPanel::IntensityFinished);
  connect(measuresWatcher_, &QFutureWatcher<MeasuresOutcome>::finished, this,
          &IntensityPanel::MeasuresFinished);
  connect(copyButton_, &QPushButton::clicked, this, &IntensityPanel::CopyMeasures);
  auto* copyShortcut = new QShortcut(QKeySequence::Copy, measuresTable_);
  connect(copyShortcut, &QShortcut::activated, this, &IntensityPanel::CopyMeasures);
}

void IntensityPanel::SetRecord(const ConversionData& data) {
  WaitForWork();
  acceleration_ = data.table(ConversionFile::kAcceleration);
  path_ = data.files.path(ConversionFile::kAcceleration);
  const std::string& error = data.error(ConversionFile::kAcceleration);
  notice_ = acceleration_ != nullptr ? QString()
            : !error.empty() ? QStringLiteral("読み込めません: ") + QString::fromStdString(error)
                             : QStringLiteral("加速度ファイルがないため計算できません");
  for (QComboBox* chooser : choosers_) chooser->setEnabled(acceleration_ != nullptr);
  StartIntensity();
  StartMeasures();
}

void IntensityPanel::WaitForWork() {
  intensityWatcher_->waitForFinished();
  measuresWatcher_->waitForFinished();
}

bool IntensityPanel::IsUpToDate() const {
  return intensityShown_ && measuresShown_ && !intensityWatcher_->isRunning() && !intensityPending_;
}

IntensityComponents IntensityPanel::ChosenComponents() const {
  return {choosers_[0]->currentIndex() + 1, choosers_[1]->currentIndex() + 1,
          choosers_[2]->currentIndex() + 1};
}

void IntensityPanel::StartIntensity() {
  intensityShown_ = false;
  if (intensityWatcher_->isRunning()) {
    // One computation at a time; the newest choice is taken up when it ends.
    intensityPending_ = true;
    return;
  }
  intensityPending_ = false;
  const ChannelTable* acceleration = acceleration_;
  const std::string path = path_;
  const QString notice = notice_;
  const IntensityComponents components = ChosenComponents();
  intensityWatcher_->setFuture(QtConcurrent::run([=]() {
    IntensityOutcome outcome{components, std::nullopt, notice};
    if (acceleration == nullptr) return outcome;
    if (components.horizontal1 == components.horizontal2 ||
        components.horizontal1 == components.vertical ||
        components.horizontal2 == components.vertical) {
      outcome.notice = QStringLiteral("三つの異なるチャンネルを選んでください");
      return outcome;
    }
    outcome.notice = Attempt(
        [&] { outcome.intensity = ComputeRecordIntensity(*acceleration, path, components); });
    return outcome;
  }));
}

void IntensityPanel::IntensityFinished() {
  const IntensityOutcome outcome = intensityWatcher_->result();
  if (intensityPending_ || !(outcome.components == ChosenComponents())) {
    StartIntensity();
    return;
  }
  ShowIntensity(outcome);
  intensityShown_ = true;
}

void IntensityPanel::ShowIntensity(const IntensityOutcome& outcome) {
  const RecordIntensity* intensity = outcome.intensity ? &*outcome.intensity : nullptr;
  if (intensity == nullptr) {
    for (QLabel* label :
         {computedLabel_, reportedLabel_, levelLabel_, peakSvaLabel_, peakPeriodLabel_}) {
      label->setText(QStringLiteral("—"));
    }
    classLabel_->setText(QString());
    longPeriodClassLabel_->setText(QString());
  } else {
    const JmaIntensity& jma = intensity->jma;
    const bool moved = std::isfinite(jma.computed);
    computedLabel_->setText(moved ? Fixed(jma.computed, 2) : QStringLiteral("— (揺れなし)"));
    reportedLabel_->setText(moved ? Fixed(jma.reported, 1) : QStringLiteral("—"));
    levelLabel_->setText(SignificantText(jma.a0, 4) + " gal");
    classLabel_->setText(
        QStringLiteral("震度 ") +
        QString::fromUtf8(IntensityClassName(jma.intensityClass).data(),
                          static_cast<qsizetype>(IntensityClassName(jma.intensityClass).size())));
    const LongPeriodMotion& longPeriod = intensity->longPeriod;
    peakSvaLabel_->setText(SignificantText(longPeriod.peakSva, 4) + " cm/s");
    peakPeriodLabel_->setText(longPeriod.peakSva > 0.0 ? Fixed(longPeriod.peakPeriod, 1) + " s"
                                                       : QStringLiteral("—"));
    longPeriodClassLabel_->setText(QStringLiteral("階級 ") +
                                   QString::number(longPeriod.motionClass));
  }
  DrawVectorSum(vectorSumPlot_,
                acceleration_ != nullptr ? acceleration_->column(0) : std::span<const double>(),
                intensity != nullptr ? &intensity->jma : nullptr, outcome.notice);
  DrawSva(svaPlot_, intensity != nullptr ? &intensity->longPeriod : nullptr, outcome.notice);
}

void IntensityPanel::StartMeasures() {
  measuresShown_ = false;
  const ChannelTable* acceleration = acceleration_;
  const std::string path = path_;
  const QString notice = notice_;
  measuresWatcher_->setFuture(QtConcurrent::run([=]() {
    MeasuresOutcome outcome{std::nullopt, notice};
    if (acceleration == nullptr) return outcome;
    outcome.notice =
        Attempt([&] { outcome.measures = ComputeChannelMeasures(*acceleration, path); });
    return outcome;
  }));
}

void IntensityPanel::MeasuresFinished() {
  const MeasuresOutcome outcome = measuresWatcher_->result();
  for (int c = 1; c <= kChannels; ++c) {
    QString cells[5] = {QString::fromStdString(ChannelLabel(names_, c))};
    if (outcome.measures) {
      const AriasMeasures& m = (*outcome.measures)[c - 1];
      cells[1] = SignificantText(m.arias, 6);
      cells[2] = m.d5to75 ? SignificantText(*m.d5to75, 6) : QString();
      cells[3] = m.d5to95 ? SignificantText(*m.d5to95, 6) : QString();
      cells[4] = SignificantText(m.cav, 6);
    }
    for (int column = 0; column < 5; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment((column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
      measuresTable_->setItem(c - 1, column, item);
    }
  }
  measuresNotice_->setText(outcome.notice);
  measuresNotice_->setVisible(!outcome.notice.isEmpty());
  measuresShown_ = true;
}

void IntensityPanel::CopyMeasures() {
  // Channels by number, as in --measures.
  QApplication::clipboard()->setText(TabSeparatedText(*measuresTable_, kMeasureHeaders));
}

}  // namespace accprep
