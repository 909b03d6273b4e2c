#pragma once
// The 震度・指標 tab: the JMA seismic intensity and long-period ground-motion class of three
// channels of one station (chosen with the station chooser, which warns when they are not one
// station's), with the filtered vector sum and its level a0 and the Sva curve over the class
// bands; and a table of Arias intensity, significant durations and CAV of every channel,
// copyable with units. Each part says 計算中 until its result is in; the newest choice alone
// is computed to the end.

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "viewer/channel_names.hpp"
#include "viewer/newest_request.hpp"
#include "viewer/plot_picture.hpp"
#include "viewer/record_intensity.hpp"

class QCustomPlot;
class QLabel;
class QPushButton;
class QTableWidget;

namespace accprep {

class StationChooser;
class WorkPage;

class IntensityPanel : public QWidget {
  Q_OBJECT

 public:
  explicit IntensityPanel(QWidget* parent = nullptr);
  ~IntensityPanel() override;

  // A newly opened record: its channel names and its acceleration table, loaded from `path`,
  // or null with `notice` saying why there is none. The computations hold the table.
  void SetRecord(std::shared_ptr<const ChannelTable> acceleration, const std::string& path,
                 const ChannelNames& names, const QString& notice = {});
  // Nothing to compute: every part says `notice` (no record open).
  void ShowNotice(const QString& notice);
  // The record is being read: every part says 読み込み中 with `progress` (0..1).
  void ShowLoading(std::function<double()> progress);
  // Returns once no computation runs any more.
  void WaitForWork();
  // True once the results for the chosen components and the channel table are shown.
  bool IsUpToDate() const;

  StationChooser* chooser() const { return chooser_; }
  // The two plots under a title that says what they are of, for a picture.
  Picture PictureWithTitle(const QString& recordAndStation) const;
  // Copies the channel table with its headers.
  void CopyMeasures();

 private:
  struct IntensityOutcome {
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

  void StartIntensity();
  void ShowIntensity(const IntensityOutcome& outcome);
  void StartMeasures();
  void ShowMeasures(const MeasuresOutcome& outcome);

  ChannelNames names_;
  std::shared_ptr<const ChannelTable> acceleration_;
  std::string path_;
  QString notice_;
  QString summary_;  // the results in a line, for a picture's title

  StationChooser* chooser_ = nullptr;
  QLabel* computedLabel_ = nullptr;
  QLabel* reportedLabel_ = nullptr;
  QLabel* classLabel_ = nullptr;
  QLabel* levelLabel_ = nullptr;
  QLabel* peakSvaLabel_ = nullptr;
  QLabel* peakPeriodLabel_ = nullptr;
  QLabel* longPeriodClassLabel_ = nullptr;
  QCustomPlot* vectorSumPlot_ = nullptr;
  QCustomPlot* svaPlot_ = nullptr;
  WorkPage* resultsPage_ = nullptr;
  WorkPage* tablePage_ = nullptr;
  QLabel* measuresNotice_ = nullptr;
  QTableWidget* measuresTable_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  NewestRequest<IntensityOutcome> intensityRequest_;
  NewestRequest<MeasuresOutcome> measuresRequest_;
};

}  // namespace accprep
