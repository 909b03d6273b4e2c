#include "viewer/station_chooser.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace accprep {
namespace {
const char* const kComponentCaptions[] = {"水平1", "水平2", "上下"};
}

StationChooser::StationChooser(QWidget* parent, Arrangement arrangement) : QWidget(parent) {
  stationBox_ = new QComboBox;
  stationBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  stationBox_->setAccessibleName(QStringLiteral("観測点"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  row->addWidget(new QLabel(QStringLiteral("観測点")));
  row->addWidget(stationBox_);
  row->addSpacing(12);
  if (arrangement == Arrangement::kTwoRows) {
    row->addStretch();
    row = new QHBoxLayout;
    column->addLayout(row);
  }
  for (int i = 0; i < 3; ++i) {
    componentBoxes_[i] = new QComboBox;
    componentBoxes_[i]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    componentBoxes_[i]->setAccessibleName(QString::fromUtf8(kComponentCaptions[i]));
    row->addWidget(new QLabel(QString::fromUtf8(kComponentCaptions[i])));
    row->addWidget(componentBoxes_[i]);
    row->addSpacing(8);
  }
  warning_ = new QLabel;
  warning_->setStyleSheet("color: #b00; font-weight: bold");
  warning_->setWordWrap(true);
  warning_->setVisible(false);
  row->addStretch();
  // Below the choosers, across the whole width: a warning squeezed beside them wraps into a
  // column that pushes the results off the tab.
  column->addWidget(warning_);

  connect(stationBox_, &QComboBox::activated, this, &StationChooser::StationPicked);
  for (QComboBox* box : componentBoxes_) {
    connect(box, &QComboBox::currentIndexChanged, this, &StationChooser::ComponentPicked);
  }
  SetNames({});
}

void StationChooser::SetNames(const ChannelNames& names) {
  names_ = names;
  stations_ = GroupStations(names);
  filling_ = true;
  stationBox_->clear();
  for (const Station& station : stations_)
    stationBox_->addItem(QString::fromStdString(station.name));
  stationBox_->addItem(QStringLiteral("(チャンネルを個別に選ぶ)"));
  stationBox_->setEnabled(!stations_.empty());
  for (QComboBox* box : componentBoxes_) {
    box->clear();
    for (int c = 1; c <= kChannels; ++c) {
      box->addItem(QString::fromStdString(ChannelLabel(names_, c)));
    }
  }
  Select(ComponentsFromNames(names_));
  emit componentsChanged(Components());
}

void StationChooser::Select(const IntensityComponents& components) {
  filling_ = true;
  componentBoxes_[0]->setCurrentIndex(components.horizontal1 - 1);
  componentBoxes_[1]->setCurrentIndex(components.horizontal2 - 1);
  componentBoxes_[2]->setCurrentIndex(components.vertical - 1);
  filling_ = false;
  Reflect();
}

void StationChooser::SetComponents(const IntensityComponents& components) {
  if (components == Components()) return;
  Select(components);
  emit componentsChanged(Components());
}

IntensityComponents StationChooser::Components() const {
  return {componentBoxes_[0]->currentIndex() + 1, componentBoxes_[1]->currentIndex() + 1,
          componentBoxes_[2]->currentIndex() + 1};
}

QString StationChooser::StationName() const {
  const int index = stationBox_->currentIndex();
  return index >= 0 && index < static_cast<int>(stations_.size()) ? stationBox_->currentText()
                                                                  : QString();
}

bool StationChooser::WarningShown() const { return !warning_->isHidden(); }

void StationChooser::StationPicked(int index) {
  if (index < 0 || index >= static_cast<int>(stations_.size())) return;
  SetComponents(stations_[index].channels);
}

void StationChooser::ComponentPicked() {
  if (filling_) return;
  Reflect();
  emit componentsChanged(Components());
}

void StationChooser::Reflect() {
  const IntensityComponents chosen = Components();
  int shown = static_cast<int>(stations_.size());  // "(チャンネルを個別に選ぶ)"
  for (std::size_t i = 0; i < stations_.size(); ++i) {
    if (stations_[i].channels == chosen) shown = static_cast<int>(i);
  }
  {
    const QSignalBlocker quiet(stationBox_);
    stationBox_->setCurrentIndex(shown);
  }
  QString warning;
  if (chosen.horizontal1 == chosen.horizontal2 || chosen.horizontal1 == chosen.vertical ||
      chosen.horizontal2 == chosen.vertical) {
    warning = QStringLiteral("三つの異なるチャンネルを選んでください");
  } else if (CheckOneStation(names_, chosen) == StationAgreement::kMixed) {
    warning = QStringLiteral(
        "注意: 3 つのチャンネルは一つの観測点の EW・NS・UD ではありません。"
        "観測点が違うと時刻もそろっていないことがあり、震度は意味を持ちません");
  }
  warning_->setText(warning);
  warning_->setVisible(!warning.isEmpty());
}

}  // namespace accprep
