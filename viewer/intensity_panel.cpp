#include "viewer/intensity_panel.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

#include "engine/data_error.hpp"
#include "viewer/column_format.hpp"
#include "viewer/intensity_plots.hpp"
#include "viewer/station_chooser.hpp"
#include "viewer/table_copy.hpp"
#include "viewer/work_page.hpp"

namespace accprep {
namespace {

constexpr TableColumn kMeasureColumns[] = {
    {"チャンネル", "channel"},  {"名前", "name"},           {"Ia (m/s)", "Ia (m/s)"},
    {"D5–75 (s)", "D5-75 (s)"}, {"D5–95 (s)", "D5-95 (s)"}, {"CAV (cm/s)", "CAV (cm/s)"}};
constexpr int kMeasureColumnCount = static_cast<int>(std::size(kMeasureColumns));
constexpr int kSignificant = 4;

QString Fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

QLabel* ValueLabel() {
  auto* label = new QLabel(QStringLiteral("—"));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// The message of a failed computation, or what a lack of memory means to the user. A broken
// precondition of a measure (std::invalid_argument) is shown as well: it must never end the
// window.
template <typename Compute>
QString Attempt(Compute&& compute) {
  try {
    compute();
  } catch (const DataError& error) {
    return QStringLiteral("計算できません: ") + QString::fromStdString(error.what());
  } catch (const std::invalid_argument& error) {
    return QStringLiteral("計算できません: ") + QString::fromStdString(error.what());
  } catch (const std::bad_alloc&) {
    return QStringLiteral("メモリが足りないため計算できません");
  }
  return {};
}

bool Distinct(const IntensityComponents& c) {
  return c.horizontal1 != c.horizontal2 && c.horizontal1 != c.vertical &&
         c.horizontal2 != c.vertical;
}

}  // namespace

IntensityPanel::IntensityPanel(QWidget* parent)
    : QWidget(parent),
      intensityRequest_(this, [this](IntensityOutcome outcome) { ShowIntensity(outcome); }),
      measuresRequest_(this, [this](MeasuresOutcome outcome) { ShowMeasures(outcome); }) {
  CreateControls();
  LayOut();
  ConnectSignals();
  ShowNotice(QStringLiteral("記録が開かれていません"));
}

IntensityPanel::~IntensityPanel() { WaitForWork(); }

void IntensityPanel::CreateControls() {
  chooser_ = new StationChooser;
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
  for (QCustomPlot* plot : {vectorSumPlot_, svaPlot_}) plot->setMinimumHeight(120);

  measuresTable_ = MakeTable(kChannels, kMeasureColumns);
  copyButton_ = new QPushButton(QStringLiteral("表をコピー"));
  measuresNotice_ = new QLabel;
  measuresNotice_->setWordWrap(true);
  measuresNotice_->setStyleSheet("color: #a00");
  measuresNotice_->setVisible(false);
}

void IntensityPanel::LayOut() {
  auto* intensityBox = new QGroupBox(QStringLiteral("計測震度"));
  auto* intensityGrid = new QGridLayout(intensityBox);
  intensityGrid->addWidget(new QLabel(QStringLiteral("計測震度 (計算値)")), 0, 0);
  intensityGrid->addWidget(computedLabel_, 0, 1);
  intensityGrid->addWidget(new QLabel(QStringLiteral("計測震度 (発表値)")), 1, 0);
  intensityGrid->addWidget(reportedLabel_, 1, 1);
  intensityGrid->addWidget(new QLabel(QStringLiteral("基準の加速度 a0")), 2, 0);
  intensityGrid->addWidget(levelLabel_, 2, 1);
  intensityGrid->addWidget(classLabel_, 0, 2, 3, 1, Qt::AlignCenter);
  intensityGrid->setColumnMinimumWidth(2, 130);

  auto* longPeriodBox = new QGroupBox(QStringLiteral("長周期地震動階級"));
  auto* longPeriodGrid = new QGridLayout(longPeriodBox);
  longPeriodGrid->addWidget(new QLabel(QStringLiteral("最大 Sva")), 0, 0);
  longPeriodGrid->addWidget(peakSvaLabel_, 0, 1);
  longPeriodGrid->addWidget(new QLabel(QStringLiteral("その周期")), 1, 0);
  longPeriodGrid->addWidget(peakPeriodLabel_, 1, 1);
  longPeriodGrid->addWidget(longPeriodClassLabel_, 0, 2, 2, 1, Qt::AlignCenter);
  longPeriodGrid->setColumnMinimumWidth(2, 130);

  auto* resultRow = new QHBoxLayout;
  resultRow->setContentsMargins(0, 0, 0, 0);
  resultRow->addWidget(intensityBox);
  resultRow->addWidget(longPeriodBox);
  resultRow->addStretch();

  auto* results = new QWidget;
  auto* resultColumn = new QVBoxLayout(results);
  resultColumn->setContentsMargins(0, 0, 0, 0);
  resultColumn->addLayout(resultRow);
  resultColumn->addWidget(vectorSumPlot_, 1);
  resultColumn->addWidget(svaPlot_, 1);
  resultsPage_ = new WorkPage(results);

  auto* tableWidget = new QWidget;
  auto* tableColumn = new QVBoxLayout(tableWidget);
  tableColumn->setContentsMargins(0, 0, 0, 0);
  tableColumn->addWidget(measuresNotice_);
  tableColumn->addWidget(measuresTable_, 1);
  tablePage_ = new WorkPage(tableWidget);

  auto* tableSide = new QWidget;
  auto* sideColumn = new QVBoxLayout(tableSide);
  sideColumn->setContentsMargins(0, 0, 0, 0);
  auto* caption =
      new QLabel(QStringLiteral("チャンネルごとの指標 (アリアス強度・有効継続時間・CAV)"));
  caption->setWordWrap(true);
  sideColumn->addWidget(caption);
  sideColumn->addWidget(tablePage_, 1);
  auto* copyRow = new QHBoxLayout;
  copyRow->addStretch();
  copyRow->addWidget(copyButton_);
  sideColumn->addLayout(copyRow);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(resultsPage_);
  splitter->addWidget(tableSide);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({600, 440});

  auto* page = new QVBoxLayout(this);
  page->addWidget(chooser_);
  page->addWidget(splitter, 1);
}

void IntensityPanel::ConnectSignals() {
  connect(chooser_, &StationChooser::componentsChanged, this, &IntensityPanel::StartIntensity);
  connect(copyButton_, &QPushButton::clicked, this, &IntensityPanel::CopyMeasures);
  auto* copyShortcut = new QShortcut(QKeySequence::Copy, measuresTable_);
  connect(copyShortcut, &QShortcut::activated, this, &IntensityPanel::CopyMeasures);
}

void IntensityPanel::SetRecord(std::shared_ptr<const ChannelTable> acceleration,
                               const std::string& path, const ChannelNames& names,
                               const QString& notice) {
  acceleration_ = std::move(acceleration);
  path_ = path;
  names_ = names;
  notice_ = acceleration_ != nullptr ? QString()
            : notice.isEmpty() ? QStringLiteral("加速度ファイルがないため計算できません")
                               : notice;
  chooser_->setEnabled(acceleration_ != nullptr);
  // Emits componentsChanged, which starts the intensity.
  chooser_->SetNames(names_);
  StartMeasures();
}

void IntensityPanel::ShowNotice(const QString& notice) {
  intensityRequest_.Cancel();
  measuresRequest_.Cancel();
  acceleration_.reset();
  chooser_->setEnabled(false);
  resultsPage_->ShowNotice(notice);
  tablePage_->ShowNotice(notice);
  copyButton_->setEnabled(false);
}

void IntensityPanel::ShowLoading(std::function<double()> progress) {
  ShowNotice(QString());
  resultsPage_->ShowWorking(QStringLiteral("読み込み中"), progress);
  tablePage_->ShowWorking(QStringLiteral("読み込み中"), progress);
}

void IntensityPanel::WaitForWork() {
  intensityRequest_.Wait();
  measuresRequest_.Wait();
}

bool IntensityPanel::IsUpToDate() const {
  return intensityRequest_.IsIdle() && measuresRequest_.IsIdle();
}

void IntensityPanel::StartIntensity() {
  const IntensityComponents components = chooser_->Components();
  if (acceleration_ == nullptr) {
    ShowIntensity({std::nullopt, notice_});
    return;
  }
  if (!Distinct(components)) {
    intensityRequest_.Cancel();
    ShowIntensity({std::nullopt, QStringLiteral("三つの異なるチャンネルを選んでください")});
    return;
  }
  resultsPage_->ShowWorking();
  intensityRequest_.Run([acceleration = acceleration_, path = path_, components](const StaleFlag&) {
    IntensityOutcome outcome;
    outcome.notice = Attempt(
        [&] { outcome.intensity = ComputeRecordIntensity(*acceleration, path, components); });
    return outcome;
  });
}

void IntensityPanel::ShowIntensity(const IntensityOutcome& outcome) {
  const RecordIntensity* intensity = outcome.intensity ? &*outcome.intensity : nullptr;
  summary_.clear();
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
    const std::string_view className = IntensityClassName(jma.intensityClass);
    const QString intensityClass =
        QStringLiteral("震度") +
        QString::fromUtf8(className.data(), static_cast<qsizetype>(className.size()));
    classLabel_->setText(intensityClass);
    const LongPeriodMotion& longPeriod = intensity->longPeriod;
    peakSvaLabel_->setText(SignificantText(longPeriod.peakSva, 4) + " cm/s");
    peakPeriodLabel_->setText(longPeriod.peakSva > 0.0 ? Fixed(longPeriod.peakPeriod, 1) + " s"
                                                       : QStringLiteral("—"));
    longPeriodClassLabel_->setText(QStringLiteral("階級 ") +
                                   QString::number(longPeriod.motionClass));
    summary_ = QStringLiteral("計測震度 ") + computedLabel_->text() + " (" + intensityClass +
               QStringLiteral(")  長周期地震動階級 ") + QString::number(longPeriod.motionClass);
  }
  DrawVectorSum(vectorSumPlot_,
                acceleration_ != nullptr ? acceleration_->column(0) : std::span<const double>(),
                intensity != nullptr ? &intensity->jma : nullptr, outcome.notice);
  DrawSva(svaPlot_, intensity != nullptr ? &intensity->longPeriod : nullptr, outcome.notice);
  if (acceleration_ == nullptr) {
    resultsPage_->ShowNotice(outcome.notice);
  } else {
    resultsPage_->ShowContent();
  }
}

void IntensityPanel::StartMeasures() {
  if (acceleration_ == nullptr) {
    measuresRequest_.Cancel();
    ShowMeasures({std::nullopt, notice_});
    return;
  }
  tablePage_->ShowWorking();
  copyButton_->setEnabled(false);
  measuresRequest_.Run([acceleration = acceleration_, path = path_](const StaleFlag&) {
    MeasuresOutcome outcome;
    outcome.notice =
        Attempt([&] { outcome.measures = ComputeChannelMeasures(*acceleration, path); });
    return outcome;
  });
}

void IntensityPanel::ShowMeasures(const MeasuresOutcome& outcome) {
  // One number form per column: the decimals that give its largest value four digits.
  std::array<std::vector<double>, kMeasureColumnCount> columns;
  if (outcome.measures) {
    for (const AriasMeasures& m : *outcome.measures) {
      columns[2].push_back(m.arias);
      columns[3].push_back(m.d5to75.value_or(NAN));
      columns[4].push_back(m.d5to95.value_or(NAN));
      columns[5].push_back(m.cav);
    }
  }
  int decimals[kMeasureColumnCount] = {};
  for (int column = 2; column < kMeasureColumnCount; ++column) {
    decimals[column] = ColumnDecimals(columns[column], kSignificant);
  }
  for (int c = 1; c <= kChannels; ++c) {
    QString cells[kMeasureColumnCount] = {QString::number(c),
                                          QString::fromStdString(names_[c - 1])};
    for (int column = 2; column < kMeasureColumnCount && outcome.measures; ++column) {
      cells[column] = QString::fromStdString(FixedText(columns[column][c - 1], decimals[column]));
    }
    for (int column = 0; column < kMeasureColumnCount; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment((column == 1 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
      measuresTable_->setItem(c - 1, column, item);
    }
  }
  measuresNotice_->setText(outcome.notice);
  measuresNotice_->setVisible(!outcome.notice.isEmpty());
  copyButton_->setEnabled(outcome.measures.has_value());
  if (acceleration_ == nullptr) {
    tablePage_->ShowNotice(outcome.notice);
  } else {
    tablePage_->ShowContent();
  }
}

void IntensityPanel::CopyMeasures() {
  QApplication::clipboard()->setText(TabSeparatedText(*measuresTable_, kMeasureColumns));
}

Picture IntensityPanel::PictureWithTitle(const QString& recordAndStation) const {
  QString title = recordAndStation;
  if (!summary_.isEmpty()) title += "  " + summary_;
  return {title, {vectorSumPlot_, svaPlot_}};
}

}  // namespace accprep
