#include "viewer/rotd_panel.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "engine/number_format.hpp"
#include "viewer/station_chooser.hpp"
#include "viewer/work_page.hpp"

namespace accprep {
namespace {

// The components thin and light, the two RotD bold over them.
struct Curve {
  const char* name;
  QColor colour;
  double width;
  Qt::PenStyle style;
};
const Curve kCurves[] = {{"水平1", QColor(120, 150, 200), 1.0, Qt::SolidLine},
                         {"水平2", QColor(120, 180, 120), 1.0, Qt::SolidLine},
                         {"RotD50", QColor(20, 70, 160), 2.0, Qt::SolidLine},
                         {"RotD100", QColor(200, 30, 30), 2.0, Qt::DashLine}};

QString DampingText(double damping) {
  char text[kMaxNumberText];
  return QString::fromLatin1(
             text, FormatSignificant(text, damping * 100.0, 4, NumberForm::Point()) - text) +
         " %";
}

}  // namespace

RotDPanel::RotDPanel(double damping, QWidget* parent)
    : QWidget(parent),
      damping_(damping),
      chooser_(new StationChooser(nullptr, StationChooser::Arrangement::kTwoRows)),
      copyButton_(new QPushButton(QStringLiteral("表をコピー"))),
      plot_(new QCustomPlot),
      page_(new WorkPage(plot_)),
      request_(this, [this](RotDCurves curves) { Show(curves); }) {
  plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot_->axisRect()->setRangeZoom(Qt::Horizontal);
  plot_->axisRect()->setRangeDrag(Qt::Horizontal);
  QCPAxis* period = plot_->xAxis;
  period->setScaleType(QCPAxis::stLogarithmic);
  period->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  period->setNumberFormat("gb");
  period->setLabel(QStringLiteral("周期 (s)"));
  plot_->yAxis->setLabel(QStringLiteral("擬似加速度応答 PSA (gal)"));
  for (std::size_t i = 0; i < graphs_.size(); ++i) {
    graphs_[i] = plot_->addGraph();
    graphs_[i]->setPen(QPen(kCurves[i].colour, kCurves[i].width, kCurves[i].style));
    graphs_[i]->setName(QString::fromUtf8(kCurves[i].name));
  }
  plot_->legend->setVisible(true);
  plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
  plot_->plotLayout()->insertRow(0);
  plot_->plotLayout()->addElement(
      0, 0, new QCPTextElement(plot_, QString(), QFont(plot_->font().family(), 11, QFont::Bold)));
  noticeItem_ = new QCPItemText(plot_);
  noticeItem_->position->setType(QCPItemPosition::ptAxisRectRatio);
  noticeItem_->position->setCoords(0.5, 0.5);
  noticeItem_->setColor(QColor(120, 120, 120));
  noticeItem_->setVisible(false);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(copyButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(chooser_);
  layout->addWidget(page_, 1);
  layout->addLayout(bottom);

  connect(chooser_, &StationChooser::componentsChanged, this, &RotDPanel::Start);
  connect(copyButton_, &QPushButton::clicked, this, &RotDPanel::CopyTable);
  connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) { ResetView(); });
  chooser_->setEnabled(false);
  copyButton_->setEnabled(false);
}

RotDPanel::~RotDPanel() { request_.Wait(); }

void RotDPanel::SetRecord(std::shared_ptr<const ChannelTable> acceleration, const std::string& path,
                          const ChannelNames& names, const QString& notice) {
  acceleration_ = std::move(acceleration);
  path_ = path;
  notice_ = notice;
  hasRecord_ = true;
  chooser_->setEnabled(acceleration_ != nullptr);
  {
    // One computation for the new record, not one for the chooser's change and one more.
    const QSignalBlocker quiet(chooser_);
    chooser_->SetNames(names);
  }
  Start();
}

void RotDPanel::ShowNotice(const QString& notice) {
  request_.Cancel();
  acceleration_.reset();
  hasRecord_ = false;
  chooser_->setEnabled(false);
  copyButton_->setEnabled(false);
  page_->ShowNotice(notice);
}

void RotDPanel::ShowLoading(std::function<double()> progress) {
  ShowNotice(QString());
  page_->ShowWorking(QStringLiteral("読み込み中"), std::move(progress));
}

void RotDPanel::SetDamping(double damping) {
  damping_ = damping;
  Start();
}

void RotDPanel::Start() {
  if (!hasRecord_) return;
  const IntensityComponents components = chooser_->Components();
  const HorizontalPair pair{components.horizontal1, components.horizontal2};
  if (acceleration_ == nullptr || pair.horizontal1 == pair.horizontal2) {
    request_.Cancel();
    RotDCurves none{pair, damping_, {}, {}};
    none.notice =
        acceleration_ == nullptr
            ? (notice_.isEmpty() ? "加速度ファイルがないため計算できません" : notice_.toStdString())
            : "二つの異なる水平チャンネルを選んでください";
    Show(none);
    return;
  }
  page_->ShowWorking(QStringLiteral("計算中"));
  copyButton_->setEnabled(false);
  request_.Run(
      [acceleration = acceleration_, path = path_, pair, damping = damping_](const StaleFlag&) {
        return ComputeRotDCurves(acceleration.get(), path, pair, damping);
      });
}

void RotDPanel::Show(const RotDCurves& curves) {
  shown_ = curves;
  const RotDSpectrum& spectrum = shown_.spectrum;
  static constexpr double RotDValues::*kValues[] = {&RotDValues::horizontal1,
                                                    &RotDValues::horizontal2, &RotDValues::rotd50,
                                                    &RotDValues::rotd100};
  for (std::size_t i = 0; i < graphs_.size(); ++i) {
    QVector<QCPGraphData> points;
    for (std::size_t k = 0; k < spectrum.periods.size(); ++k) {
      points.append({spectrum.periods[k], spectrum.values[k].*kValues[i]});
    }
    graphs_[i]->data()->set(points, true);
  }
  graphs_[0]->setName(QString::number(curves.pair.horizontal1) + QStringLiteral("ch (水平1)"));
  graphs_[1]->setName(QString::number(curves.pair.horizontal2) + QStringLiteral("ch (水平2)"));
  const QString station = chooser_->StationName();
  static_cast<QCPTextElement*>(plot_->plotLayout()->element(0, 0))
      ->setText(QStringLiteral("RotD50・RotD100 ") +
                (station.isEmpty() ? QString() : station + "  ") +
                QString::number(curves.pair.horizontal1) + "ch, " +
                QString::number(curves.pair.horizontal2) + QStringLiteral("ch (減衰定数 ") +
                DampingText(curves.damping) + ")");
  noticeItem_->setText(QString::fromStdString(curves.notice));
  noticeItem_->setVisible(!curves.notice.empty());
  copyButton_->setEnabled(curves.notice.empty());
  page_->ShowContent();
  ResetView();
}

void RotDPanel::ResetView() {
  plot_->rescaleAxes();
  const QCPRange range = plot_->yAxis->range();
  plot_->yAxis->setRange(0.0, range.upper > 0 ? range.upper * 1.08 : 1.0);
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void RotDPanel::WaitForWork() { request_.Wait(); }

bool RotDPanel::IsUpToDate() const { return request_.IsIdle() && page_->ShowsContent(); }

void RotDPanel::CopyTable() {
  QApplication::clipboard()->setText(QString::fromStdString(RotDTableText(shown_)));
}

}  // namespace accprep
