// Tests of text drawn into the surface: colour, placement for each alignment, clipping, and the
// rule that the first style drawn chooses the font.
#include "graphics/text_renderer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "tests/graphics_backend/test_editor.h"

namespace {

// The box of pixels that differ from the background, and whether all of them lean to colour.
struct Ink {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  int count = 0;
  int fullStrength = 0;  // pixels exactly the text colour
  bool onlyTowardColour = true;
  bool Empty() const { return count == 0; }
  int CentreX() const { return (left + right + 1) / 2; }
};

// Background black; the colour's channels are each 0 or 255 so a blend toward it is easy to see.
Ink FindInk(TestEditor& editor, uint32_t colour) {
  Ink ink;
  for (int y = 0; y < editor.Height(); ++y) {
    for (int x = 0; x < editor.Width(); ++x) {
      const uint32_t pixel = editor.Pixel(x, y) & 0xFFFFFF;
      if (pixel == 0) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      if (pixel == (colour & 0xFFFFFF)) ++ink.fullStrength;
      for (int shift = 0; shift < 24; shift += 8)
        if ((colour >> shift & 0xFF) == 0 && (pixel >> shift & 0xFF) != 0)
          ink.onlyTowardColour = false;
    }
  }
  return ink;
}

ITextStyle Style(int size, IRgba colour, int alignment) {
  ITextStyle style;
  style.size = size;
  style.colour = colour;
  style.alignment = alignment;
  return style;
}

constexpr IRgba kGreen{255, 0, 255, 0};
constexpr IRgba kMagenta{255, 255, 0, 255};

class DrawStringTest : public ::testing::Test {
 protected:
  TestEditor editor{200, 60};
  const IBounds bounds{40, 10, 160, 30};
};

TEST_F(DrawStringTest, LeftAlignedTextStartsAtTheLeftEdgeInTheStyleColour) {
  EXPECT_TRUE(editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "Wind", bounds));
  const Ink ink = FindInk(editor, kGreen.Packed());
  ASSERT_FALSE(ink.Empty());
  EXPECT_TRUE(ink.onlyTowardColour);
  EXPECT_GT(ink.fullStrength, 0);
  EXPECT_GE(ink.left, 40);
  EXPECT_LE(ink.left, 42);
  EXPECT_LT(ink.right, 100);
  EXPECT_GE(ink.top, 10);
  EXPECT_LT(ink.bottom, 10 + 14);
}

TEST_F(DrawStringTest, RightAlignedTextEndsAtTheRightEdge) {
  editor.DrawString(Style(14, kGreen, ITextStyle::kRight), "Wind", bounds);
  const Ink ink = FindInk(editor, kGreen.Packed());
  ASSERT_FALSE(ink.Empty());
  EXPECT_LE(ink.right, 159);
  EXPECT_GE(ink.right, 155);
  EXPECT_GT(ink.left, 100);
}

TEST_F(DrawStringTest, CentredTextIsCentredInTheBounds) {
  editor.DrawString(Style(14, kGreen, ITextStyle::kCentre), "Wind", bounds);
  const Ink ink = FindInk(editor, kGreen.Packed());
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR(ink.CentreX(), 100, 2);
}

TEST_F(DrawStringTest, TextIsPlacedAtTheTopOfTallBounds) {
  editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "Hx", {10, 5, 190, 55});
  const Ink ink = FindInk(editor, kGreen.Packed());
  ASSERT_FALSE(ink.Empty());
  EXPECT_LT(ink.bottom, 5 + 14);
  EXPECT_GE(ink.top, 5);
}

TEST_F(DrawStringTest, TextWiderThanItsBoundsIsNotClippedToThem) {
  editor.DrawString(Style(14, kGreen, ITextStyle::kCentre), "Duration (sec):", {90, 10, 110, 26});
  const Ink ink = FindInk(editor, kGreen.Packed());
  EXPECT_LT(ink.left, 85);
  EXPECT_GT(ink.right, 115);
}

TEST_F(DrawStringTest, TextIsNotClippedToTheDrawBoundsButIsToTheSurface) {
  editor.SetDrawBounds({0, 0, 1, 1});
  EXPECT_TRUE(editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "Edge", {180, 50, 260, 90}));
  const Ink ink = FindInk(editor, kGreen.Packed());
  ASSERT_FALSE(ink.Empty());
  EXPECT_LE(ink.right, 199);
  EXPECT_LE(ink.bottom, 59);
}

