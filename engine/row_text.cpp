#include "engine/row_text.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace accprep {
namespace {

// Rows a thread formats at a time: large enough that the handover costs nothing against it,
// small enough that the four batch buffers stay a few MB.
constexpr std::int64_t kBatchRows = 512;
constexpr int kFormatters = 2;
// Each formatter fills one buffer while the other waits to be written.
constexpr int kBuffersEach = 2;

struct Batch {
  std::vector<char> text;
  std::vector<std::size_t> lineEnds;
  std::int64_t first = 0;
  std::int64_t rows = 0;
  bool ready = false;  // formatted, not yet written
};

void Format(Batch& batch, std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
            const FormatRowFn& formatRow) {
  batch.first = first;
  batch.rows = last - first + 1;
  batch.text.resize(static_cast<std::size_t>(batch.rows) * maxRowBytes);
  batch.lineEnds.clear();
  char* const begin = batch.text.data();
  char* out = begin;
  for (std::int64_t row = first; row <= last; ++row) {
    out = formatRow(row, out);
    batch.lineEnds.push_back(static_cast<std::size_t>(out - begin));
  }
}

}  // namespace

void FormatRowsInOrder(std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
                       const FormatRowFn& formatRow, const EmitRowsFn& emit) {
  if (last < first) return;
  if (last - first < kBatchRows) {
    Batch batch;
    Format(batch, first, last, maxRowBytes, formatRow);
    emit(batch.first, batch.text.data(), batch.lineEnds.data(), batch.rows);
    return;
  }

  const std::int64_t batches = (last - first) / kBatchRows + 1;
  Batch buffers[kFormatters][kBuffersEach];
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  auto bufferOf = [&](std::int64_t b) -> Batch& {
    return buffers[b % kFormatters][(b / kFormatters) % kBuffersEach];
  };

  // Formatter f takes batches f, f + 2, f + 4, ...
  auto formatter = [&](int f) {
    for (std::int64_t b = f; b < batches; b += kFormatters) {
      Batch& batch = bufferOf(b);
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop || !batch.ready; });
        if (stop) return;
      }
      const std::int64_t from = first + b * kBatchRows;
      Format(batch, from, std::min(last, from + kBatchRows - 1), maxRowBytes, formatRow);
      {
        std::lock_guard lock(mutex);
        batch.ready = true;
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (int f = 0; f < kFormatters; ++f) threads.emplace_back(formatter, f);

  std::exception_ptr failure;
  try {
    for (std::int64_t b = 0; b < batches; ++b) {
      Batch& batch = bufferOf(b);
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return batch.ready; });
      }
      emit(batch.first, batch.text.data(), batch.lineEnds.data(), batch.rows);
      {
        std::lock_guard lock(mutex);
        batch.ready = false;
      }
      changed.notify_all();
    }
  } catch (...) {
    failure = std::current_exception();
    {
      std::lock_guard lock(mutex);
      stop = true;
    }
    changed.notify_all();
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace accprep
