#include "engine/sample_table.hpp"

#include <cstdlib>
#include <new>
#include <string>

#include "engine/data_error.hpp"
#include "engine/huge_pages.hpp"

namespace accprep {
namespace {

[[noreturn]] void ThrowOutside(std::int32_t row, std::int16_t column) {
  throw DataError(DataErrorKind::kCapacity,
                  "row " + std::to_string(row) + ", column " + std::to_string(column) +
                      " lies outside the sample table (rows 0..450000, columns 0..42)");
}

void CheckRow(std::int32_t row) {
  if (row < 0 || row >= kTableRows) ThrowOutside(row, 0);
}

}  // namespace

void SampleTable::FreeBlock::operator()(double* block) const noexcept { std::free(block); }

SampleTable::SampleTable() {
  // calloc of a block this size maps fresh zero pages: all 0.0 (IEEE zero is all-zero bits)
  // without a pass over 155 MB.
  void* block = std::calloc(static_cast<std::size_t>(kTableRows) * kTableColumns, sizeof(double));
  if (block == nullptr) throw std::bad_alloc();
  AdviseHugePages(block, static_cast<std::size_t>(kTableRows) * kTableColumns * sizeof(double));
  cells_.reset(static_cast<double*>(block));
}

double& SampleTable::at(std::int32_t row, std::int16_t column) {
  if (row < 0 || row >= kTableRows || column < 0 || column >= kTableColumns)
    ThrowOutside(row, column);
  return cells_[static_cast<std::size_t>(row) * kTableColumns + column];
}

double SampleTable::at(std::int32_t row, std::int16_t column) const {
  return const_cast<SampleTable*>(this)->at(row, column);
}

double* SampleTable::row(std::int32_t row) {
  CheckRow(row);
  return &cells_[static_cast<std::size_t>(row) * kTableColumns];
}

const double* SampleTable::row(std::int32_t row) const {
  CheckRow(row);
  return &cells_[static_cast<std::size_t>(row) * kTableColumns];
}

}  // namespace accprep
