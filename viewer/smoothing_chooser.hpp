#pragma once
// Chooses how a spectrum is smoothed: なし, Parzen (a bandwidth in Hz) or Konno–Ohmachi (b).
// Each kind keeps its own parameter while another is chosen. Starts at the transfer
// function's default, Parzen 0.1 Hz.

#include <QWidget>

#include "measures/spectral_smoothing.hpp"

class QComboBox;
class QDoubleSpinBox;

namespace accprep {

class SmoothingChooser : public QWidget {
  Q_OBJECT

 public:
  explicit SmoothingChooser(QWidget* parent = nullptr);

  SpectralSmoothing Smoothing() const;
  // Shows `smoothing` (one ParseSmoothing accepts); emits changed when it differs.
  void SetSmoothing(const SpectralSmoothing& smoothing);

 signals:
  void changed();

 private:
  void KindPicked();

  QComboBox* kindBox_;
  QDoubleSpinBox* parameterBox_;
  double parzenBandwidth_;
  double konnoOhmachiB_;
};

}  // namespace accprep
