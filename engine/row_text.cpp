#include "engine/row_text.hpp"

#include <algorithm>
#include <vector>

#include "engine/ordered_pipeline.hpp"

namespace accprep {
namespace {

// Rows a thread formats at a time: large enough that the handover costs nothing against it,
// small enough that the batches in flight stay in the processors' caches (a few hundred KB
// each), which also spares the page faults of larger buffers.
constexpr std::int64_t kBatchRows = 512;

struct Batch {
  std::vector<char> text;
  std::vector<std::size_t> lineEnds;
  std::int64_t first = 0;
  std::int64_t rows = 0;
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
  Batch batches[kPipelineSlots];
  RunOrderedPipeline(
      static_cast<std::uint64_t>((last - first) / kBatchRows + 1),
      [&](std::uint64_t b, int slot) {
        const std::int64_t from = first + static_cast<std::int64_t>(b) * kBatchRows;
        Format(batches[slot], from, std::min(last, from + kBatchRows - 1), maxRowBytes, formatRow);
      },
      [&](std::uint64_t, int slot) {
        const Batch& batch = batches[slot];
        emit(batch.first, batch.text.data(), batch.lineEnds.data(), batch.rows);
      });
}

}  // namespace accprep
