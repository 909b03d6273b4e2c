#include "viewer/smoothing_chooser.hpp"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>
#include <iterator>

#include "measures/transfer_function.hpp"

namespace accprep {
namespace {

using Kind = SpectralSmoothing::Kind;

// The list's entries, in the order of SpectralSmoothing::Kind.
constexpr Kind kKinds[] = {Kind::kNone, Kind::kParzen, Kind::kKonnoOhmachi};

}  // namespace

SmoothingChooser::SmoothingChooser(QWidget* parent)
    : QWidget(parent),
      kindBox_(new QComboBox),
      parameterBox_(new QDoubleSpinBox),
      parzenBandwidth_(kDefaultTransferSmoothing.parameter),
      konnoOhmachiB_(kDefaultKonnoOhmachiB) {
  kindBox_->addItems(
      {QStringLiteral("なし"), QStringLiteral("Parzen"), QStringLiteral("Konno–Ohmachi")});
  kindBox_->setAccessibleName(QStringLiteral("平滑化"));
  parameterBox_->setKeyboardTracking(false);
  parameterBox_->setAccessibleName(QStringLiteral("平滑化の幅"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel(QStringLiteral("平滑化")));
  row->addWidget(kindBox_);
  row->addWidget(parameterBox_);
  SetSmoothing(kDefaultTransferSmoothing);
  connect(kindBox_, &QComboBox::currentIndexChanged, this, [this] {
    KindPicked();
    emit changed();
  });
  connect(parameterBox_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    (Smoothing().kind == Kind::kParzen ? parzenBandwidth_ : konnoOhmachiB_) = value;
    emit changed();
  });
}

SpectralSmoothing SmoothingChooser::Smoothing() const {
  const Kind kind = kKinds[std::max(0, kindBox_->currentIndex())];
  switch (kind) {
    case Kind::kParzen:
      return {kind, parzenBandwidth_};
    case Kind::kKonnoOhmachi:
      return {kind, konnoOhmachiB_};
    case Kind::kNone:
      break;
  }
  return {Kind::kNone, 0.0};
}

void SmoothingChooser::SetSmoothing(const SpectralSmoothing& smoothing) {
  const SpectralSmoothing before = Smoothing();
  if (smoothing.kind == Kind::kParzen) parzenBandwidth_ = smoothing.parameter;
  if (smoothing.kind == Kind::kKonnoOhmachi) konnoOhmachiB_ = smoothing.parameter;
  {
    const QSignalBlocker quiet(kindBox_);
    kindBox_->setCurrentIndex(static_cast<int>(
        std::find(std::begin(kKinds), std::end(kKinds), smoothing.kind) - std::begin(kKinds)));
  }
  KindPicked();
  if (Smoothing() == before) return;
  emit changed();
}

void SmoothingChooser::KindPicked() {
  const SpectralSmoothing smoothing = Smoothing();
  const QSignalBlocker quiet(parameterBox_);
  parameterBox_->setEnabled(smoothing.kind != Kind::kNone);
  if (smoothing.kind == Kind::kParzen) {
    // Narrower than a bin is no smoothing; wider than a few Hz hides the modes.
    parameterBox_->setRange(0.01, 5.0);
    parameterBox_->setDecimals(2);
    parameterBox_->setSingleStep(0.05);
    parameterBox_->setPrefix(QString());
    parameterBox_->setSuffix(QStringLiteral(" Hz"));
  } else if (smoothing.kind == Kind::kKonnoOhmachi) {
    parameterBox_->setRange(1.0, kLargestKonnoOhmachiB);
    parameterBox_->setDecimals(0);
    parameterBox_->setSingleStep(5.0);
    parameterBox_->setPrefix(QStringLiteral("b = "));
    parameterBox_->setSuffix(QString());
  }
  if (smoothing.kind != Kind::kNone) parameterBox_->setValue(smoothing.parameter);
}

}  // namespace accprep
