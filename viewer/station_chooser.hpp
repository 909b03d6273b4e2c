#pragma once
// Chooses three channels of one station: a station list that sets the two horizontal
// components and the vertical at once where the record's names allow (GroupStations), the
// three component choosers for any other choice, and a warning in plain sight when the three
// do not belong to one station. The 震度・指標 tab uses it; so may any tab that takes the
// components of one station.

#include <QWidget>

#include <array>

#include "viewer/channel_names.hpp"
#include "viewer/record_intensity.hpp"
#include "viewer/stations.hpp"

class QComboBox;
class QLabel;

namespace accprep {

class StationChooser : public QWidget {
  Q_OBJECT

 public:
  // One row for the intensity tab's full width; two (the station above its channels) where
  // the chooser shares the width, so that no list is cut short.
  enum class Arrangement { kOneRow, kTwoRows };
  explicit StationChooser(QWidget* parent = nullptr,
                          Arrangement arrangement = Arrangement::kOneRow);

  // The channels of a newly opened record: the lists are filled anew and the first station
  // is chosen (1, 2, 3 without one). Emits componentsChanged.
  void SetNames(const ChannelNames& names);
  // Chooses `components` (three channels 1..40) as if picked by hand. Emits componentsChanged
  // when they differ from the current ones.
  void SetComponents(const IntensityComponents& components);

  IntensityComponents Components() const;
  // The station shown in the list, empty when the three are not one station's.
  QString StationName() const;
  bool WarningShown() const;  // the three channels are named and not one station's

 signals:
  void componentsChanged(const IntensityComponents& components);

 private:
  void StationPicked(int index);
  void ComponentPicked();
  void Select(const IntensityComponents& components);  // the three choosers, quietly
  void Reflect();  // the station list and the warning after any change

  ChannelNames names_;
  std::vector<Station> stations_;
  QComboBox* stationBox_;
  std::array<QComboBox*, 3> componentBoxes_{};
  QLabel* warning_;
  bool filling_ = false;
};

}  // namespace accprep
