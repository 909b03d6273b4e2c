#include "jobs/fft_integrator.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace accprep {
namespace {

// x^(2 order) by repeated multiplication: exact for the small integer orders we allow, and an
// overflow to infinity gives the limit the magnitude formulas need (a weight of 0).
double EvenPower(double x, int order) {
  double square = x * x;
  double result = 1.0;
  for (int i = 0; i < order; ++i) result *= square;
  return result;
}

}  // namespace

FftIntegrator::FftIntegrator(std::size_t records, double step, IntegrationMode mode,
                             const FilterSettings& filter)
    : records_(records), step_(step), mode_(mode), fftLength_(FastFftLength(2 * records)) {
  if (records < 2 || !(step > 0.0) || !std::isfinite(step))
    throw std::invalid_argument("FftIntegrator needs at least 2 records and a positive step");
  plans_ = RealFftPlans::For(fftLength_);
  AllocateBuffers();
  const std::size_t bins = fftLength_ / 2 + 1;
  auto weightBlock = std::make_shared<HugePageBlock>(sizeof(double) * bins);

  // The weights fold together everything that is the same for every channel: the filter
  // magnitudes, 1/(2 pi f) once or twice, and the 1/N the unnormalised inverse needs. The
  // factor i (or i^2) of the division is applied in Integrate.
  double* weights = weightBlock->As<double>();
  const double df = frequencyStep();
  const int integrations = mode == IntegrationMode::kVelocity ? 1 : 2;
  const double inverseLength = 1.0 / static_cast<double>(fftLength_);
  weights[0] = 0.0;  // the zero-frequency term has no integral; drift would come from it
  for (std::size_t k = 1; k < bins; ++k) {
    const double f = static_cast<double>(k) * df;
    double weight = inverseLength;
    if (filter.highPassCorner > 0.0)
      weight /= std::sqrt(1.0 + EvenPower(filter.highPassCorner / f, filter.highPassOrder));
    if (filter.lowPassCorner > 0.0)
      weight /= std::sqrt(1.0 + EvenPower(f / filter.lowPassCorner, filter.lowPassOrder));
    const double omega = 2.0 * std::numbers::pi * f;
    for (int i = 0; i < integrations; ++i) weight /= omega;
    weights[k] = weight;
  }
  // At the Nyquist bin a single integration would turn the real value into an imaginary one,
  // which a real record cannot carry; it is dropped rather than silently misread.
  if (integrations == 1) weights[bins - 1] = 0.0;
  weights_ = std::move(weightBlock);
}

FftIntegrator::FftIntegrator(const FftIntegrator& other)
    : records_(other.records_),
      step_(other.step_),
      mode_(other.mode_),
      fftLength_(other.fftLength_),
      plans_(other.plans_),
      weights_(other.weights_) {
  AllocateBuffers();
}

FftIntegrator::~FftIntegrator() = default;

void FftIntegrator::AllocateBuffers() {
  // Blocks of their own pages: aligned beyond what any of FFTW's plans asks, as shared plans
  // require, and without the thousands of small page faults that filling 14 MB a thread
  // would cost.
  signalBlock_ = HugePageBlock(sizeof(double) * fftLength_);
  spectrumBlock_ = HugePageBlock(sizeof(std::complex<double>) * (fftLength_ / 2 + 1));
}

void FftIntegrator::Integrate(double* samples, std::size_t stride, double* spectrum,
                              std::size_t spectrumStride) {
  const std::size_t n = records_;
  const std::size_t bins = fftLength_ / 2 + 1;
  double* const signal = this->signal();
  std::complex<double>* const c = spectrumBuffer();

  // The mean goes before the padding: a constant offset is then zero over the whole padded
  // record, instead of a box whose edges would leak into every frequency.
  // The strided column is read once; the rest works on the contiguous buffer.
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    signal[i] = samples[i * stride];
    sum += signal[i];
  }
  const double mean = sum / static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) signal[i] -= mean;
  for (std::size_t i = n; i < fftLength_; ++i) signal[i] = 0.0;

  const double* weights = weights_->As<double>();
  plans_->Forward(signal, c);
  // The bins as the interleaved pairs of doubles std::complex is made of, which keeps these
  // loops as plain as the processor wants them.
  double* const pairs = reinterpret_cast<double*>(c);
  if (mode_ == IntegrationMode::kVelocity) {
    // X / (i w) = -i X / w: (re, im) -> (im, -re) / w
    for (std::size_t k = 0; k < bins; ++k) {
      const double re = pairs[2 * k];
      const double im = pairs[2 * k + 1];
      pairs[2 * k] = im * weights[k];
      pairs[2 * k + 1] = -re * weights[k];
    }
  } else {
    // X / (i w)^2 = -X / w^2
    for (std::size_t k = 0; k < bins; ++k) {
      pairs[2 * k] = -pairs[2 * k] * weights[k];
      pairs[2 * k + 1] = -pairs[2 * k + 1] * weights[k];
    }
  }
  plans_->Inverse(c, signal);
  for (std::size_t i = 0; i < n; ++i) samples[i * stride] = signal[i];

  if (spectrum == nullptr) return;
  // The spectrum belongs to the record as written, so the tail the inverse transform left in
  // the padding is cut off before the second forward transform.
  for (std::size_t i = n; i < fftLength_; ++i) signal[i] = 0.0;
  SpectrumOfSignal(spectrum, spectrumStride);
}

void FftIntegrator::AmplitudeSpectrum(const double* integral, std::size_t stride, double* spectrum,
                                      std::size_t spectrumStride) {
  double* const signal = this->signal();
  for (std::size_t i = 0; i < records_; ++i) signal[i] = integral[i * stride];
  for (std::size_t i = records_; i < fftLength_; ++i) signal[i] = 0.0;
  SpectrumOfSignal(spectrum, spectrumStride);
}

void FftIntegrator::SpectrumOfSignal(double* spectrum, std::size_t spectrumStride) {
  const std::size_t bins = fftLength_ / 2 + 1;
  std::complex<double>* const c = spectrumBuffer();
  plans_->Forward(signal(), c);
  for (std::size_t k = 1; k < bins; ++k) {
    const double re = c[k].real();
    const double im = c[k].imag();
    spectrum[(k - 1) * spectrumStride] = std::sqrt(re * re + im * im) * step_;
  }
}

}  // namespace accprep
