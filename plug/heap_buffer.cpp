// The growth policy of HeapBuffer: small steps for small granularities, page-sized steps above.
#include "plug/heap_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr int64_t kPage = 4096;
constexpr int64_t kLargestStep = 0x400000;
// Page-sized allocations stay this far short of a page multiple, leaving room for the
// allocator's own header inside the page.
constexpr int64_t kPageSlack = 96;

}  // namespace

HeapBuffer::HeapBuffer(int32_t granularity) noexcept
    : granularity_(std::max<int32_t>(granularity, 1)) {}

HeapBuffer::~HeapBuffer() {
  std::free(data_);
}

void* HeapBuffer::Resize(int32_t newSize, bool allowShrink) {
  if (newSize < 0) return nullptr;
  if (newSize == size_) return Data();

  const bool grow = newSize > allocated_;
  const bool shrink = allowShrink && newSize < size_ && newSize < allocated_ / 2 &&
                      newSize < allocated_ - 4 * static_cast<int64_t>(granularity_);
  if (!grow && !shrink) {
    size_ = newSize;
    return Data();
  }

  // 64-bit arithmetic: a request near the int32 limit must be refused, not wrap around.
  int64_t step = std::max<int64_t>(newSize / 2, granularity_);
  int64_t allocation;
  if (granularity_ < kPage) {
    allocation = newSize + step;
  } else {
    step = step / kPage * kPage;
    step = std::clamp(step, kPage, kLargestStep);
    allocation = (newSize + step + kPageSlack) / kPage * kPage - kPageSlack;
  }
  allocation = std::max<int64_t>(allocation, minimumAllocation_);
  if (allocation > std::numeric_limits<int32_t>::max()) return nullptr;

  if (allocation != allocated_) {
    void* block = nullptr;
    if (allocation > 0) {
      block = std::realloc(data_, static_cast<size_t>(allocation));
      if (!block) {
        block = std::malloc(static_cast<size_t>(allocation));
        if (!block) return nullptr;
        if (data_) std::memcpy(block, data_, static_cast<size_t>(std::min(size_, newSize)));
        std::free(data_);
      }
    } else {
      std::free(data_);
    }
    data_ = block;
    allocated_ = static_cast<int32_t>(allocation);
  }
  size_ = newSize;
  return Data();
}
