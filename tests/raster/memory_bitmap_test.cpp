// Tests of the memory bitmap's layout and storage reuse.
#include "raster/memory_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool OnSixtyFourByteBoundary(const void* p) {
  return reinterpret_cast<uintptr_t>(p) % 64 == 0;
}

TEST(MemoryBitmapLayout, RowsAreRoundedUpToTheAlignment) {
  MemoryBitmap bitmap(5, 5, 4);
  EXPECT_EQ(bitmap.GetRowSpan(), 8);
  EXPECT_TRUE(OnSixtyFourByteBoundary(bitmap.GetBits()));
  EXPECT_EQ(bitmap.GetCapacity(), 5 * 8 * 4);
  EXPECT_EQ(bitmap.GetDeviceContext(), nullptr);
  EXPECT_FALSE(bitmap.IsBottomUp());
}

TEST(MemoryBitmapLayout, OnlyTheLowestBitOfTheAlignmentCounts) {
  EXPECT_EQ(MemoryBitmap(5, 1, 12).GetRowSpan(), 8);  // 12 → 4
  EXPECT_EQ(MemoryBitmap(5, 1, 0).GetRowSpan(), 5);
  EXPECT_EQ(MemoryBitmap(5, 1, 1).GetRowSpan(), 5);
  EXPECT_EQ(MemoryBitmap(17, 1, 16).GetRowSpan(), 32);
}

TEST(MemoryBitmapStorage, ShrinkingKeepsTheStorage) {
  MemoryBitmap bitmap(5, 5, 4);
  uint32_t* bits = bitmap.GetBits();
  EXPECT_TRUE(bitmap.Resize(3, 3));
  EXPECT_EQ(bitmap.GetBits(), bits);
  EXPECT_EQ(bitmap.GetCapacity(), 5 * 8 * 4);
  EXPECT_EQ(bitmap.GetRowSpan(), 4);
}

TEST(MemoryBitmapStorage, GrowingAddsAQuarterOfHeadroom) {
  MemoryBitmap bitmap(4, 4, 4);
  EXPECT_TRUE(bitmap.Resize(8, 8));
  EXPECT_EQ(bitmap.GetCapacity(), 8 * 8 * 4 / 4 * 5);
  EXPECT_TRUE(OnSixtyFourByteBoundary(bitmap.GetBits()));
  // Within the headroom nothing moves.
  uint32_t* bits = bitmap.GetBits();
  EXPECT_TRUE(bitmap.Resize(8, 10));
  EXPECT_EQ(bitmap.GetBits(), bits);
}

TEST(MemoryBitmapStorage, TheFirstAllocationHasNoHeadroom) {
  MemoryBitmap bitmap;
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_TRUE(bitmap.Resize(4, 2));
  EXPECT_EQ(bitmap.GetCapacity(), 4 * 2 * 4);
}

TEST(MemoryBitmapStorage, ResizingToNothingReleasesTheStorage) {
  MemoryBitmap bitmap(4, 4);
  EXPECT_TRUE(bitmap.Resize(0, 4));
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_EQ(bitmap.GetCapacity(), 0);
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetHeight(), 0);
}

TEST(MemoryBitmapResize, TheSameSizeReportsNoChange) {
  MemoryBitmap bitmap(4, 4);
  EXPECT_FALSE(bitmap.Resize(4, 4));
  EXPECT_TRUE(bitmap.Resize(4, 5));
}

TEST(MemoryBitmapResize, NegativeSizesLeaveTheBitmapEmpty) {
  MemoryBitmap bitmap(4, 4);
  bitmap.Resize(-5, -5);
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetHeight(), 0);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
}

TEST(MemoryBitmapResize, SizesBeyondTheCapacityFieldLeaveTheBitmapEmpty) {
  MemoryBitmap bitmap(4, 4);
  EXPECT_TRUE(bitmap.Resize(1 << 16, 1 << 16));
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetHeight(), 0);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  // Rounding the widest rows up to the alignment must not overflow (the sanitizers watch this).
  for (int32_t width : {INT32_MAX, INT32_MAX - 2}) {
    MemoryBitmap widest(width, 1, 4);
    EXPECT_EQ(widest.GetWidth(), 0) << width;
    EXPECT_EQ(widest.GetBits(), nullptr);
    EXPECT_EQ(widest.GetRowSpan(), 0);
  }
}

}  // namespace
