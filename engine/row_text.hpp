#pragma once
// Turning rows of numbers into text is nearly all the work of writing a channel CSV, a
// matrix file or a job's result. The rows are formatted in batches on two threads while the
// calling thread hands the finished batches, in row order, to the files.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {

// Room for one line of the table's 41 written columns in any number form: the numbers, their
// separators and the CR LF.
inline constexpr std::size_t kTableRowRoom = kWrittenColumns * (kMaxNumberText + 1) + 2;

// Writes the line of a table row: cells[0..40] in `form`, separated by `separator`, then
// CR LF; returns its end. Needs kTableRowRoom bytes at `out`.
char* FormatTableRow(char* out, const double* cells, char separator, const NumberForm& form);

// Replaces every `from` in [begin, end) by `to`: a channel CSV's line becomes the matrix line
// of a point locale (tabs for commas), or the other way.
void ReplaceBytes(char* begin, char* end, char from, char to);

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

// One batch's text in one form; the caller's to change until `emit` returns.
struct RowsText {
  char* text = nullptr;
  const std::size_t* lineEnds = nullptr;
};

// Receives a batch in every form asked for, in their order.
using EmitFormsFn =
    std::function<void(std::int64_t first, std::int64_t rows, std::span<const RowsText> forms)>;

// As FormatRowsInOrder, each row formatted in each of `forms` by the same thread.
void FormatRowsInForms(std::int64_t first, std::int64_t last, std::size_t maxRowBytes,
                       std::span<const FormatRowFn> forms, const EmitFormsFn& emit);

}  // namespace accprep
