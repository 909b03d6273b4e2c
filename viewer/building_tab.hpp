#pragma once
// The 建物応答 tab: how the building moved, from the layout beside the record
// (<stem>_layout.csv) or, without one, between two channels the user picks. Sub-tabs show the
// layout as a list, the peak profiles over height, the transfer function of a chosen pair
// with the identified modes (smoothing chosen beside it), the story drift angles with the
// largest story's drift over time, and the first frequency through the shaking. Tables copy
// with their headers and units; plots make pictures. Every part says 計算中 until its
// result is in, and the work runs off the window's thread, the newest choice alone to the end.

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "viewer/building_overview.hpp"
#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/newest_request.hpp"
#include "viewer/plot_picture.hpp"

class QComboBox;
class QCustomPlot;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace accprep {

class SmoothingChooser;
class WorkPage;

class BuildingTab : public QWidget {
  Q_OBJECT

 public:
  explicit BuildingTab(QWidget* parent = nullptr);
  ~BuildingTab() override;

  // A newly opened conversion, loaded; the computations hold `data`.
  void SetRecord(std::shared_ptr<const ConversionData> data, const ChannelNames& names);
  // Nothing to compute: every part says `notice` (no record open).
  void ShowNotice(const QString& notice);
  // The records are being read: every part says 読み込み中 with `progress` (0..1).
  void ShowLoading(std::function<double()> progress);
  // Returns once no computation runs any more.
  void WaitForWork();
  // True once every part shows the results for the current choices.
  bool IsUpToDate() const;

  // What the tab says of the layout above its parts: the file read, its error, or how to
  // place the channels without one.
  QString LayoutNotice() const;
  // The pair the transfer function is of (the analysed pair without a layout).
  ChannelPair Pair() const { return pair_; }
  // Picks `pair` as the user would in the two channel lists.
  void ChoosePair(const ChannelPair& pair);
  SmoothingChooser* smoothingChooser() const { return smoothing_; }

  // The plot of the part shown, under a title that names the record and what it shows; no
  // plots for the layout's list.
  Picture PictureWithTitle(const QString& record) const;
  bool HasPicture() const;

 signals:
  // Another part was chosen: the picture changed.
  void partChanged();

 private:
  struct OverviewOutcome {
    std::shared_ptr<const BuildingOverview> overview;
  };
  struct TransferOutcome {
    ChannelPair pair;
    SpectralSmoothing smoothing;
    std::optional<PairResponse> response;
    QString notice;
  };
  struct TrackingOutcome {
    std::shared_ptr<const BuildingOverview> overview;
    std::optional<std::vector<DirectionTracking>> tracking;
    QString notice;
  };

  void CreateControls();
  void LayOut();
  void ConnectSignals();

  void StartOverview();
  void ShowOverview(const OverviewOutcome& outcome);
  void ShowLayout();
  void FillProfileTable();
  void FillModesTable();
  void FillDriftTable();
  void PairPicked();
  void DirectionPicked(int index);
  void ShowTransfer();
  void StartTransfer();
  void ShowTransferResult(const TransferOutcome& outcome);
  void StartTracking();
  void ShowTracking(const TrackingOutcome& outcome);
  void CopyTable(const QTableWidget* table);
  // The pair's two channel lists and the direction list, quietly.
  void SelectPair(const ChannelPair& pair);
  QString PairCaption() const;

  std::shared_ptr<const ConversionData> data_;
  ChannelNames names_;
  std::shared_ptr<const BuildingOverview> overview_;
  ChannelPair pair_ = kFirstPair;

  QLabel* layoutLabel_ = nullptr;
  QLabel* pairLabel_ = nullptr;
  QComboBox* directionBox_ = nullptr;
  QComboBox* inputBox_ = nullptr;
  QComboBox* outputBox_ = nullptr;
  SmoothingChooser* smoothing_ = nullptr;
  QTabWidget* parts_ = nullptr;
  WorkPage* overviewPage_ = nullptr;
  WorkPage* transferPage_ = nullptr;
  WorkPage* trackingPage_ = nullptr;
  QTableWidget* layoutTable_ = nullptr;
  QTableWidget* profileTable_ = nullptr;
  QTableWidget* modesTable_ = nullptr;
  QTableWidget* driftTable_ = nullptr;
  QCustomPlot* profilePlot_ = nullptr;
  QCustomPlot* transferPlot_ = nullptr;
  QCustomPlot* driftPlot_ = nullptr;
  QCustomPlot* trackingPlot_ = nullptr;
  QWidget* layoutPart_ = nullptr;
  QWidget* profilePart_ = nullptr;
  QWidget* transferPart_ = nullptr;
  QWidget* driftPart_ = nullptr;
  NewestRequest<OverviewOutcome> overviewRequest_;
  NewestRequest<TransferOutcome> transferRequest_;
  NewestRequest<TrackingOutcome> trackingRequest_;
};

}  // namespace accprep
