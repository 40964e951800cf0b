// Tests of lines, circles, arcs and transformed blits on raster bitmaps.
#include "graphics/raster_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "raster/memory_bitmap.h"

namespace {

using raster_geometry::Pen;

class GeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int y = 0; y < canvas.GetHeight(); ++y)
      for (int x = 0; x < canvas.GetWidth(); ++x) At(x, y) = 0xFF000000u;
  }
  uint32_t& At(int x, int y) { return canvas.GetBits()[y * canvas.GetRowSpan() + x]; }
  // Pixels whose blue channel is lit, with their blue values.
  std::set<std::pair<int, int>> Lit(uint32_t threshold = 0) {
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < canvas.GetHeight(); ++y)
      for (int x = 0; x < canvas.GetWidth(); ++x)
        if ((At(x, y) & 0xFF) > threshold) lit.insert({x, y});
    return lit;
  }

  MemoryBitmap canvas{32, 32, 4};
  Pen white{0xFFFFFFFFu, 1.0f, 0x10000, false};
};

TEST_F(GeometryTest, AliasedLineCoversBothEndsWithOnePixelPerColumn) {
  raster_geometry::DrawLine(&canvas, white, 2, 3, 12, 7);
  const auto lit = Lit();
  EXPECT_TRUE(lit.count({2, 3}));
  EXPECT_TRUE(lit.count({12, 7}));
  EXPECT_EQ(lit.size(), 11u);
  std::set<int> columns;
  for (const auto& p : lit) columns.insert(p.first);
  EXPECT_EQ(columns.size(), 11u);
}

TEST_F(GeometryTest, LineDrawnBackwardsCoversTheSamePixels) {
  raster_geometry::DrawLine(&canvas, white, 12, 7, 2, 3);
  const auto backwards = Lit();
  SetUp();
  raster_geometry::DrawLine(&canvas, white, 2, 3, 12, 7);
  EXPECT_EQ(Lit(), backwards);
}

TEST_F(GeometryTest, AntialiasedLineSharesCoverageBetweenNeighbours) {
  Pen pen = white;
  pen.antialias = true;
  raster_geometry::DrawLine(&canvas, pen, 0, 0, 20, 10);
  // Halfway between rows at x = 1: two pixels at about half strength.
  const uint32_t upper = At(1, 0) & 0xFF, lower = At(1, 1) & 0xFF;
  EXPECT_GT(upper, 90u);
  EXPECT_LT(upper, 170u);
  EXPECT_GT(lower, 90u);
  EXPECT_LT(lower, 170u);
  EXPECT_EQ(At(20, 10) & 0xFF, 255u);
}

TEST_F(GeometryTest, LinesOffTheBitmapAreClippedWithoutHarm) {
  raster_geometry::DrawLine(&canvas, white, -100, 5, 100, 5);
  EXPECT_EQ(Lit().size(), 32u);
  raster_geometry::DrawLine(&canvas, white, -2000000000, -5, 2000000000, -5);
  EXPECT_EQ(Lit().size(), 32u);
}

TEST_F(GeometryTest, ZeroWeightDrawsNothing) {
  Pen pen = white;
  pen.weight = 0.0f;
  raster_geometry::DrawLine(&canvas, pen, 0, 0, 10, 10);
  raster_geometry::DrawCircle(&canvas, pen, 16, 16, 5);
  EXPECT_TRUE(Lit().empty());
}

TEST_F(GeometryTest, SourceAlphaModeWeighsTheColourByItsAlpha) {
  Pen pen{0x80FFFFFFu, 1.0f, 0x10000, false};
  raster_geometry::DrawLine(&canvas, pen, 0, 0, 0, 0);
  EXPECT_NEAR(static_cast<int>(At(0, 0) & 0xFF), 128, 2);
  Pen copy{0x80FFFFFFu, 1.0f, 0, false};
  raster_geometry::DrawLine(&canvas, copy, 1, 0, 1, 0);
  EXPECT_EQ(At(1, 0) & 0xFF, 255u);
}

TEST_F(GeometryTest, AliasedCircleIsSymmetricAndAtItsRadius) {
  raster_geometry::DrawCircle(&canvas, white, 16.0f, 16.0f, 8.0f);
  const auto lit = Lit();
  ASSERT_FALSE(lit.empty());
  for (const auto& [x, y] : lit) {
    EXPECT_NEAR(std::hypot(x - 16, y - 16), 8.0, 0.75) << x << "," << y;
    EXPECT_TRUE(lit.count({32 - x, y}));
    EXPECT_TRUE(lit.count({x, 32 - y}));
    EXPECT_TRUE(lit.count({y, x}));
  }
  EXPECT_TRUE(lit.count({16, 8}));
  EXPECT_TRUE(lit.count({24, 16}));
}

TEST_F(GeometryTest, AliasedCircleComposesEachPixelOnce) {
  // At half weight a pixel composed twice would come out brighter than its neighbours.
  Pen pen = white;
  pen.weight = 0.5f;
  raster_geometry::DrawCircle(&canvas, pen, 16.0f, 16.0f, 6.0f);
  const uint32_t expected = At(16, 10) & 0xFF;
  for (const auto& [x, y] : Lit()) EXPECT_EQ(At(x, y) & 0xFF, expected) << x << "," << y;
}

