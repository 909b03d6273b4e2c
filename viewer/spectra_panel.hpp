#pragma once
// The フーリエ振幅スペクトル tab: the Fourier amplitude spectrum of the chosen channel's
// acceleration above the velocity and displacement spectra of the jobs (log-log, one shared
// frequency axis), all smoothed as the chooser says (なし by default, as --fas). The curves are
// computed off the window's thread, the newest choice alone to the end; the tab says 計算中
// meanwhile. 表をコピー copies the curves with Japanese headers and units.

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "viewer/channel_spectra.hpp"
#include "viewer/newest_request.hpp"

class QCPAxisRect;
class QCPGraph;
class QCPItemText;
class QCustomPlot;
class QPushButton;

namespace accprep {

class SmoothingChooser;
class WorkPage;

class SpectraPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SpectraPanel(QWidget* parent = nullptr);
  ~SpectraPanel() override;

  // Nothing to show: the page says `notice` (no record open).
  void ShowNotice(const QString& notice);
  // The conversion is being read: 読み込み中 with `progress` (0..1).
  void ShowLoading(std::function<double()> progress);
  // Every file of the conversion is in: the curves of `channel` (1..40), called `label` in the
  // readout, are computed. `data` must not change while the panel holds it.
  void SetData(std::shared_ptr<const ConversionData> data, int channel, const QString& label);
  // Another channel: computed at once when the data are in, else remembered for them.
  void SetChannel(int channel, const QString& label);

  void WaitForWork();
  // True once the curves of the current channel and smoothing are shown.
  bool IsUpToDate() const;
  SmoothingChooser* chooser() const { return chooser_; }
  QCustomPlot* plot() const { return plot_; }
  // The curves shown, for the copy and the tests.
  const ChannelSpectra& Shown() const { return shown_; }
  // Every axis back to its curves' full range, replotted.
  void ResetView();
  // The channel, frequency and amplitude of the bin nearest `position` in the plot; empty
  // outside the panels.
  QString Readout(QPoint position) const;
  void CopyTable();

 private:
  void Start();
  void Show(const ChannelSpectra& spectra);

  std::shared_ptr<const ConversionData> data_;
  int channel_ = 1;
  QString label_;
  ChannelSpectra shown_;
  SmoothingChooser* chooser_;
  QPushButton* copyButton_;
  QCustomPlot* plot_;
  WorkPage* page_;
  std::array<QCPAxisRect*, kSpectrumQuantities> rects_{};
  std::array<QCPGraph*, kSpectrumQuantities> graphs_{};
  std::array<QCPItemText*, kSpectrumQuantities> notices_{};
  NewestRequest<ChannelSpectra> request_;
};

}  // namespace accprep
