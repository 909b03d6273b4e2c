#pragma once
// The 震度・指標 tab: the JMA seismic intensity and long-period ground-motion class of three
// chosen channels (the filtered vector sum with its level a0, the Sva curve over the class
// bands), and a table of Arias intensity, significant durations and CAV of every channel,
// copyable as text. Computes off the window's thread, one computation at a time.

#include <QFutureWatcher>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/record_intensity.hpp"

class QComboBox;
class QCustomPlot;
class QLabel;
class QPushButton;
class QTableWidget;

namespace accprep {

class IntensityPanel : public QWidget {
  Q_OBJECT

 public:
  // The choosers list the channels with their names and start at the components the names
  // point to (ComponentsFromNames).
  explicit IntensityPanel(const ChannelNames& names, QWidget* parent = nullptr);
  ~IntensityPanel() override;

  // Starts on the acceleration file of `data`, or says why there is none. `data` must outlive
  // the computations: call WaitForWork() before releasing it.
  void SetRecord(const ConversionData& data);
  // Returns once no computation runs any more.
  void WaitForWork();
  // True once the results for the chosen components and the channel table are shown.
  bool IsUpToDate() const;

 private:
  struct IntensityOutcome {
    IntensityComponents components;
    std::optional<RecordIntensity> intensity;
    QString notice;
  };
  struct MeasuresOutcome {
    std::optional<std::array<AriasMeasures, kChannels>> measures;
    QString notice;
  };

  void CreateControls();
  void LayOut();
  void ConnectSignals();

  IntensityComponents ChosenComponents() const;
  void StartIntensity();
  void IntensityFinished();
  void ShowIntensity(const IntensityOutcome& outcome);
  void StartMeasures();
  void MeasuresFinished();
  void CopyMeasures();

  ChannelNames names_;
  const ChannelTable* acceleration_ = nullptr;
  std::string path_;
  QString notice_;
  bool intensityPending_ = false;
  bool intensityShown_ = false;
  bool measuresShown_ = false;

  std::array<QComboBox*, 3> choosers_{};
  QLabel* computedLabel_ = nullptr;
  QLabel* reportedLabel_ = nullptr;
  QLabel* classLabel_ = nullptr;
  QLabel* levelLabel_ = nullptr;
  QLabel* peakSvaLabel_ = nullptr;
  QLabel* peakPeriodLabel_ = nullptr;
  QLabel* longPeriodClassLabel_ = nullptr;
  QCustomPlot* vectorSumPlot_ = nullptr;
  QCustomPlot* svaPlot_ = nullptr;
  QLabel* measuresNotice_ = nullptr;
  QTableWidget* measuresTable_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QFutureWatcher<IntensityOutcome>* intensityWatcher_ = nullptr;
  QFutureWatcher<MeasuresOutcome>* measuresWatcher_ = nullptr;
};

}  // namespace accprep
