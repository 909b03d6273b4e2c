#include "viewer/channel_table.hpp"

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

void ChannelTable::Shrink(std::int64_t rows) {
  if (rows < 0 || rows > capacity_) throw std::logic_error("ChannelTable::Shrink past capacity");
  rows_ = rows;
}

}  // namespace accprep
