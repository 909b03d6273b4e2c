#pragma once
// The viewer's window: the channel list on the left; on the right which files were found,
// and tabs for the time histories, the Fourier spectra, the response spectra, the peaks
// table and the intensity measures. Loading and the response spectra run off the window's thread,
// so it keeps answering while a large conversion opens.

#include <QFutureWatcher>
#include <QMainWindow>
#include <memory>

#include "measures/response_spectrum.hpp"
#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/peaks.hpp"

class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace accprep {

class ChannelFigure;
class IntensityPanel;

class ViewerWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Starts loading `files` at once; the window shows the progress until they are in: the
  // records first, shown as soon as they are, then the spectra. `names`
  // are the record's own channel names, shown beside the numbers (ReadChannelNames).
  ViewerWindow(const ConversionFiles& files, int channel, double damping,
               const ChannelNames& names = {});
  ~ViewerWindow() override;

  // For the benchmark and tests: shows `channel` now and replots every figure.
  void ShowChannelNow(int channel);
  bool IsLoaded() const { return data_ != nullptr; }

 private:
  struct Loaded {
    ConversionData data;
    std::array<ChannelPeaks, kChannels> peaks;
  };
  struct Response {
    int channel;
    double damping;
    std::optional<ResponseSpectrum> spectrum;
    QString notice;
  };

  void CreateControls();
  void LayOut();
  void ConnectSignals();

  void StartLoading();
  void LoadingFinished();
  void SpectraFinished();
  void ShowLoadFailures();
  void ShowChannel(int channel);
  // Puts `channel` in the figures and redraws them, `now` or at the next turn of the event loop.
  void DrawChannel(int channel, bool now);
  void StartResponse();
  void ResponseFinished();
  void FillPeaksTable();
  void CopyPeaks();
  void ResetView();
  void SaveView();
  void UpdateReadout(QCustomPlot* plot, ChannelFigure* figure, QPoint position);
  QString FilesSummary() const;

  ConversionFiles files_;
  ChannelNames names_;
  int channel_;
  double damping_;
  std::unique_ptr<Loaded> data_;
  LoadProgress progress_{0};
  std::uint64_t totalBytes_ = 0;

  QListWidget* channelList_ = nullptr;
  QLabel* filesLabel_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QCustomPlot* timePlot_ = nullptr;
  QCustomPlot* fourierPlot_ = nullptr;
  QCustomPlot* responsePlot_ = nullptr;
  ChannelFigure* timeFigure_ = nullptr;
  ChannelFigure* fourierFigure_ = nullptr;
  ChannelFigure* responseFigure_ = nullptr;
  QTableWidget* peaksTable_ = nullptr;
  IntensityPanel* intensityPanel_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QDoubleSpinBox* dampingBox_ = nullptr;
  QPushButton* resetButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QLabel* readout_ = nullptr;
  QProgressBar* loadBar_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  QFutureWatcher<Loaded*>* loadWatcher_ = nullptr;
  QFutureWatcher<ConversionData*>* spectraWatcher_ = nullptr;
  QFutureWatcher<Response>* responseWatcher_ = nullptr;
  bool responsePending_ = false;  // settings changed while a spectrum was being computed
};

}  // namespace accprep
