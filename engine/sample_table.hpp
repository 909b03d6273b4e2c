#pragma once
// The sample table: the one in-memory store of a conversion run. 450,001 rows (0..450000) by
// 43 columns (0..42) of doubles in one row-major block. Records occupy rows 1..row count, so
// the capacity is 450,000 records; row 0 exists and stays 0.0. Column 0 is time, columns 1..40
// the channels "1ch".."40ch", columns 41..42 trailing values that are read and never written.

#include <array>
#include <cstdint>
#include <memory>

namespace accprep {

inline constexpr std::int32_t kTableRows = 450001;
inline constexpr std::int32_t kMaxRecords = kTableRows - 1;
inline constexpr std::int16_t kTableColumns = 43;
inline constexpr std::int16_t kChannels = 40;
// Columns 0..40 (time and the 40 channels) are what the writers put into every file.
inline constexpr std::int16_t kWrittenColumns = kChannels + 1;

class SampleTable {
 public:
  // Allocates the whole table, every cell 0.0. The block comes from the system's zeroed
  // pages, so the cells a small record never touches cost no physical memory.
  SampleTable();
  SampleTable(const SampleTable&) = delete;
  SampleTable& operator=(const SampleTable&) = delete;

  // Checked cell access: a row outside 0..450000 or a column outside 0..42 throws a capacity
  // DataError that names the row and column; nothing outside the table is ever touched.
  double& at(std::int32_t row, std::int16_t column);
  double at(std::int32_t row, std::int16_t column) const;

  // The 43 cells of one row, after checking the row against the bounds (same error as at()).
  // For loops that have already checked their columns against kTableColumns.
  double* row(std::int32_t row);
  const double* row(std::int32_t row) const;

 private:
  struct FreeBlock {
    void operator()(double* block) const noexcept;
  };
  std::unique_ptr<double[], FreeBlock> cells_;
};

// One mean per channel, entries 0..40; entry 0 is never written. Filled by baseline removal.
using ChannelMeans = std::array<double, kChannels + 1>;

}  // namespace accprep