TEST_F(DrawStringTest, EmptyOrAbsentTextDrawsNothingAndSucceeds) {
  EXPECT_TRUE(editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "", bounds));
  EXPECT_TRUE(editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), nullptr, bounds));
  EXPECT_TRUE(FindInk(editor, kGreen.Packed()).Empty());
}

TEST_F(DrawStringTest, GlyphEdgesBlendOverTheBackground) {
  editor.Clear(0xFF0000FFu);  // blue background under green text
  editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "Wind", bounds);
  int partial = 0;
  for (int y = 0; y < editor.Height(); ++y)
    for (int x = 0; x < editor.Width(); ++x) {
      const uint32_t p = editor.Pixel(x, y);
      const uint32_t g = p >> 8 & 0xFF, b = p & 0xFF;
      if (g > 0 && g < 255) {
        ++partial;
        EXPECT_NEAR(static_cast<int>(g + b), 255, 2) << x << "," << y;
      }
    }
  EXPECT_GT(partial, 0);
}

TEST_F(DrawStringTest, LinesBreakAtNewlines) {
  editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "A\nB", {10, 2, 190, 58});
  const Ink ink = FindInk(editor, kGreen.Packed());
  EXPECT_GT(ink.bottom - ink.top, 14);
}

TEST(FirstStyleFont, LaterStylesChangeOnlyTheColour) {
  TestEditor small(200, 80), reference(200, 80);
  small.DrawString(Style(14, kGreen, ITextStyle::kLeft), "x", {0, 0, 10, 10});
  small.Clear(0xFF000000u);
  small.DrawString(Style(40, kMagenta, ITextStyle::kLeft), "Hello", {10, 10, 190, 70});
  reference.DrawString(Style(14, kMagenta, ITextStyle::kLeft), "Hello", {10, 10, 190, 70});
  const Ink kept = FindInk(small, kMagenta.Packed());
  const Ink expected = FindInk(reference, kMagenta.Packed());
  ASSERT_FALSE(kept.Empty());
  EXPECT_TRUE(kept.onlyTowardColour);
  EXPECT_EQ(kept.bottom - kept.top, expected.bottom - expected.top);
  EXPECT_EQ(kept.right - kept.left, expected.right - expected.left);

  TestEditor large(200, 80);
  large.DrawString(Style(40, kMagenta, ITextStyle::kLeft), "Hello", {10, 10, 190, 70});
  EXPECT_GT(FindInk(large, kMagenta.Packed()).bottom - FindInk(large, kMagenta.Packed()).top,
            expected.bottom - expected.top + 10);
}

TEST(FirstStyleFont, EachCallKeepsItsOwnAlignment) {
  TestEditor editor(200, 40);
  editor.DrawString(Style(14, kGreen, ITextStyle::kLeft), "Wind", {0, 0, 200, 20});
  editor.Clear(0xFF000000u);
  editor.DrawString(Style(14, kGreen, ITextStyle::kRight), "Wind", {0, 0, 200, 20});
  EXPECT_GT(FindInk(editor, kGreen.Packed()).left, 150);
}

TEST(TextRenderer, ArialResolvesToAFaceWithCellHeightOfTheStyleSize) {
  auto renderer = CreateTextRenderer();
  ASSERT_NE(renderer, nullptr);
  ITextStyle style;
  style.size = 14;
  ASSERT_TRUE(renderer->SelectFont(style));
  EXPECT_EQ(renderer->LineHeight(), 14);
  EXPECT_GT(renderer->MeasureText("Wind"), 20);
  EXPECT_LT(renderer->MeasureText("Wind"), 40);
  EXPECT_EQ(renderer->RenderText(nullptr, "A\nB", {0, 0, 10, 10}, 0xFFFFFFFFu, 0), 28);
}

TEST(TextRenderer, WithoutAFontNothingIsLaidOut) {
  auto renderer = CreateTextRenderer();
  EXPECT_EQ(renderer->LineHeight(), 0);
  EXPECT_EQ(renderer->MeasureText("abc"), 0);
  EXPECT_EQ(renderer->RenderText(nullptr, "abc", {0, 0, 10, 10}, 0xFFFFFFFFu, 0), 0);
}

}  // namespace
