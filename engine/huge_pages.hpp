#pragma once
// Large blocks filled once from end to end (the sample table, a job's channels and spectra, a
// loaded conversion) are worth backing by 2 MB pages: on systems that give transparent huge
// pages on request, that turns the tens of thousands of page faults of filling 150 MB into a
// few dozen. On a virtual machine a first touch of a 4 KB page costs about 10 µs, so this is
// a tenth of a second and more per block.

#include <cstddef>

namespace accprep {

// Asks for huge pages for the whole 2 MB pages inside [block, block + bytes). A hint only:
// the block's content and size do not change, and a system without them ignores it.
void AdviseHugePages(const void* block, std::size_t bytes) noexcept;

// A block of memory of its own mapping, 2 MB aligned so that all of it can take huge pages,
// and advised so. Its bytes read as zero until written; only pages touched cost anything.
class HugePageBlock {
 public:
  HugePageBlock() = default;
  // Throws std::bad_alloc when the system has no room for the mapping.
  explicit HugePageBlock(std::size_t bytes);
  ~HugePageBlock();
  HugePageBlock(HugePageBlock&& other) noexcept;
  HugePageBlock& operator=(HugePageBlock&& other) noexcept;

  template <typename T>
  T* As() const {
    return static_cast<T*>(data_);
  }
  std::size_t size() const { return size_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace accprep
