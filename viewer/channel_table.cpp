#include "viewer/channel_table.hpp"

#include <algorithm>
#include <stdexcept>

#include "engine/huge_pages.hpp"

namespace accprep {

ChannelTable::ChannelTable(std::int64_t capacity)
    : rows_(capacity),
      capacity_(capacity),
      // Not value-initialised: zeroing 150 MB only to overwrite it costs a tenth of a second.
      cells_(new double[static_cast<std::size_t>(capacity * kTableFileColumns)]) {
  AdviseHugePages(cells_.get(),
                  static_cast<std::size_t>(capacity * kTableFileColumns) * sizeof(double));
}

void ChannelTable::Grow(std::int64_t capacity) {
  if (capacity <= capacity_) return;
  ChannelTable grown(capacity);
  for (int c = 0; c < kTableFileColumns; ++c)
    std::copy_n(column(c).data(), rows_, grown.column(c).data());
  cells_ = std::move(grown.cells_);
  capacity_ = capacity;
  rows_ = capacity;
}

void ChannelTable::Shrink(std::int64_t rows) {
  if (rows < 0 || rows > capacity_) throw std::logic_error("ChannelTable::Shrink past capacity");
  rows_ = rows;
}

}  // namespace accprep
