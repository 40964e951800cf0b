// Tests of the drawing surface's sizing rules.
#include "raster/dib_bitmap.h"

#include <gtest/gtest.h>

namespace {

TEST(DibBitmapSizing, RowsAreTheWidthRoundedUpToFour) {
  DibBitmap bitmap(5, 3);
  EXPECT_EQ(bitmap.GetWidth(), 5);
  EXPECT_EQ(bitmap.GetHeight(), 3);
  EXPECT_EQ(bitmap.GetRowSpan(), 8);
  EXPECT_NE(bitmap.GetBits(), nullptr);
  EXPECT_NE(bitmap.GetDeviceContext(), nullptr);
  EXPECT_FALSE(bitmap.IsBottomUp());
}

TEST(DibBitmapSizing, ShrinkingAndGrowingBackKeepTheSection) {
  DibBitmap bitmap(100, 100);
  uint32_t* bits = bitmap.GetBits();
  EXPECT_TRUE(bitmap.Resize(50, 50));
  EXPECT_EQ(bitmap.GetWidth(), 50);
  EXPECT_EQ(bitmap.GetRowSpan(), 100);
  EXPECT_EQ(bitmap.GetBits(), bits);
  EXPECT_TRUE(bitmap.Resize(100, 100));
  EXPECT_EQ(bitmap.GetBits(), bits);
  EXPECT_EQ(bitmap.GetRowSpan(), 100);
}

TEST(DibBitmapSizing, GrowingBeyondTheSectionMakesANewOne) {
  DibBitmap bitmap(10, 10);
  EXPECT_TRUE(bitmap.Resize(30, 10));
  EXPECT_EQ(bitmap.GetRowSpan(), 32);
  EXPECT_NE(bitmap.GetBits(), nullptr);
  // The whole new section is writable.
  bitmap.GetBits()[32 * 10 - 1] = 0xFFFFFFFF;
}

TEST(DibBitmapSizing, AZeroSizeDropsTheSection) {
  DibBitmap bitmap(10, 10);
  EXPECT_FALSE(bitmap.Resize(0, 10));
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_FALSE(bitmap.Resize(0, 10));
  EXPECT_TRUE(bitmap.Resize(4, 4));
  EXPECT_NE(bitmap.GetBits(), nullptr);
}

TEST(DibBitmapSizing, TheSameSizeReportsNoChange) {
  DibBitmap bitmap(10, 10);
  EXPECT_FALSE(bitmap.Resize(10, 10));
}

TEST(DibBitmapWithoutDeviceContext, CannotBeResized) {
  DibBitmap bitmap{DibBitmap::NoDeviceContext{}};
  EXPECT_EQ(bitmap.GetDeviceContext(), nullptr);
  EXPECT_FALSE(bitmap.Resize(10, 10));
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
}

}  // namespace
