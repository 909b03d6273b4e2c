#include "engine/ordered_pipeline.hpp"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace accprep {
namespace {

constexpr int kWorkers = 2;
constexpr int kSlotsEach = kPipelineSlots / kWorkers;

int SlotOf(std::uint64_t piece) {
  return static_cast<int>(piece % kWorkers) * kSlotsEach +
         static_cast<int>((piece / kWorkers) % kSlotsEach);
}

}  // namespace

void RunOrderedPipeline(std::uint64_t count, const MakePieceFn& make, const TakePieceFn& take) {
  bool ready[kPipelineSlots] = {};  // made, not yet taken
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  std::exception_ptr workerFailure;

  auto worker = [&](int w) {
    try {
      for (std::uint64_t piece = w; piece < count; piece += kWorkers) {
        const int slot = SlotOf(piece);
        {
          std::unique_lock lock(mutex);
          changed.wait(lock, [&] { return stop || !ready[slot]; });
          if (stop) return;
        }
        make(piece, slot);
        {
          std::lock_guard lock(mutex);
          ready[slot] = true;
        }
        changed.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!workerFailure) workerFailure = std::current_exception();
      stop = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) workers.emplace_back(worker, w);

  std::exception_ptr failure;
  try {
    for (std::uint64_t piece = 0; piece < count; ++piece) {
      const int slot = SlotOf(piece);
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return ready[slot] || workerFailure; });
        if (workerFailure) break;
      }
      take(piece, slot);
      {
        std::lock_guard lock(mutex);
        ready[slot] = false;
      }
      changed.notify_all();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  changed.notify_all();
  for (std::thread& thread : workers) thread.join();
  if (failure) std::rethrow_exception(failure);
  if (workerFailure) std::rethrow_exception(workerFailure);
}

}  // namespace accprep
