#pragma once
// The response tab's RotD part: two horizontal channels, chosen with the station chooser of
// the 震度・指標 tab, and RotD50 and RotD100 of them (5 % damping unless the tab's damping says
// otherwise) drawn over each component's PSA, log period. Computed off the window's thread,
// the newest choice alone to the end; 計算中 meanwhile. 表をコピー copies the curves with
// Japanese headers and units.

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "viewer/channel_names.hpp"
#include "viewer/newest_request.hpp"
#include "viewer/rotd_curves.hpp"

class QCPGraph;
class QCPItemText;
class QCustomPlot;
class QPushButton;

namespace accprep {

class StationChooser;
class WorkPage;

class RotDPanel : public QWidget {
  Q_OBJECT

 public:
  explicit RotDPanel(double damping, QWidget* parent = nullptr);
  ~RotDPanel() override;

  // A newly opened record: its acceleration table loaded from `path` (null with `notice` when
  // there is none) and its channel names, which the chooser lists as stations.
  void SetRecord(std::shared_ptr<const ChannelTable> acceleration, const std::string& path,
                 const ChannelNames& names, const QString& notice = {});
  // Nothing to compute: the page says `notice` (no record open).
  void ShowNotice(const QString& notice);
  // The record is being read: 読み込み中 with `progress` (0..1).
  void ShowLoading(std::function<double()> progress);
  // A damping ratio (0 <= h < 1) for the curves, which are computed anew.
  void SetDamping(double damping);

  void WaitForWork();
  // True once the curves of the chosen channels and damping are shown.
  bool IsUpToDate() const;
  StationChooser* chooser() const { return chooser_; }
  QCustomPlot* plot() const { return plot_; }
  // The curves shown, for the copy and the tests.
  const RotDCurves& Shown() const { return shown_; }
  void ResetView();
  void CopyTable();

 private:
  void Start();
  void Show(const RotDCurves& curves);

  std::shared_ptr<const ChannelTable> acceleration_;
  std::string path_;
  QString notice_;
  double damping_;
  bool hasRecord_ = false;  // SetRecord came after the last notice
  RotDCurves shown_;
  StationChooser* chooser_;
  QPushButton* copyButton_;
  QCustomPlot* plot_;
  WorkPage* page_;
  std::array<QCPGraph*, 4> graphs_{};  // the two components, RotD50, RotD100
  QCPItemText* noticeItem_ = nullptr;
  NewestRequest<RotDCurves> request_;
};

}  // namespace accprep
