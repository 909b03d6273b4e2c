#pragma once
// Turning rows of numbers into text is nearly all the work of writing a channel CSV, a
// matrix file or a job's result. The rows are formatted in batches on two threads while the
// calling thread hands the finished batches, in row order, to the file.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace accprep {

// Writes the text of row `row` at `out` (at most maxRowBytes) and returns its end.
using FormatRowFn = std::function<char*(std::int64_t row, char* out)>;

// Receives the text of rows first..first+rows-1, in row order: `text` holds them one after
// another, lineEnds[i] is the end of row first+i within it.
using EmitRowsFn = std::function<void(std::int64_t first, const char* text,
                                      const std::size_t* lineEnds, std::int64_t rows)>;

// Formats rows first..last with `formatRow` on two threads and calls `emit` on the calling
// thread for each batch in order. An exception from `emit` stops the formatting and leaves
// this function; `formatRow` must not throw.
void FormatRowsInOrder(std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
                       const FormatRowFn& formatRow, const EmitRowsFn& emit);

}  // namespace accprep