TEST_F(GeometryTest, AntialiasedCircleIsStrongestOnItsRadius) {
  Pen pen = white;
  pen.antialias = true;
  raster_geometry::DrawCircle(&canvas, pen, 16.0f, 16.0f, 8.0f);
  EXPECT_EQ(At(24, 16) & 0xFF, 255u);
  EXPECT_EQ(At(16, 16) & 0xFF, 0u);
  EXPECT_EQ(At(26, 16) & 0xFF, 0u);
}

TEST_F(GeometryTest, ArcCoversOnlyItsSweepClockwiseFromTwelve) {
  raster_geometry::DrawArc(&canvas, white, 16.0f, 16.0f, 8.0f, 0.0f, 90.0f);
  const auto lit = Lit();
  ASSERT_FALSE(lit.empty());
  for (const auto& [x, y] : lit) {
    EXPECT_GE(x, 16) << x << "," << y;
    EXPECT_LE(y, 16) << x << "," << y;
  }
  EXPECT_TRUE(lit.count({16, 8}));
  EXPECT_TRUE(lit.count({24, 16}));
}

TEST_F(GeometryTest, ArcAcrossTwelveWrapsAround) {
  raster_geometry::DrawArc(&canvas, white, 16.0f, 16.0f, 8.0f, 315.0f, 45.0f);
  const auto lit = Lit();
  EXPECT_TRUE(lit.count({16, 8}));
  for (const auto& [x, y] : lit) EXPECT_LT(y, 16) << x << "," << y;
}

TEST_F(GeometryTest, ShapesWithNonFiniteArgumentsDrawNothing) {
  raster_geometry::DrawCircle(&canvas, white, std::nanf(""), 16.0f, 8.0f);
  raster_geometry::DrawArc(&canvas, white, 16.0f, 16.0f, INFINITY, 0.0f, 90.0f);
  EXPECT_TRUE(Lit().empty());
}

TEST_F(GeometryTest, TransformedBlitScalesWithoutFilteringByNearestPixel) {
  MemoryBitmap source(2, 2, 4);
  source.GetBits()[0] = 0xFF000001u;
  source.GetBits()[1] = 0xFF000002u;
  source.GetBits()[source.GetRowSpan()] = 0xFF000003u;
  source.GetBits()[source.GetRowSpan() + 1] = 0xFF000004u;
  raster_geometry::TransformedBlit blit;
  blit.destX = 4;
  blit.destY = 4;
  blit.destWidth = 4;
  blit.destHeight = 4;
  blit.source = {0.0f, 0.0f, 2.0f, 2.0f};
  blit.mode = 0;
  raster_geometry::BlitTransformed(&canvas, &source, blit);
  EXPECT_EQ(At(4, 4), 0xFF000001u);
  EXPECT_EQ(At(5, 5), 0xFF000001u);
  EXPECT_EQ(At(6, 4), 0xFF000002u);
  EXPECT_EQ(At(7, 7), 0xFF000004u);
  EXPECT_EQ(At(8, 8), 0xFF000000u);
  EXPECT_EQ(At(3, 3), 0xFF000000u);
}

TEST_F(GeometryTest, ClippedSourceSkipsSamplesOutsideItsRectangle) {
  // An eighth of a turn of the top half of a blue source: corners of the turned rectangle reach
  // samples of the bottom half, which only an unclipped source gives.
  MemoryBitmap source(4, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.GetBits()[y * source.GetRowSpan() + x] = 0xFF0000FFu;
  raster_geometry::TransformedBlit blit;
  blit.destX = 10;
  blit.destY = 10;
  blit.destWidth = 4;
  blit.destHeight = 2;
  blit.source = {0.0f, 0.0f, 4.0f, 2.0f};
  blit.radians = 3.141592653589793 / 4;
  blit.mode = 0;
  blit.clipSource = false;
  raster_geometry::BlitTransformed(&canvas, &source, blit);
  const size_t unclipped = Lit().size();
  SetUp();
  blit.clipSource = true;
  raster_geometry::BlitTransformed(&canvas, &source, blit);
  const size_t clipped = Lit().size();
  EXPECT_GT(clipped, 4u);
  EXPECT_LT(clipped, unclipped);
}

TEST_F(GeometryTest, TransformedBlitOfEmptyOrDegenerateInputsDoesNothing) {
  MemoryBitmap empty(0, 0, 4);
  raster_geometry::TransformedBlit blit;
  blit.destWidth = 4;
  blit.destHeight = 4;
  blit.source = {0.0f, 0.0f, 4.0f, 4.0f};
  raster_geometry::BlitTransformed(&canvas, &empty, blit);
  MemoryBitmap source(4, 4, 4);
  blit.radians = std::nan("");
  raster_geometry::BlitTransformed(&canvas, &source, blit);
  blit.radians = 0.0;
  blit.source.width = 0.0f;
  raster_geometry::BlitTransformed(&canvas, &source, blit);
  EXPECT_TRUE(Lit().empty());
}

}  // namespace
