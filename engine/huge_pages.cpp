#include "engine/huge_pages.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace accprep {
namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

std::uintptr_t RoundUp(std::uintptr_t value) { return (value + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void AdviseHugePages(const void* block, std::size_t bytes) noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t begin = RoundUp(start);
  const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

HugePageBlock::HugePageBlock(std::size_t bytes) {
  if (bytes == 0) return;
  const std::size_t size = RoundUp(bytes);
  // A mapping one huge page larger, of which the aligned part is kept.
  void* mapped =
      ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = RoundUp(start);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::uintptr_t tail = start + size + kHugePage - (aligned + size);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + size), tail);
  data_ = reinterpret_cast<void*>(aligned);
  size_ = size;
  ::madvise(data_, size_, MADV_HUGEPAGE);
}

HugePageBlock::~HugePageBlock() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

HugePageBlock::HugePageBlock(HugePageBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

HugePageBlock& HugePageBlock::operator=(HugePageBlock&& other) noexcept {
  if (this != &other) {
    HugePageBlock old(std::move(*this));
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

}  // namespace accprep
