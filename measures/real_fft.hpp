#pragma once
// Real-to-complex Fourier transforms on FFTW, and the lengths they run fast at.
//
// FFTW runs plans side by side safely, but its planner is not thread-safe: every plan here is
// made and destroyed under one lock, so the measures may run on several threads at once (the
// viewer computes spectra and intensities off its window's thread).

#include <complex>
#include <cstddef>
#include <span>

struct fftw_plan_s;  // fftw3.h's plan, kept out of this header

namespace accprep {

// The smallest even number >= minimum whose prime factors are all 2, 3 or 5: lengths FFTW
// transforms about as fast as a power of two, with up to 40 % less padding.
std::size_t FastFftLength(std::size_t minimum);
// The largest such length <= maximum (>= 2): for a transform of a record's own period, where
// padding is not wanted, at the cost of the samples beyond it.
std::size_t FastFftLengthAtMost(std::size_t maximum);

class RealFft {
 public:
  // Buffers and plans for `length` real values (even, >= 2). Throws std::bad_alloc when the
  // buffers cannot be had, std::invalid_argument for an odd or too short length.
  explicit RealFft(std::size_t length);
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  std::size_t length() const { return length_; }
  std::size_t bins() const { return length_ / 2 + 1; }  // 0 .. length/2
  std::span<double> signal() { return {signal_, length_}; }
  std::span<std::complex<double>> spectrum() { return {spectrum_, bins()}; }

  // spectrum[k] = sum_n signal[n] exp(-2 pi i k n / length); the signal is kept.
  void Forward();
  // signal[n] = sum over all k of X[k] exp(+2 pi i k n / length), the negative frequencies
  // being the conjugates of spectrum[]: unnormalised, so Forward then Inverse multiplies the
  // signal by length(). Overwrites the spectrum.
  void Inverse();

 private:
  void Release() noexcept;

  std::size_t length_;
  double* signal_ = nullptr;
  std::complex<double>* spectrum_ = nullptr;
  fftw_plan_s* forward_ = nullptr;
  fftw_plan_s* inverse_ = nullptr;
};

}  // namespace accprep
