// The huge-page block: the transforms rely on its alignment, the jobs on its zeros and on the
// one owner a move leaves.

#include "engine/huge_pages.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace accprep {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

TEST(HugePageBlock, IsAlignedReadsAsZeroAndMovesItsOwnership) {
  HugePageBlock block(3 * kHugePage + 1);
  ASSERT_NE(block.As<char>(), nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.As<char>()) % kHugePage, 0u);
  EXPECT_EQ(block.size(), 4 * kHugePage);
  const char* bytes = block.As<char>();
  EXPECT_EQ(bytes[0] | bytes[kHugePage] | bytes[block.size() - 1], 0);
  block.As<double>()[7] = 1.5;  // the whole size is writable
  block.As<char>()[block.size() - 1] = 1;

  HugePageBlock moved(std::move(block));
  EXPECT_EQ(block.As<char>(), nullptr);
  EXPECT_EQ(block.size(), 0u);
  EXPECT_EQ(moved.As<double>()[7], 1.5);
  HugePageBlock assigned(kHugePage);
  assigned = std::move(moved);
  EXPECT_EQ(assigned.As<double>()[7], 1.5);
  EXPECT_EQ(assigned.size(), 4 * kHugePage);

  EXPECT_EQ(HugePageBlock(0).As<char>(), nullptr);
}

}  // namespace
}  // namespace accprep
