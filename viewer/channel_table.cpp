#include "viewer/channel_table.hpp"

#include <stdexcept>

namespace accprep {

ChannelTable::ChannelTable(std::int64_t capacity)
    : rows_(capacity),
      capacity_(capacity),
      // Not value-initialised: zeroing 150 MB only to overwrite it costs a tenth of a second.
      cells_(new double[static_cast<std::size_t>(capacity * kTableFileColumns)]) {}

void ChannelTable::Shrink(std::int64_t rows) {
  if (rows < 0 || rows > capacity_) throw std::logic_error("ChannelTable::Shrink past capacity");
  rows_ = rows;
}

}  // namespace accprep
