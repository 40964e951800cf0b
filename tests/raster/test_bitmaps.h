// Bitmaps for the raster tests: a bottom-up bitmap and a way to fill and compare pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/memory_bitmap.h"
#include "raster/raster_bitmap.h"

// Stores row y at row height − 1 − y, like a bottom-up device section.
class BottomUpBitmap : public RasterBitmap {
 public:
  BottomUpBitmap(int32_t width, int32_t height) { Resize(width, height); }
  uint32_t* GetBits() override { return words_.empty() ? nullptr : words_.data(); }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetRowSpan() const override { return width_ + 3; }
  bool IsBottomUp() const override { return true; }
  bool Resize(int32_t width, int32_t height) override {
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    words_.assign(static_cast<size_t>(width + 3) * height, 0);
    return true;
  }
  // The stored word of row y as memory holds it.
  uint32_t Stored(int32_t x, int32_t storedRow) const {
    return words_[static_cast<size_t>(storedRow) * (width_ + 3) + x];
  }

 private:
  std::vector<uint32_t> words_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Deterministic pixel words with every kind of alpha (0, 255 and in between).
inline uint32_t TestWord(uint32_t seed) {
  uint32_t v = seed * 2654435761u + 0x9E3779B9u;
  v ^= v >> 15;
  v *= 0x85EBCA6Bu;
  v ^= v >> 13;
  switch (seed % 5) {
    case 0:
      return v & 0x00FFFFFFu;  // transparent
    case 1:
      return v | 0xFF000000u;  // opaque
    default:
      return v;
  }
}

inline void FillWithPattern(RasterBitmap& bitmap, uint32_t seed) {
  for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
    for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
      bitmap.GetBits()[static_cast<size_t>(y) * bitmap.GetRowSpan() + x] =
          TestWord(seed + static_cast<uint32_t>(y * 1000 + x));
    }
  }
}
