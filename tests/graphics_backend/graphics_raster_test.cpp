// Tests of the drawing back end: blend translation, bitmap drawing and clipping, raw line and
// pixel stores, fills, points and the rotated drawings.
#include "graphics/graphics_raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "raster/memory_bitmap.h"
#include "tests/graphics_backend/test_editor.h"

namespace {

IImage ImageOf(RasterBitmap* bitmap, int frames = 1) {
  return IImage{bitmap, bitmap->GetWidth(), bitmap->GetHeight(), frames};
}

// ---- Blend translation --------------------------------------------------------------------------

TEST(BlendTranslation, AnAbsentBlendCopiesWithSourceAlphaAtFullWeight) {
  const RasterBlend raster = TranslateBlend(nullptr);
  EXPECT_EQ(raster.mode, 0x10000);
  EXPECT_EQ(raster.weight, 1.0f);
}

TEST(BlendTranslation, EachMethodSelectsItsModeAndKeepsTheWeight) {
  const struct {
    int32_t method;
    int32_t mode;
  } cases[] = {{0, 0x10000}, {1, 0}, {2, 0x10001}, {3, 0x10002}, {4, 0x10000}, {-1, 0x10000}};
  for (const auto& c : cases) {
    const IBlend blend{c.method, 0.375f};
    const RasterBlend raster = TranslateBlend(&blend);
    EXPECT_EQ(raster.mode, c.mode) << "method " << c.method;
    EXPECT_EQ(raster.weight, 0.375f) << "method " << c.method;
  }
}

// ---- DrawBitmap ---------------------------------------------------------------------------------

class DrawBitmapTest : public ::testing::Test {
 protected:
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> source{MakeCoordinateBitmap(8, 8)};
};

TEST_F(DrawBitmapTest, DrawsTheSourceOffsetIntoTheDestination) {
  EXPECT_TRUE(editor.DrawBitmap(ImageOf(source.get()), {10, 20, 14, 23}, 2, 3, nullptr));
  EXPECT_EQ(editor.Pixel(10, 20), 0xFF020340u);
  EXPECT_EQ(editor.Pixel(13, 22), 0xFF050540u);
  EXPECT_EQ(editor.Pixel(14, 22), 0xFF000000u);
  EXPECT_EQ(editor.Pixel(13, 23), 0xFF000000u);
}

TEST_F(DrawBitmapTest, DrawsNothingWhenTheDestinationLiesOutsideTheDrawBounds) {
  editor.SetDrawBounds({30, 30, 40, 40});
  EXPECT_TRUE(editor.DrawBitmap(ImageOf(source.get()), {10, 10, 18, 18}, 0, 0, nullptr));
  for (int y = 0; y < editor.Height(); ++y)
    for (int x = 0; x < editor.Width(); ++x) ASSERT_EQ(editor.Pixel(x, y), 0xFF000000u);
}

TEST_F(DrawBitmapTest, ClippedDrawShowsThePixelsAnUnclippedDrawPutsThere) {
  TestEditor reference;
  reference.DrawBitmap(ImageOf(source.get()), {10, 10, 18, 18}, 0, 0, nullptr);

  editor.SetDrawBounds({14, 13, 40, 40});
  editor.DrawBitmap(ImageOf(source.get()), {10, 10, 18, 18}, 0, 0, nullptr);
  for (int y = 0; y < editor.Height(); ++y) {
    for (int x = 0; x < editor.Width(); ++x) {
      const bool inside = x >= 14 && y >= 13;
      const uint32_t expected = inside ? reference.Pixel(x, y) : 0xFF000000u;
      ASSERT_EQ(editor.Pixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(editor.Pixel(14, 13), 0xFF040340u);
}

TEST_F(DrawBitmapTest, NeverScalesTheImageToALargerDestination) {
  editor.DrawBitmap(ImageOf(source.get()), {0, 0, 20, 20}, 0, 0, nullptr);
  EXPECT_EQ(editor.Pixel(7, 7), 0xFF070740u);
  EXPECT_EQ(editor.Pixel(8, 7), 0xFF000000u);
  EXPECT_EQ(editor.Pixel(7, 8), 0xFF000000u);
}

TEST_F(DrawBitmapTest, CopyMethodDrawsOpaquelyEvenWhereTheImageIsTransparent) {
  std::unique_ptr<MemoryBitmap> clear(MakeCoordinateBitmap(4, 4, 0x00, 0xC0));
  const IBlend copy{IBlend::kCopy, 1.0f};
  editor.DrawBitmap(ImageOf(clear.get()), {0, 0, 4, 4}, 0, 0, &copy);
  EXPECT_EQ(editor.Pixel(2, 1) & 0xFFFFFF, 0x0201C0u);
}

TEST_F(DrawBitmapTest, DefaultAndAbsentBlendsHonourTheSourceAlpha) {
  std::unique_ptr<MemoryBitmap> clear(MakeCoordinateBitmap(4, 4, 0x00, 0xC0));
  const IBlend normal{IBlend::kDefault, 1.0f};
  editor.DrawBitmap(ImageOf(clear.get()), {0, 0, 4, 4}, 0, 0, &normal);
  editor.DrawBitmap(ImageOf(clear.get()), {4, 0, 8, 4}, 0, 0, nullptr);
  EXPECT_EQ(editor.Pixel(2, 1), 0xFF000000u);
  EXPECT_EQ(editor.Pixel(6, 1), 0xFF000000u);

  std::unique_ptr<MemoryBitmap> half(MakeCoordinateBitmap(4, 4, 0x80, 0xFF));
  editor.DrawBitmap(ImageOf(half.get()), {0, 0, 4, 4}, 0, 0, nullptr);
  EXPECT_EQ(editor.Pixel(0, 0) & 0xFF, 129u);  // blue 255 at alpha 128 over 0
}

TEST_F(DrawBitmapTest, AnImageThatFailedToLoadDrawsNothing) {
  EXPECT_TRUE(editor.DrawBitmap(IImage{nullptr, 10, 10, 1}, {0, 0, 10, 10}, 0, 0, nullptr));
  EXPECT_EQ(editor.Pixel(0, 0), 0xFF000000u);
}

TEST(DrawBitmapFrame, PicksTheFrameRowsOfAStrip) {
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> strip(MakeCoordinateBitmap(4, 30));
  editor.DrawBitmapFrame(ImageOf(strip.get(), 3), {0, 0, 4, 10}, 2, nullptr);
  EXPECT_EQ(editor.Pixel(0, 0), 0xFF000A40u);
  EXPECT_EQ(editor.Pixel(3, 9), 0xFF031340u);
}

// ---- Raw lines and pixels ----------------------------------------------------------------------

TEST(RawLines, VerticalLineFillsBothEndsAndNothingElse) {
  TestEditor editor;
  editor.DrawVerticalLine({255, 255, 0, 0}, 5, 3, 7);
  for (int y = 0; y < editor.Height(); ++y) {
    EXPECT_EQ(editor.Pixel(5, y), (y >= 3 && y <= 7) ? 0xFFFF0000u : 0xFF000000u) << y;
    EXPECT_EQ(editor.Pixel(4, y), 0xFF000000u);
    EXPECT_EQ(editor.Pixel(6, y), 0xFF000000u);
  }
}

TEST(RawLines, VerticalLineDrawsNothingWhenItsEndIsAboveItsStart) {
  TestEditor editor;
  EXPECT_TRUE(editor.DrawVerticalLine({255, 255, 0, 0}, 5, 7, 3));
  for (int y = 0; y < editor.Height(); ++y) EXPECT_EQ(editor.Pixel(5, y), 0xFF000000u);
}

TEST(RawLines, CoordinatesBeyondTheSurfaceAreClampedToItsEdge) {
  TestEditor editor;
  editor.DrawVerticalLine({255, 0, 255, 0}, -10, -5, 1000);
  for (int y = 0; y < editor.Height(); ++y) EXPECT_EQ(editor.Pixel(0, y), 0xFF00FF00u) << y;
  editor.DrawHorizontalLine({255, 0, 0, 255}, 500, -3, 2);
  for (int x = 0; x < editor.Width(); ++x)
    EXPECT_EQ(editor.Pixel(x, editor.Height() - 1), x <= 2 ? 0xFF0000FFu : 0xFF000000u) << x;
}

TEST(RawLines, StoresTheColourUnchangedWithoutCompositing) {
  TestEditor editor;
  editor.DrawHorizontalLine({0x40, 0x11, 0x22, 0x33}, 2, 1, 3);
  EXPECT_EQ(editor.Pixel(1, 2), 0x40112233u);
  editor.WritePixel({0x00, 0x44, 0x55, 0x66}, 9, 9);
  EXPECT_EQ(editor.Pixel(9, 9), 0x00445566u);
}

TEST(RawLines, WritePixelOffTheSurfaceChangesNothing) {
  TestEditor editor(8, 8);
  EXPECT_TRUE(editor.WritePixel({255, 255, 255, 255}, 8, 0));
  EXPECT_TRUE(editor.WritePixel({255, 255, 255, 255}, -1, 3));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(editor.Pixel(x, y), 0xFF000000u);
}

TEST(ReadPixel, UnpacksTheChannelsAndReadsZeroOffTheSurface) {
  TestEditor editor;
  editor.WritePixel({0x12, 0x34, 0x56, 0x78}, 3, 4);
  EXPECT_EQ(editor.ReadPixel(3, 4), (IRgba{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(editor.ReadPixel(-1, 0), (IRgba{0, 0, 0, 0}));
  EXPECT_EQ(editor.ReadPixel(0, editor.Height()), (IRgba{0, 0, 0, 0}));
}

TEST(DrawPoint, RoundsToTheNearestPixel) {
  TestEditor editor;
  editor.DrawPoint({255, 255, 255, 255}, 2.5f, 3.49f, nullptr, false);
  EXPECT_EQ(editor.Pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(editor.Pixel(2, 3) & 0xFFFFFF, 0u);
  EXPECT_EQ(editor.Pixel(3, 4) & 0xFFFFFF, 0u);
}

TEST(DrawPoint, IgnoresCoordinatesThatAreNotNumbers) {
  TestEditor editor;
  EXPECT_TRUE(editor.DrawPoint({255, 255, 255, 255}, std::nanf(""), 1.0f, nullptr, false));
  EXPECT_TRUE(editor.DrawPoint({255, 255, 255, 255}, 1e30f, 1.0f, nullptr, false));
  EXPECT_EQ(editor.Pixel(0, 1), 0xFF000000u);
}

TEST(FillBounds, IsNotClippedToTheDrawBounds) {
  TestEditor editor;
  editor.SetDrawBounds({0, 0, 2, 2});
  const IBlend copy{IBlend::kCopy, 1.0f};
  editor.FillBounds({255, 10, 20, 30}, {5, 5, 8, 7}, &copy);
  EXPECT_EQ(editor.Pixel(5, 5), 0xFF0A141Eu);
  EXPECT_EQ(editor.Pixel(7, 6), 0xFF0A141Eu);
  EXPECT_EQ(editor.Pixel(8, 6), 0xFF000000u);
}

TEST(Surface, DrawingBeforeTheSurfaceExistsDoesNothing) {
  struct Bare : IEditorWindow {
    Bare() : IEditorWindow(nullptr, 10, 10, 0) {}
  } bare;
  EXPECT_EQ(bare.GetSurfacePixels(), nullptr);
  EXPECT_TRUE(bare.FillBounds({255, 1, 2, 3}, {0, 0, 5, 5}, nullptr));
  EXPECT_TRUE(bare.DrawVerticalLine({255, 1, 2, 3}, 1, 0, 5));
  EXPECT_TRUE(bare.WritePixel({255, 1, 2, 3}, 1, 1));
  EXPECT_EQ(bare.ReadPixel(1, 1), (IRgba{0, 0, 0, 0}));
}

// ---- Rotated drawing
// -----------------------------------------------------------------------------

// A w × 1 image, transparent but for one opaque white pixel at column.
MemoryBitmap* MakeMarker(int width, int height, int column, int row) {
  auto* bitmap = new MemoryBitmap(width, height, 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap->GetBits()[y * bitmap->GetRowSpan() + x] = 0;
  bitmap->GetBits()[row * bitmap->GetRowSpan() + column] = 0xFFFFFFFFu;
  return bitmap;
}

int BrightestColumn(TestEditor& editor, int row) {
  int best = -1;
  uint32_t bestValue = 0;
  for (int x = 0; x < editor.Width(); ++x) {
    const uint32_t value = editor.Pixel(x, row) & 0xFF;
    if (value > bestValue) bestValue = value, best = x;
  }
  return best;
}

TEST(DrawRotatedBitmap, AHalfTurnMirrorsTheImageAboutItsCentre) {
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> marker(MakeMarker(6, 4, 0, 0));
  editor.DrawRotatedBitmap(ImageOf(marker.get()), 20, 20, 3.141592653589793, 0, nullptr);
  // The image spans columns 17–22 and rows 18–21; its top-left pixel lands bottom right.
  EXPECT_EQ(BrightestColumn(editor, 21), 22);
  EXPECT_EQ(editor.Pixel(17, 18) & 0xFF, 0u);
}

TEST(DrawRotatedBitmap, NoTurnLeavesTheImageInPlaceAndIsNotClippedToTheDrawBounds) {
  TestEditor editor;
  editor.SetDrawBounds({0, 0, 1, 1});
  std::unique_ptr<MemoryBitmap> marker(MakeMarker(6, 4, 4, 1));
  editor.DrawRotatedBitmap(ImageOf(marker.get()), 20, 20, 0.0, 0, nullptr);
  EXPECT_EQ(editor.Pixel(21, 19) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(DrawRotatedMask, AnOddWidthTurnsAboutACentreHalfAPixelLeft) {
  // Half a turn maps column c to (2 × centre − 1 − c); a 5-wide image turns about 2.0 rather than
  // 2.5, so column 0 lands on column 3 and not 4.
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> base(MakeMarker(5, 1, 0, 0));
  std::unique_ptr<MemoryBitmap> mask(MakeMarker(5, 1, 0, 0));
  mask->GetBits()[0] = 0;
  std::unique_ptr<MemoryBitmap> top(MakeMarker(5, 1, 0, 0));
  editor.DrawRotatedMask(ImageOf(base.get()), ImageOf(mask.get()), ImageOf(top.get()), 10, 10,
                         180.0, nullptr);
  EXPECT_EQ(BrightestColumn(editor, 10), 13);
}

TEST(DrawRotatedMask, AnEvenWidthTurnsAboutItsMiddle) {
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> base(MakeMarker(6, 1, 0, 0));
  std::unique_ptr<MemoryBitmap> mask(MakeMarker(6, 1, 0, 0));
  mask->GetBits()[0] = 0;
  std::unique_ptr<MemoryBitmap> top(MakeMarker(6, 1, 0, 0));
  editor.DrawRotatedMask(ImageOf(base.get()), ImageOf(mask.get()), ImageOf(top.get()), 10, 10,
                         180.0, nullptr);
  EXPECT_EQ(BrightestColumn(editor, 10), 15);
}

TEST(DrawRotatedMask, IsClippedToTheDrawBounds) {
  TestEditor editor;
  std::unique_ptr<MemoryBitmap> base(MakeMarker(6, 1, 0, 0));
  std::unique_ptr<MemoryBitmap> top(MakeMarker(6, 1, 0, 0));
  editor.SetDrawBounds({0, 0, 12, 40});
  editor.DrawRotatedMask(ImageOf(base.get()), ImageOf(base.get()), ImageOf(top.get()), 10, 10, 0.0,
                         nullptr);
  EXPECT_EQ(editor.Pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);
  // The same drawing with the draw bounds ending before it leaves the surface alone.
  TestEditor clipped;
  clipped.SetDrawBounds({0, 0, 9, 40});
  clipped.DrawRotatedMask(ImageOf(base.get()), ImageOf(base.get()), ImageOf(top.get()), 10, 10, 0.0,
                          nullptr);
  EXPECT_EQ(clipped.Pixel(10, 10), 0xFF000000u);
}

}  // namespace
