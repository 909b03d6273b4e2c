#pragma once
// Integration of a uniformly sampled record in the frequency domain, one channel at a time.
//
// Per channel: the record's mean is removed, the record is zero padded to a fast FFT length of
// at least twice its own, transformed, divided by i*2*pi*f once (velocity) or twice
// (displacement) and weighted by the zero-phase filter magnitude in the same step, with the
// zero-frequency term set to zero; the inverse transform is cut back to the record's length.
// The amplitude spectrum is that of the cut-back result, zero padded the same way.
//
// One plan pair (measures/real_fft.hpp) serves every channel of a record. A copy shares the
// plans and the filter weights and has buffers of its own, so copies may integrate channels on
// several threads at once.

#include <complex>
#include <cstddef>
#include <memory>

#include "engine/huge_pages.hpp"
#include "measures/real_fft.hpp"

namespace accprep {

enum class IntegrationMode {
  kVelocity,      // one integration: acceleration -> velocity
  kDisplacement,  // two integrations: acceleration -> displacement
};

// Butterworth magnitudes, zero phase: high-pass |H| = 1/sqrt(1 + (fc/f)^(2n)), low-pass
// |L| = 1/sqrt(1 + (f/fc)^(2n)). A corner of 0 turns that filter off.
// Orders beyond this add nothing a record needs and only sharpen the ringing.
inline constexpr int kMaxFilterOrder = 12;

struct FilterSettings {
  double highPassCorner = 0.1;  // Hz
  int highPassOrder = 4;
  double lowPassCorner = 0.0;  // Hz
  int lowPassOrder = 4;
};

class FftIntegrator {
 public:
  // records >= 2 values per channel, sampled every `step` seconds (> 0). The filter orders
  // must lie in 1..kMaxFilterOrder and the corners be finite and >= 0 (JobOptions checks).
  FftIntegrator(std::size_t records, double step, IntegrationMode mode,
                const FilterSettings& filter);
  ~FftIntegrator();
  // Same transform, own buffers (see above).
  FftIntegrator(const FftIntegrator& other);
  FftIntegrator& operator=(const FftIntegrator&) = delete;

  std::size_t fftLength() const { return fftLength_; }
  // Frequencies of the spectrum: k * frequencyStep() for k = 1..spectrumLength().
  std::size_t spectrumLength() const { return fftLength_ / 2; }
  double frequencyStep() const { return 1.0 / (static_cast<double>(fftLength_) * step_); }

  // Replaces the `records` values at samples[0], samples[stride], ... (acceleration) by their
  // integral, and writes the result's amplitude spectrum |FFT| * step (result units x s) for
  // k = 1..spectrumLength() at spectrum[0], spectrum[spectrumStride], ... when spectrum is
  // not null. Never allocates. A channel's buffers are the only memory it touches besides
  // its own samples and spectrum, so different copies may work on different channels.
  void Integrate(double* samples, std::size_t stride, double* spectrum, std::size_t spectrumStride);
  // The amplitude spectrum of an integral Integrate wrote, as Integrate would have written it
  // beside: for a job that writes the integrals before it needs their spectra. The integral is
  // read whole before the spectrum is written, so the two may share memory.
  void AmplitudeSpectrum(const double* integral, std::size_t stride, double* spectrum,
                         std::size_t spectrumStride);

 private:
  void AllocateBuffers();
  // The spectrum of the padded record in the signal buffer, from k = 1.
  void SpectrumOfSignal(double* spectrum, std::size_t spectrumStride);
  double* signal() const { return signalBlock_.As<double>(); }
  std::complex<double>* spectrumBuffer() const { return spectrumBlock_.As<std::complex<double>>(); }

  std::size_t records_;
  double step_;
  IntegrationMode mode_;
  std::size_t fftLength_;
  std::shared_ptr<const RealFftPlans> plans_;
  std::shared_ptr<const HugePageBlock> weights_;  // per bin: filter / (2 pi f)^p / fftLength
  HugePageBlock signalBlock_;                     // fftLength_ reals
  HugePageBlock spectrumBlock_;                   // fftLength_/2 + 1 complex values
};

}  // namespace accprep
