#pragma once
// The viewer's window: a menu bar (ファイル: open, recent files, save a picture, print, quit;
// ヘルプ: the guide, the version), the channel list on the left, and tabs for the time
// histories, the Fourier spectra (smoothed as chosen), the response spectra with RotD of two
// horizontal channels, the peaks table, the intensity measures and the building's response.
// Loading and every computation run off the window's thread; each tab says 読み込み中 or 計算中
// with its progress until its content is ready. A record is opened from the menu, by dropping
// any file of a conversion on the window, or from the command line; what cannot be opened is
// said in the window, in Japanese, with the file. The window's size and place, the last folder
// and the recent files are remembered.

#include <QMainWindow>

#include <memory>

#include "measures/response_spectrum.hpp"
#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/newest_request.hpp"
#include "viewer/peaks.hpp"
#include "viewer/plot_picture.hpp"

class QAction;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace accprep {

class BuildingTab;
class ChannelFigure;
class IntensityPanel;
class RotDPanel;
class SpectraPanel;
class WorkPage;

class ViewerWindow : public QMainWindow {
  Q_OBJECT

 public:
  // An empty window, `channel` (1..40) chosen for the first record opened, response spectra
  // at `damping`.
  ViewerWindow(int channel, double damping, QWidget* parent = nullptr);
  ~ViewerWindow() override;

  // Opens the conversion `path` belongs to: any of its five files, or its input record. When
  // none of its files exists the window says so and keeps what it showed; false then.
  bool Open(const QString& path);
  // The open-file dialog, in the last folder; opens what is chosen.
  void AskForRecord();

  // For the benchmark and tests: shows `channel` now and replots every figure.
  void ShowChannelNow(int channel);
  bool IsLoaded() const;
  // Every tab shows its content: loaded, spectra in, response and intensity computed.
  bool IsSettled() const;
  // What the window says above the tabs when something could not be opened or read.
  QString ErrorText() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Session;
  struct Spectra {
    std::shared_ptr<Session> session;
    std::shared_ptr<ConversionData> data;
  };
  struct Response {
    const Session* session = nullptr;
    int channel = 0;
    double damping = 0;
    std::shared_ptr<const ResponseSpectrum> spectrum;
    QString notice;
  };

  void CreateControls();
  void CreateMenus();
  void LayOut();
  void ConnectSignals();
  void FitToScreen();

  void RecordsLoaded(std::shared_ptr<Session> session);
  void SpectraLoaded(const Spectra& spectra);
  void ShowChannel(int channel);
  // Puts `channel` in the figures and redraws them, `now` or at the next turn of the event loop.
  void DrawChannel(int channel, bool now);
  void StartResponse();
  void ResponseComputed(const Response& response);
  void FillPeaksTable();
  void CopyPeaks();
  void ResetView();
  void SaveView();
  void PrintView();
  void ShowGuide();
  void ShowVersion();
  void ShowError(const QString& text);
  void ShowLoadFailures();
  void UpdateActions();
  void UpdateFilesLine();
  void RememberRecent(const QString& path);
  void FillRecentMenu();
  // The picture of the current tab; no plots for a table.
  Picture CurrentPicture() const;
  QString ChannelText(int channel) const;
  void WriteReport() const;

  std::shared_ptr<Session> session_;  // the records shown, once loaded
  ConversionFiles files_;             // of the conversion opened last
  ChannelNames names_;
  QString openedPath_;
  int channel_;
  double damping_;
  std::shared_ptr<LoadProgress> progress_;
  std::uint64_t recordBytes_ = 0;
  std::uint64_t totalBytes_ = 0;
  std::shared_ptr<std::atomic<int>> responseProgress_;

  QAction* openAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QListWidget* channelList_ = nullptr;
  QLabel* errorLabel_ = nullptr;
  QLabel* filesLabel_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QCustomPlot* timePlot_ = nullptr;
  QCustomPlot* responsePlot_ = nullptr;
  ChannelFigure* timeFigure_ = nullptr;
  ChannelFigure* responseFigure_ = nullptr;
  WorkPage* timePage_ = nullptr;
  WorkPage* responsePage_ = nullptr;
  WorkPage* peaksPage_ = nullptr;
  QWidget* responseTab_ = nullptr;
  QWidget* peaksTab_ = nullptr;
  QTableWidget* peaksTable_ = nullptr;
  IntensityPanel* intensityPanel_ = nullptr;
  SpectraPanel* spectraPanel_ = nullptr;
  RotDPanel* rotdPanel_ = nullptr;
  BuildingTab* buildingTab_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QDoubleSpinBox* dampingBox_ = nullptr;
  QPushButton* resetButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QLabel* readout_ = nullptr;
  QProgressBar* loadBar_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  QTimer* reportTimer_ = nullptr;
  QString reportPath_;
  NewestRequest<std::shared_ptr<Session>> loadRequest_;
  NewestRequest<Spectra> spectraRequest_;
  NewestRequest<Response> responseRequest_;
};

}  // namespace accprep
