#pragma once
// A loaded channel file in compact form: column 0 (time, or frequency for a spectrum) and the
// 40 channels, each column contiguous so a trace can be plotted, searched or integrated
// without striding through the other channels.

#include <cstdint>
#include <memory>
#include <span>

#include "engine/sample_table.hpp"

namespace accprep {

inline constexpr int kTableFileColumns = kWrittenColumns;  // the 41 columns every file holds

class ChannelTable {
 public:
  ChannelTable() = default;
  // Room for `capacity` rows of all 41 columns, left uninitialised: the loader writes every
  // cell it keeps. rows() starts at `capacity`.
  explicit ChannelTable(std::int64_t capacity);

  std::int64_t rows() const { return rows_; }
  // Column 0 is time (or frequency), 1..40 the channels; rows 0..rows()-1.
  std::span<const double> column(int index) const {
    return {cells_.get() + index * capacity_, static_cast<std::size_t>(rows_)};
  }
  std::span<double> column(int index) {
    return {cells_.get() + index * capacity_, static_cast<std::size_t>(rows_)};
  }
  // Keeps the first `rows` rows (at most the capacity).
  void Shrink(std::int64_t rows);
  std::int64_t capacity() const { return capacity_; }
  // Room for `capacity` rows, keeping every row (rows() becomes the capacity as well).
  void Grow(std::int64_t capacity);

  // The line of the file its first record stood on, for messages about the records.
  std::int64_t firstLine() const { return firstLine_; }
  void SetFirstLine(std::int64_t line) { firstLine_ = line; }

 private:
  std::int64_t rows_ = 0;
  std::int64_t capacity_ = 0;
  std::int64_t firstLine_ = 1;
  std::unique_ptr<double[]> cells_;
};

}  // namespace accprep
