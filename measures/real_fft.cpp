#include "measures/real_fft.hpp"

#include <fftw3.h>

#include <map>
#include <mutex>
#include <new>
#include <stdexcept>

namespace accprep {
namespace {

// Recursive: plans that are let go of while a thread makes others (a failed allocation in
// For) are destroyed on that thread, under the lock it holds.
std::recursive_mutex& PlannerLock() {
  static std::recursive_mutex lock;
  return lock;
}

// The plans in use, by length; guarded by the planner lock.
std::map<std::size_t, std::weak_ptr<const RealFftPlans>>& PlansInUse() {
  static std::map<std::size_t, std::weak_ptr<const RealFftPlans>> plans;
  return plans;
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

fftw_complex* AsFftw(std::complex<double>* values) {
  // std::complex<double> is laid out as double[2], as fftw_complex is.
  return reinterpret_cast<fftw_complex*>(values);
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

std::shared_ptr<const RealFftPlans> RealFftPlans::For(std::size_t length) {
  if (length < 2 || length % 2 != 0) throw std::invalid_argument("RealFft needs an even length");
  const std::lock_guard guard(PlannerLock());
  auto& inUse = PlansInUse();
  std::erase_if(inUse, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<const RealFftPlans>& entry = inUse[length];
  if (std::shared_ptr<const RealFftPlans> plans = entry.lock()) return plans;
  std::shared_ptr<const RealFftPlans> plans(new RealFftPlans(length));
  entry = plans;
  return plans;
}

RealFftPlans::RealFftPlans(std::size_t length) : length_(length) {
  // FFTW_ESTIMATE plans in milliseconds without touching the arrays; measuring would cost more
  // than the transforms of a whole record. The arrays only lend the plans their alignment,
  // which every buffer fftw_malloc or a page-aligned block gives shares.
  double* signal = static_cast<double*>(FftwAllocate(sizeof(double) * length));
  void* spectrum = fftw_malloc(sizeof(fftw_complex) * bins());
  if (spectrum != nullptr) {
    auto* complexBuffer = static_cast<fftw_complex*>(spectrum);
    forward_ = fftw_plan_dft_r2c_1d(static_cast<int>(length), signal, complexBuffer, FFTW_ESTIMATE);
    inverse_ = fftw_plan_dft_c2r_1d(static_cast<int>(length), complexBuffer, signal, FFTW_ESTIMATE);
  }
  fftw_free(signal);
  fftw_free(spectrum);
  if (forward_ == nullptr || inverse_ == nullptr) {
    if (forward_ != nullptr) fftw_destroy_plan(forward_);
    if (inverse_ != nullptr) fftw_destroy_plan(inverse_);
    throw std::bad_alloc();
  }
}

RealFftPlans::~RealFftPlans() {
  const std::lock_guard guard(PlannerLock());
  fftw_destroy_plan(forward_);
  fftw_destroy_plan(inverse_);
}

void RealFftPlans::Forward(const double* signal, std::complex<double>* spectrum) const {
  // An out-of-place real-to-complex transform keeps its input, as the const here says.
  fftw_execute_dft_r2c(forward_, const_cast<double*>(signal), AsFftw(spectrum));
}

void RealFftPlans::Inverse(std::complex<double>* spectrum, double* signal) const {
  fftw_execute_dft_c2r(inverse_, AsFftw(spectrum), signal);
}

RealFftPlansAhead::~RealFftPlansAhead() {
  if (planner_.joinable()) planner_.join();
}

void RealFftPlansAhead::Start(std::size_t length) {
  if (length < 2 || length % 2 != 0 || planner_.joinable()) return;
  planner_ = std::thread([this, length] {
    try {
      plans_ = RealFftPlans::For(length);
    } catch (...) {
    }
  });
}

std::shared_ptr<const RealFftPlans> RealFftPlansAhead::Wait() {
  if (planner_.joinable()) planner_.join();
  return plans_;
}

RealFft::RealFft(std::size_t length) : plans_(RealFftPlans::For(length)) {
  try {
    signal_ = static_cast<double*>(FftwAllocate(sizeof(double) * length));
    spectrum_ = static_cast<std::complex<double>*>(FftwAllocate(sizeof(fftw_complex) * bins()));
  } catch (...) {
    Release();
    throw;
  }
}

RealFft::~RealFft() { Release(); }

void RealFft::Release() noexcept {
  fftw_free(signal_);
  fftw_free(spectrum_);
  signal_ = nullptr;
  spectrum_ = nullptr;
}

}  // namespace accprep
