#include "viewer/spectra_panel.hpp"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/number_format.hpp"
#include "viewer/nearest_sample.hpp"
#include "viewer/smoothing_chooser.hpp"
#include "viewer/work_page.hpp"

namespace accprep {
namespace {

struct Axis {
  const char* name;
  const char* unit;
};
// In the order of SpectrumQuantity, the names of the copied table's headers.
constexpr Axis kValueAxes[kSpectrumQuantities] = {
    {"加速度フーリエ振幅", "gal·s"}, {"速度フーリエ振幅", "cm/s·s"}, {"変位フーリエ振幅", "cm·s"}};

const QColor kCurve(20, 70, 160);

QString Exact(double value) { return QString::fromStdString(FormatNumber(value)); }

void MakeLogAxis(QCPAxis* axis) {
  axis->setScaleType(QCPAxis::stLogarithmic);
  axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  axis->setNumberFormat("gb");
}

}  // namespace

SpectraPanel::SpectraPanel(QWidget* parent)
    : QWidget(parent),
      chooser_(new SmoothingChooser),
      copyButton_(new QPushButton(QStringLiteral("表をコピー"))),
      plot_(new QCustomPlot),
      page_(new WorkPage(plot_)),
      request_(this, [this](ChannelSpectra spectra) { Show(spectra); }) {
  // The Fourier spectra are read unsmoothed unless asked: the default of --fas.
  chooser_->SetSmoothing({});

  plot_->plotLayout()->clear();
  plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot_->setNoAntialiasingOnDrag(true);
  plot_->setMouseTracking(true);
  auto* marginGroup = new QCPMarginGroup(plot_);
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    QCPAxisRect* rect = rects_[q] = new QCPAxisRect(plot_);
    plot_->plotLayout()->addElement(q, 0, rect);
    rect->setMarginGroup(QCP::msLeft | QCP::msRight, marginGroup);
    rect->setRangeZoom(Qt::Horizontal);
    rect->setRangeDrag(Qt::Horizontal);
    QCPAxis* key = rect->axis(QCPAxis::atBottom);
    QCPAxis* value = rect->axis(QCPAxis::atLeft);
    MakeLogAxis(key);
    MakeLogAxis(value);
    value->setNumberFormat("eb");
    value->setNumberPrecision(0);
    value->setLabel(QString::fromUtf8(kValueAxes[q].name) + " (" +
                    QString::fromUtf8(kValueAxes[q].unit) + ")");
    if (q + 1 == kSpectrumQuantities) key->setLabel(QStringLiteral("振動数 (Hz)"));
    graphs_[q] = plot_->addGraph(key, value);
    graphs_[q]->setPen(QPen(kCurve, 1.0));
    graphs_[q]->setAdaptiveSampling(true);
    // Where a curve cannot be had, the reason stands in its place.
    QCPItemText* notice = notices_[q] = new QCPItemText(plot_);
    notice->setClipAxisRect(rect);
    notice->position->setAxisRect(rect);
    notice->position->setType(QCPItemPosition::ptAxisRectRatio);
    notice->position->setCoords(0.5, 0.5);
    notice->setColor(QColor(120, 120, 120));
    notice->setVisible(false);
  }
  // One frequency range for the three: zooming one zooms all.
  for (QCPAxisRect* a : rects_) {
    for (QCPAxisRect* b : rects_) {
      if (a == b) continue;
      connect(a->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::rangeChanged),
              b->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::setRange));
    }
  }

  auto* top = new QHBoxLayout;
  top->addWidget(chooser_);
  top->addStretch();
  top->addWidget(copyButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(page_, 1);

  connect(chooser_, &SmoothingChooser::changed, this, &SpectraPanel::Start);
  connect(copyButton_, &QPushButton::clicked, this, &SpectraPanel::CopyTable);
  connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) { ResetView(); });
  copyButton_->setEnabled(false);
}

