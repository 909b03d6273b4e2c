#pragma once
// Real-to-complex Fourier transforms on FFTW: the one wrapper of the library for the measures
// and the integration jobs, and the lengths it runs fast at.
//
// FFTW runs plans side by side safely, but its planner is not thread-safe: every plan here is
// made and destroyed under one lock, and the plans of a length are made once and shared by
// every transform of that length, so the measures and the jobs may transform on several
// threads at once (the viewer computes spectra and intensities off its window's thread; a job
// integrates two channels at a time).

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <thread>

struct fftw_plan_s;  // fftw3.h's plan, kept out of this header

namespace accprep {

// The smallest even number >= minimum whose prime factors are all 2, 3 or 5: lengths FFTW
// transforms about as fast as a power of two, with up to 40 % less padding.
std::size_t FastFftLength(std::size_t minimum);
// The largest such length <= maximum (>= 2): for a transform of a record's own period, where
// padding is not wanted, at the cost of the samples beyond it.
std::size_t FastFftLengthAtMost(std::size_t maximum);

// The forward and inverse plans of one length, shared. Each caller brings buffers of its own,
// separate for the signal and the spectrum and aligned as fftw_malloc aligns them (RealFft's
// buffers and a HugePageBlock are).
class RealFftPlans {
 public:
  // The plans for `length` real values (even, >= 2): the ones in use when any transform of
  // that length holds them, else new ones. Throws std::invalid_argument for an odd or too
  // short length, std::bad_alloc when FFTW cannot plan it.
  static std::shared_ptr<const RealFftPlans> For(std::size_t length);
  ~RealFftPlans();
  RealFftPlans(const RealFftPlans&) = delete;
  RealFftPlans& operator=(const RealFftPlans&) = delete;

  std::size_t length() const { return length_; }
  std::size_t bins() const { return length_ / 2 + 1; }  // 0 .. length/2

  // spectrum[k] = sum_n signal[n] exp(-2 pi i k n / length), k = 0..length/2; the signal
  // is kept.
  void Forward(const double* signal, std::complex<double>* spectrum) const;
  // signal[n] = sum over all k of X[k] exp(+2 pi i k n / length), the negative frequencies
  // being the conjugates of spectrum[]: unnormalised, so Forward then Inverse multiplies the
  // signal by length(). Overwrites the spectrum.
  void Inverse(std::complex<double>* spectrum, double* signal) const;

 private:
  explicit RealFftPlans(std::size_t length);  // with the planner lock held

  std::size_t length_;
  fftw_plan_s* forward_ = nullptr;
  fftw_plan_s* inverse_ = nullptr;
};

// The plans of one length made on a thread of its own and held until this is destroyed, so
// that transforms of that length made meanwhile or after find them made: planning a few
// hundred thousand points takes tens of milliseconds, which reading a file can hide.
class RealFftPlansAhead {
 public:
  RealFftPlansAhead() = default;
  ~RealFftPlansAhead();  // waits for the planning
  RealFftPlansAhead(const RealFftPlansAhead&) = delete;
  RealFftPlansAhead& operator=(const RealFftPlansAhead&) = delete;

  // Starts making the plans for `length` real values; nothing for a length no plan takes or
  // once started. A failure is left to the transform that needs the plans to meet again.
  void Start(std::size_t length);
  // Waits for the planning and gives its plans: null where none was started or it failed.
  std::shared_ptr<const RealFftPlans> Wait();

 private:
  std::thread planner_;
  std::shared_ptr<const RealFftPlans> plans_;
};

// A transform with buffers of its own: fill signal(), call Forward(), read spectrum().
class RealFft {
 public:
  // Buffers and plans for `length` real values (even, >= 2). Throws std::bad_alloc when the
  // buffers cannot be had, std::invalid_argument for an odd or too short length.
  explicit RealFft(std::size_t length);
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  std::size_t length() const { return plans_->length(); }
  std::size_t bins() const { return plans_->bins(); }
  std::span<double> signal() { return {signal_, length()}; }
  std::span<std::complex<double>> spectrum() { return {spectrum_, bins()}; }

  // As RealFftPlans::Forward and Inverse, on the buffers above.
  void Forward() { plans_->Forward(signal_, spectrum_); }
  void Inverse() { plans_->Inverse(spectrum_, signal_); }

 private:
  void Release() noexcept;

  std::shared_ptr<const RealFftPlans> plans_;
  double* signal_ = nullptr;
  std::complex<double>* spectrum_ = nullptr;
};

}  // namespace accprep
