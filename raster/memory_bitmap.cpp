// A 32-bit bitmap in ordinary memory.
#include "raster/memory_bitmap.h"

#include <cstdlib>
#include <limits>

namespace {

constexpr int64_t kBitsAlignment = 64;
// Room to move the first pixel up to the next 64-byte boundary.
constexpr int64_t kAlignmentSlack = kBitsAlignment - 1;

}  // namespace

MemoryBitmap::MemoryBitmap(int32_t width, int32_t height, int32_t rowAlignment) {
  // The lowest set bit of the alignment, minus one.
  alignMask_ = rowAlignment > 0 ? (rowAlignment & -rowAlignment) - 1 : 0;
  if (width != 0 || height != 0) Resize(width, height);
}

MemoryBitmap::~MemoryBitmap() {
  Release();
}

uint32_t* MemoryBitmap::GetBits() {
  if (storage_ == nullptr) return nullptr;
  const auto address = reinterpret_cast<uintptr_t>(storage_);
  const auto aligned = (address + kAlignmentSlack) & ~static_cast<uintptr_t>(kAlignmentSlack);
  return reinterpret_cast<uint32_t*>(aligned);
}

void MemoryBitmap::Release() {
  std::free(storage_);
  storage_ = nullptr;
  capacity_ = 0;
}

bool MemoryBitmap::Allocate(int64_t bytes) {
  storage_ = std::malloc(static_cast<size_t>(bytes + kAlignmentSlack));
  capacity_ = storage_ != nullptr ? static_cast<int32_t>(bytes) : 0;
  return storage_ != nullptr;
}

bool MemoryBitmap::Resize(int32_t width, int32_t height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return false;

  width_ = width;
  height_ = height;
  const int64_t needed = int64_t{height} * SpanFor(width) * 4;
  // Sizes whose byte count (with headroom) would not fit the capacity field are refused like a
  // failed allocation.
  constexpr int64_t kMaxBytes = std::numeric_limits<int32_t>::max() / 5 * 4;

  if (needed <= 0 || needed > kMaxBytes) {
    Release();
  } else if (storage_ == nullptr) {
    Allocate(needed);
  } else if (capacity_ < needed) {
    // The old pixels are not kept, so a fresh block serves as well as a reallocation.
    Release();
    if (!Allocate(needed / 4 * 5)) Allocate(needed);
  }

  if (storage_ == nullptr) {
    width_ = 0;
    height_ = 0;
  }
  return true;
}
