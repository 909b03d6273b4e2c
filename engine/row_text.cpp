#include "engine/row_text.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/ordered_pipeline.hpp"

namespace accprep {
namespace {

// Rows a thread formats at a time: large enough that the handover costs nothing against it,
// small enough that the batches in flight stay in the processors' caches (a few hundred KB
// each), which also spares the page faults of larger buffers.
constexpr std::int64_t kBatchRows = 512;

struct FormText {
  std::vector<char> text;
  std::vector<std::size_t> lineEnds;
};

struct Batch {
  std::vector<FormText> forms;
  std::vector<RowsText> views;
  std::int64_t first = 0;
  std::int64_t rows = 0;
};

void Format(Batch& batch, std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
            std::span<const FormatRowFn> forms) {
  batch.first = first;
  batch.rows = last - first + 1;
  batch.forms.resize(forms.size());
  batch.views.resize(forms.size());
  for (std::size_t f = 0; f < forms.size(); ++f) {
    FormText& form = batch.forms[f];
    form.text.resize(static_cast<std::size_t>(batch.rows) * maxRowBytes);
    form.lineEnds.clear();
    char* const begin = form.text.data();
    char* out = begin;
    for (std::int64_t row = first; row <= last; ++row) {
      out = forms[f](row, out);
      form.lineEnds.push_back(static_cast<std::size_t>(out - begin));
    }
    batch.views[f] = RowsText{begin, form.lineEnds.data()};
  }
}

}  // namespace

char* FormatTableRow(char* out, const double* cells, char separator, const NumberForm& form) {
  out = FormatNumber(out, cells[0], form);
  for (int c = 1; c < kWrittenColumns; ++c) {
    *out++ = separator;
    out = FormatNumber(out, cells[c], form);
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

// Sixteen bytes at a time: the run passes some 400 MB this way, which a byte loop takes the
// better part of a second for.
void ReplaceBytes(char* begin, char* end, char from, char to) {
  using Bytes = char __attribute__((vector_size(16)));
  const Bytes fromBytes = Bytes{} + from;
  const Bytes toBytes = Bytes{} + to;
  for (; end - begin >= 16; begin += 16) {
    Bytes bytes;
    std::memcpy(&bytes, begin, sizeof bytes);
    const Bytes match = bytes == fromBytes;
    bytes = (bytes & ~match) | (toBytes & match);
    std::memcpy(begin, &bytes, sizeof bytes);
  }
  for (; begin < end; ++begin)
    if (*begin == from) *begin = to;
}

void FormatRowsInForms(std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
                       std::span<const FormatRowFn> forms, const EmitFormsFn& emit) {
  if (last < first) return;
  if (last - first < kBatchRows) {
    Batch batch;
    Format(batch, first, last, maxRowBytes, forms);
    emit(batch.first, batch.rows, batch.views);
    return;
  }
  Batch batches[kPipelineSlots];
  RunOrderedPipeline(
      static_cast<std::uint64_t>((last - first) / kBatchRows + 1),
      [&](std::uint64_t b, int slot) {
        const std::int64_t from = first + static_cast<std::int64_t>(b) * kBatchRows;
        Format(batches[slot], from, std::min(last, from + kBatchRows - 1), maxRowBytes, forms);
      },
      [&](std::uint64_t, int slot) {
        const Batch& batch = batches[slot];
        emit(batch.first, batch.rows, batch.views);
      });
}

void FormatRowsInOrder(std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
                       const FormatRowFn& formatRow, const EmitRowsFn& emit) {
  FormatRowsInForms(first, last, maxRowBytes, std::span(&formatRow, 1),
                    [&emit](std::int64_t from, std::int64_t rows, std::span<const RowsText> forms) {
                      emit(from, forms[0].text, forms[0].lineEnds, rows);
                    });
}

}  // namespace accprep
