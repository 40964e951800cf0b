// A 32-bit bitmap in ordinary memory: the skin images and scratch surfaces.
#pragma once

#include <cstdint>

#include "raster/raster_bitmap.h"

// Rows start on 64-byte boundaries when the row span allows it; storage grows with 25 % headroom
// and is never given back while the bitmap is non-empty, so repeated resizing does not allocate.
// Not thread-safe; owned and used by one thread at a time.
class MemoryBitmap : public RasterBitmap {
 public:
  // rowAlignment is in pixels; only its lowest set bit counts (0 and 1 mean no alignment).
  explicit MemoryBitmap(int32_t width = 0, int32_t height = 0, int32_t rowAlignment = 4);
  ~MemoryBitmap() override;

  uint32_t* GetBits() override;
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  // A width that Resize kept always has a span that fits 32 bits.
  int32_t GetRowSpan() const override { return static_cast<int32_t>(SpanFor(width_)); }
  // Negative sizes count as 0. Pixels are neither cleared nor moved when the span changes.
  // On allocation failure the bitmap is left empty (0 × 0, no bits).
  bool Resize(int32_t width, int32_t height) override;

  // Usable bytes of the allocation, for callers that check storage reuse.
  int32_t GetCapacity() const { return capacity_; }

 private:
  // In 64 bits: rounding a width near INT32_MAX up to the alignment would overflow.
  int64_t SpanFor(int32_t width) const {
    return (int64_t{width} + alignMask_) & ~int64_t{alignMask_};
  }
  void Release();
  bool Allocate(int64_t bytes);

  void* storage_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t capacity_ = 0;
  int32_t alignMask_ = 0;
};