SpectraPanel::~SpectraPanel() { request_.Wait(); }

void SpectraPanel::ShowNotice(const QString& notice) {
  request_.Cancel();
  data_.reset();
  copyButton_->setEnabled(false);
  page_->ShowNotice(notice);
}

void SpectraPanel::ShowLoading(std::function<double()> progress) {
  request_.Cancel();
  data_.reset();
  copyButton_->setEnabled(false);
  page_->ShowWorking(QStringLiteral("読み込み中"), std::move(progress));
}

void SpectraPanel::SetData(std::shared_ptr<const ConversionData> data, int channel,
                           const QString& label) {
  data_ = std::move(data);
  SetChannel(channel, label);
}

void SpectraPanel::SetChannel(int channel, const QString& label) {
  channel_ = channel;
  label_ = label;
  if (data_ != nullptr) Start();
}

void SpectraPanel::Start() {
  if (data_ == nullptr) return;
  page_->ShowWorking(QStringLiteral("計算中"));
  copyButton_->setEnabled(false);
  request_.Run([data = data_, channel = channel_, smoothing = chooser_->Smoothing()](
                   const StaleFlag&) { return ComputeChannelSpectra(*data, channel, smoothing); });
}

void SpectraPanel::Show(const ChannelSpectra& spectra) {
  shown_ = spectra;
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    const SpectrumCurve& curve = shown_.curves[q];
    QVector<QCPGraphData> points;
    points.reserve(static_cast<qsizetype>(curve.frequencies.size()));
    for (std::size_t i = 0; i < curve.frequencies.size(); ++i) {
      // A log axis has no place for a zero amplitude; it is left out, not drawn at -infinity.
      if (curve.amplitudes[i] > 0.0) points.append({curve.frequencies[i], curve.amplitudes[i]});
    }
    graphs_[q]->data()->set(points, true);
    notices_[q]->setText(QString::fromStdString(curve.notice));
    notices_[q]->setVisible(!curve.notice.empty());
  }
  copyButton_->setEnabled(true);
  page_->ShowContent();
  ResetView();
}

void SpectraPanel::ResetView() {
  // The three share one frequency axis: it spans every curve.
  QCPRange keys;
  bool any = false;
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    bool found = false;
    const QCPRange range = graphs_[q]->getKeyRange(found);
    if (!found) continue;
    keys = any ? QCPRange(std::min(keys.lower, range.lower), std::max(keys.upper, range.upper))
               : range;
    any = true;
    graphs_[q]->rescaleValueAxis(false, false);
    QCPAxis* value = rects_[q]->axis(QCPAxis::atLeft);
    value->scaleRange(1.3, std::sqrt(value->range().lower * value->range().upper));
  }
  if (any) rects_[0]->axis(QCPAxis::atBottom)->setRange(keys);
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void SpectraPanel::WaitForWork() { request_.Wait(); }

bool SpectraPanel::IsUpToDate() const { return request_.IsIdle() && page_->ShowsContent(); }

QString SpectraPanel::Readout(QPoint position) const {
  for (int q = 0; q < kSpectrumQuantities; ++q) {
    if (!rects_[q]->rect().contains(position)) continue;
    const SpectrumCurve& curve = shown_.curves[q];
    const double key = rects_[q]->axis(QCPAxis::atBottom)->pixelToCoord(position.x());
    const std::optional<std::size_t> at = NearestSample(curve.frequencies, key, true);
    if (!at) return {};
    return label_ + QStringLiteral("   振動数 ") + Exact(curve.frequencies[*at]) + " Hz   " +
           QString::fromUtf8(kValueAxes[q].name) + " " + Exact(curve.amplitudes[*at]) + " " +
           QString::fromUtf8(kValueAxes[q].unit);
  }
  return {};
}

void SpectraPanel::CopyTable() {
  QApplication::clipboard()->setText(QString::fromStdString(SpectraTableText(shown_)));
}

}  // namespace accprep
