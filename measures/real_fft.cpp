#include "measures/real_fft.hpp"

#include <fftw3.h>

#include <mutex>
#include <new>
#include <stdexcept>

namespace accprep {
namespace {

std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

bool IsFiveSmooth(std::size_t n) {
  for (std::size_t factor : {2u, 3u, 5u}) {
    while (n % factor == 0) n /= factor;
  }
  return n == 1;
}

void* FftwAllocate(std::size_t bytes) {
  void* block = fftw_malloc(bytes);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

std::size_t FastFftLength(std::size_t minimum) {
  std::size_t n = minimum < 2 ? 2 : minimum + (minimum % 2);
  while (!IsFiveSmooth(n)) n += 2;
  return n;
}

std::size_t FastFftLengthAtMost(std::size_t maximum) {
  std::size_t n = maximum - (maximum % 2);
  while (n > 2 && !IsFiveSmooth(n)) n -= 2;
  return n;
}

RealFft::RealFft(std::size_t length) : length_(length) {
  if (length < 2 || length % 2 != 0) throw std::invalid_argument("RealFft needs an even length");
  try {
    signal_ = static_cast<double*>(FftwAllocate(sizeof(double) * length_));
    spectrum_ = static_cast<std::complex<double>*>(FftwAllocate(sizeof(fftw_complex) * bins()));
    auto* complexBuffer = reinterpret_cast<fftw_complex*>(spectrum_);
    const std::lock_guard<std::mutex> guard(PlannerLock());
    // FFTW_ESTIMATE plans in milliseconds without touching the buffers; measuring would cost
    // more than the transforms of a whole record.
    forward_ =
        fftw_plan_dft_r2c_1d(static_cast<int>(length_), signal_, complexBuffer, FFTW_ESTIMATE);
    inverse_ =
        fftw_plan_dft_c2r_1d(static_cast<int>(length_), complexBuffer, signal_, FFTW_ESTIMATE);
    if (forward_ == nullptr || inverse_ == nullptr) throw std::bad_alloc();
  } catch (...) {
    Release();
    throw;
  }
}

RealFft::~RealFft() { Release(); }

void RealFft::Release() noexcept {
  {
    const std::lock_guard<std::mutex> guard(PlannerLock());
    if (forward_ != nullptr) fftw_destroy_plan(forward_);
    if (inverse_ != nullptr) fftw_destroy_plan(inverse_);
  }
  forward_ = inverse_ = nullptr;
  fftw_free(signal_);
  fftw_free(spectrum_);
  signal_ = nullptr;
  spectrum_ = nullptr;
}

void RealFft::Forward() { fftw_execute(forward_); }

void RealFft::Inverse() { fftw_execute(inverse_); }

}  // namespace accprep
