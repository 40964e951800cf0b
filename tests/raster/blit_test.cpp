// Tests of the blits, fills and single-pixel operations.
#include "raster/blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "raster/memory_bitmap.h"
#include "raster/pixel_blend.h"
#include "tests/raster/test_bitmaps.h"

namespace {

uint32_t Pixel(RasterBitmap& bitmap, int32_t x, int32_t y) {
  return GetPixel(&bitmap, x, y);
}

void FillSolid(RasterBitmap& bitmap, uint32_t colour) {
  FillRect(&bitmap, 0, 0, bitmap.GetWidth(), bitmap.GetHeight(), colour, 1.0f, kBlendCopy);
}

uint32_t BlitOnePixel(uint32_t dest, uint32_t src, float weight, int32_t mode) {
  MemoryBitmap d(1, 1);
  FillSolid(d, dest);
  MemoryBitmap s(1, 1);
  FillSolid(s, src);
  Blit(&d, &s, 0, 0, nullptr, weight, mode);
  return Pixel(d, 0, 0);
}

// --- Compositing modes and their rounding -------------------------------------------------

TEST(BlitSourceAlpha, HalfTransparentBlueOverBlackGives129) {
  EXPECT_EQ(BlitOnePixel(0xFF000000, 0x800000FF, 1.0f, kBlendSourceAlpha) & 0xFF, 129u);
}

TEST(BlitSourceAlpha, HalfTransparentBlackOverBlueGives126) {
  EXPECT_EQ(BlitOnePixel(0xFF0000FF, 0x80000000, 1.0f, kBlendSourceAlpha) & 0xFF, 126u);
}

TEST(BlitSourceAlpha, OpaqueSourceReplacesTheColourExactly) {
  EXPECT_EQ(BlitOnePixel(0xFF123456, 0xFFABCDEF, 1.0f, kBlendSourceAlpha) & 0xFFFFFF, 0xABCDEFu);
}

TEST(BlitSourceAlpha, TransparentSourceLeavesTheDestinationUntouched) {
  EXPECT_EQ(BlitOnePixel(0x80123456, 0x00FFFFFF, 1.0f, kBlendSourceAlpha), 0x80123456u);
  EXPECT_EQ(BlitOnePixel(0x80123456, 0x00FFFFFF, 0.3f, kBlendSourceAlpha), 0x80123456u);
}

TEST(BlitSourceAlpha, QuarterWeightGreysAnOpaqueSource) {
  EXPECT_EQ(BlitOnePixel(0xFF000000, 0xFF0000FF, 0.25f, kBlendSourceAlpha) & 0xFF, 64u);
  EXPECT_EQ(BlitOnePixel(0xFF0000FF, 0xFF000000, 0.25f, kBlendSourceAlpha) & 0xFF, 191u);
}

TEST(BlitCopy, WeightBetweenStepsRoundsTowardTheSource) {
  // u = 76: 0 + (255 − 0) × 180 ÷ 256 = 179.3 → 179; 255 + (0 − 255) × 180 ÷ 256 = 75.7 → 76.
  EXPECT_EQ(BlitOnePixel(0xFFFFFFFF, 0x00000000, 0.3f, kBlendCopy) & 0xFF, 179u);
  EXPECT_EQ(BlitOnePixel(0x00000000, 0xFFFFFFFF, 0.3f, kBlendCopy) & 0xFF, 76u);
}

TEST(BlitCopy, HalfWeightAveragesEachByteDroppingLowBits) {
  EXPECT_EQ(BlitOnePixel(0x01030507, 0x01010101, 0.5f, kBlendCopy), 0x00010203u);
  EXPECT_EQ(BlitOnePixel(0xFF00FF00, 0x00FF00FF, 0.5f, kBlendCopy), 0x7F7F7F7Fu);
}

TEST(BlitAdd, NeverWrapsPastWhite) {
  EXPECT_EQ(BlitOnePixel(0xFFC8C8C8, 0xFFC8C8C8, 1.0f, kBlendAdd) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(BlitAdd, ScalesTheSourceByItsAlpha) {
  // m = (127 + 1) × 256 ÷ 256 = 128; 10 + 100 × 128 ÷ 256 = 60.
  EXPECT_EQ(BlitOnePixel(0xFF00000A, 0x7F000064, 1.0f, kBlendAdd) & 0xFF, 60u);
  EXPECT_EQ(BlitOnePixel(0xFF00000A, 0x00000064, 1.0f, kBlendAdd), 0xFF00000Au);
}

TEST(BlitDodge, BrightensAndSaturates) {
  // h = 256, t = 128: 100 × 256 ÷ 128 = 200.
  EXPECT_EQ(BlitOnePixel(0xFF000064, 0xFF000080, 1.0f, kBlendDodge) & 0xFF, 200u);
  // t = 255: any non-zero channel saturates, zero stays zero.
  EXPECT_EQ(BlitOnePixel(0xFF000001, 0xFF0000FF, 1.0f, kBlendDodge) & 0xFF, 255u);
  EXPECT_EQ(BlitOnePixel(0xFF000000, 0xFF0000FF, 1.0f, kBlendDodge) & 0xFF, 0u);
}

TEST(BlitWeights, ZeroWeightChangesNothing) {
  EXPECT_EQ(BlitOnePixel(0x11223344, 0xFFFFFFFF, 0.0f, kBlendCopy), 0x11223344u);
  EXPECT_EQ(BlitOnePixel(0x11223344, 0xFFFFFFFF, 0.001f, kBlendSourceAlpha), 0x11223344u);
}

TEST(BlitWeights, OutOfRangeAndNanWeightsStayInRange) {
  EXPECT_EQ(BlitOnePixel(0x11223344, 0xAABBCCDD, 3.0f, kBlendCopy), 0xAABBCCDDu);
  EXPECT_EQ(BlitOnePixel(0x11223344, 0xAABBCCDD, -1.0f, kBlendCopy), 0x11223344u);
  EXPECT_EQ(
      BlitOnePixel(0x11223344, 0xAABBCCDD, std::numeric_limits<float>::quiet_NaN(), kBlendCopy),
      0x11223344u);
}

TEST(BlitModes, UnknownOperationLeavesTheDestination) {
  EXPECT_EQ(BlitOnePixel(0x11223344, 0xFFFFFFFF, 1.0f, 0x10007), 0x11223344u);
}

// --- Fast paths agree with the reference formula -------------------------------------------

// Each case worked by hand from the mode's formula, with partial weight and partial source alpha
// together and every byte checked, alpha included. u = trunc(weight × 256); divisions truncate
// toward zero.
struct HandWorked {
  int32_t mode;
  float weight;
  uint32_t dest;
  uint32_t src;
  uint32_t expected;
};

class BlitMatchesHandWorkedValues : public testing::TestWithParam<HandWorked> {};

TEST_P(BlitMatchesHandWorkedValues, OnEveryPixelOfOddSizedRows) {
  const HandWorked c = GetParam();
  for (int32_t width : {1, 3, 7, 16, 33}) {
    MemoryBitmap dest(width, 5);
    MemoryBitmap src(width, 5);
    FillSolid(dest, c.dest);
    FillSolid(src, c.src);
    Blit(&dest, &src, 0, 0, nullptr, c.weight, c.mode);
    for (int32_t y = 0; y < 5; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        ASSERT_EQ(Pixel(dest, x, y), c.expected) << "width " << width << " at " << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndWeights, BlitMatchesHandWorkedValues,
    testing::Values(
        // Copy, u = 76: s + (d − s) × 180 ÷ 256 per byte. Alpha 32 + 96 × 180 ÷ 256 = 99; red
        // 16 + 239 × 180 ÷ 256 = 184; green stays 64; blue 128 − 20160 ÷ 256 = 128 − 78 = 50.
        HandWorked{kBlendCopy, 0.3f, 0x80FF4010, 0x20104080, 0x63B84032},
        // Source alpha, u = 179, A = 128: m = 256 − 129 × 179 ÷ 256 = 256 − 90 = 166. Alpha
        // 128 − 64 × 166 ÷ 256 = 128 − 41 = 87; red 255 − 165 = 90; green 32 + 10 = 42; blue
        // 144 × 166 ÷ 256 = 93.
        HandWorked{kBlendSourceAlpha, 0.7f, 0x40003090, 0x80FF2000, 0x575A2A5D},
        // Source alpha, u = 64, A = 64: m = 256 − 65 × 64 ÷ 256 = 240. Alpha 64 + 191 × 240 ÷ 256
        // = 243; red 255 − 239 = 16; blue 255 × 240 ÷ 256 = 239.
        HandWorked{kBlendSourceAlpha, 0.25f, 0xFF0000FF, 0x40FF0000, 0xF31000EF},
        // Source alpha at full weight, A = 128: m = 255 − 128 = 127. Alpha 128 − 64 × 127 ÷ 256
        // = 97; red 255 − 126 = 129; blue 255 × 127 ÷ 256 = 126.
        HandWorked{kBlendSourceAlpha, 1.0f, 0x400000FF, 0x80FF0000, 0x6181007E},
        // Source alpha, u = 76, opaque source: m = 256 − 256 × 76 ÷ 256 = 180. Alpha
        // 255 − 191 × 180 ÷ 256 = 121; red 32 + 156 = 188; green 64 − 45 = 19; blue 128 − 78 = 50.
        HandWorked{kBlendSourceAlpha, 0.3f, 0x40FF0010, 0xFF204080, 0x79BC1332},
        // Add, u = 102, A = 127: m = 128 × 102 ÷ 256 = 51. Alpha 16 + 127 × 51 ÷ 256 = 41; red
        // 240 + 25 clamps to 255; green 16 + 50 = 66; blue 32 + 12 = 44.
        HandWorked{kBlendAdd, 0.4f, 0x10F01020, 0x7F80FF40, 0x29FF422C},
        // Dodge, u = 153, A = 192: h = 193 × 153 ÷ 256 = 115, t = 115 × s ÷ 256. Alpha t = 86:
        // 128 × 256 ÷ 170 = 192; red t = 114: 64 × 256 ÷ 142 = 115; green t = 57: 96 × 256 ÷ 199
        // = 123; blue t = 7: 128 × 256 ÷ 249 = 131.
        HandWorked{kBlendDodge, 0.6f, 0x80406080, 0xC0FF8010, 0xC0737B83}));

TEST(BlitFastPaths, PlainCopyEqualsTheReferenceAtFullWeight) {
  for (uint32_t i = 0; i < 2000; ++i) {
    const uint32_t d = TestWord(i);
    const uint32_t s = TestWord(i + 7777);
    ASSERT_EQ(BlitOnePixel(d, s, 1.0f, kBlendCopy), pixel_blend::BlitPixel(d, s, 256, kBlendCopy));
  }
}

TEST(BlitFastPaths, HalfWeightStaysWithinOneStepOfTheReference) {
  for (uint32_t i = 0; i < 2000; ++i) {
    const uint32_t d = TestWord(i);
    const uint32_t s = TestWord(i + 31);
    const uint32_t fast = BlitOnePixel(d, s, 0.5f, kBlendCopy);
    const uint32_t reference = pixel_blend::BlitPixel(d, s, 128, kBlendCopy);
    for (int shift = 0; shift < 32; shift += 8) {
      ASSERT_LE(
          std::abs(pixel_blend::Channel(fast, shift) - pixel_blend::Channel(reference, shift)), 1);
    }
  }
}

// Source words whose alpha comes in runs of opaque, transparent and mixed pixels, so that whole
// groups of four and of sixteen of each kind, and groups that mix them, all occur.
std::vector<uint32_t> SpriteWords(std::mt19937& random, size_t count) {
  std::vector<uint32_t> words(count);
  size_t i = 0;
  while (i < count) {
    const uint32_t kind = random() % 3;
    for (size_t run = 1 + random() % 24; run > 0 && i < count; --run, ++i) {
      const uint32_t colour = random() & 0x00FFFFFFu;
      words[i] = kind == 0 ? colour : kind == 1 ? colour | 0xFF000000u : colour | random() << 24;
    }
  }
  return words;
}

void Load(RasterBitmap& bitmap, const std::vector<uint32_t>& words) {
  size_t i = 0;
  for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
    for (int32_t x = 0; x < bitmap.GetWidth(); ++x) PutPixel(&bitmap, x, y, words[i++], 1.0f, 0);
  }
}

// Blits every width from 1 to 49 at each start offset within a group of four, onto top-down and
// bottom-up destinations, and compares every destination pixel with the reference formula.
void ExpectSourceAlphaMatchesReference(float weight, std::mt19937& random) {
  const int32_t u = ScaledWeight(weight);
  for (int32_t width = 1; width <= 49; ++width) {
    const int32_t offset = width % 4;
    MemoryBitmap src(width, 3);
    Load(src, SpriteWords(random, static_cast<size_t>(width) * 3));
    MemoryBitmap topDown(56, 3);
    BottomUpBitmap bottomUp(56, 3);
    const std::vector<uint32_t> before = SpriteWords(random, 56 * 3);
    Load(topDown, before);
    Load(bottomUp, before);
    Blit(&topDown, &src, offset, 0, nullptr, weight, kBlendSourceAlpha);
    Blit(&bottomUp, &src, offset, 0, nullptr, weight, kBlendSourceAlpha);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 56; ++x) {
        const uint32_t d = before[static_cast<size_t>(y) * 56 + x];
        const bool inside = x >= offset && x < offset + width;
        const uint32_t expected =
            inside ? pixel_blend::BlitPixel(d, Pixel(src, x - offset, y), u, kBlendSourceAlpha) : d;
        ASSERT_EQ(Pixel(topDown, x, y), expected)
            << "u " << u << " width " << width << " at " << x << "," << y;
        ASSERT_EQ(Pixel(bottomUp, x, y), expected)
            << "bottom-up, u " << u << " width " << width << " at " << x << "," << y;
      }
    }
  }
}

TEST(BlitSourceAlphaFastPath, MatchesTheReferenceAtEveryWeightStep) {
  std::mt19937 random(1234);
  for (int32_t u = 1; u <= 256; ++u) {
    ExpectSourceAlphaMatchesReference(static_cast<float>(u) / 256.0f, random);
  }
}

TEST(BlitSourceAlphaFastPath, MatchesTheReferenceBetweenWeightSteps) {
  std::mt19937 random(99);
  std::uniform_real_distribution<float> weights(0.0f, 1.0f);
  for (int i = 0; i < 200; ++i) ExpectSourceAlphaMatchesReference(weights(random), random);
}

// --- Clipping ---------------------------------------------------------------------------

class BlitClipping : public testing::Test {
 protected:
  void SetUp() override {
    FillWithPattern(source_, 5);
    FillRect(&dest_, 0, 0, 20, 20, kBackground, 1.0f, kBlendCopy);
  }
  // Checks that dest pixel (x, y) holds source pixel (x − dx, y − dy) inside the given area and
  // the background elsewhere.
  void ExpectCopied(int32_t dx, int32_t dy, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) {
    for (int32_t y = 0; y < 20; ++y) {
      for (int32_t x = 0; x < 20; ++x) {
        const bool inside = x >= left && x < right && y >= top && y < bottom;
        const uint32_t expected = inside ? Pixel(source_, x - dx, y - dy) : kBackground;
        ASSERT_EQ(Pixel(dest_, x, y), expected) << x << "," << y;
      }
    }
  }
  static constexpr uint32_t kBackground = 0xFF102030;
  MemoryBitmap source_{10, 10};
  MemoryBitmap dest_{20, 20};
};

TEST_F(BlitClipping, NegativeDestinationCopiesFromInsideTheSource) {
  Blit(&dest_, &source_, -5, -3, nullptr, 1.0f, kBlendCopy);
  ExpectCopied(-5, -3, 0, 0, 5, 7);
}

TEST_F(BlitClipping, RightAndBottomEdgesCutTheBlit) {
  Blit(&dest_, &source_, 15, 17, nullptr, 1.0f, kBlendCopy);
  ExpectCopied(15, 17, 15, 17, 20, 20);
}

TEST_F(BlitClipping, DestinationPointBeyondTheDestinationChangesNothing) {
  Blit(&dest_, &source_, 20, 0, nullptr, 1.0f, kBlendCopy);
  Blit(&dest_, &source_, 0, 20, nullptr, 1.0f, kBlendCopy);
  Blit(&dest_, &source_, -10, 0, nullptr, 1.0f, kBlendCopy);
  ExpectCopied(0, 0, 0, 0, 0, 0);
}

TEST_F(BlitClipping, SourceRectangleOutsideTheSourceChangesNothing) {
  const RasterRect outside{10, 0, 14, 4};
  Blit(&dest_, &source_, 0, 0, &outside, 1.0f, kBlendCopy);
  BlitRect(&dest_, &source_, 0, 0, -8, -8, 5, 5, 1.0f, kBlendCopy);
  ExpectCopied(0, 0, 0, 0, 0, 0);
}

TEST_F(BlitClipping, SourceRectangleIsCutToTheSource) {
  BlitRect(&dest_, &source_, 2, 3, 6, 7, 10, 10, 1.0f, kBlendCopy);
  ExpectCopied(2 - 6, 3 - 7, 2, 3, 6, 6);
}

TEST_F(BlitClipping, SourceRectangleLeftOfTheSourceMovesTheDestinationPoint) {
  BlitRect(&dest_, &source_, 4, 4, -2, -3, 6, 6, 1.0f, kBlendCopy);
  // Source (0, 0) lands at (4 + 2, 4 + 3); the rectangle ends at source (4, 3).
  ExpectCopied(6, 7, 6, 7, 10, 10);
}

TEST_F(BlitClipping, ExtremeCoordinatesDoNotOverflow) {
  Blit(&dest_, &source_, std::numeric_limits<int32_t>::max(), 0, nullptr, 1.0f, kBlendCopy);
  Blit(&dest_, &source_, std::numeric_limits<int32_t>::min(), 0, nullptr, 1.0f, kBlendCopy);
  BlitRect(&dest_, &source_, 0, 0, std::numeric_limits<int32_t>::max() - 1, 0,
           std::numeric_limits<int32_t>::max(), 5, 1.0f, kBlendCopy);
  ExpectCopied(0, 0, 0, 0, 0, 0);
}

TEST(BlitArguments, NullOrEmptyBitmapsAreIgnored) {
  MemoryBitmap dest(2, 2);
  FillSolid(dest, 0xFF000000);
  MemoryBitmap empty;
  Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, kBlendCopy);
  Blit(nullptr, &dest, 0, 0, nullptr, 1.0f, kBlendCopy);
  Blit(&dest, &empty, 0, 0, nullptr, 1.0f, kBlendCopy);
  Blit(&empty, &dest, 0, 0, nullptr, 1.0f, kBlendCopy);
  EXPECT_EQ(Pixel(dest, 1, 1), 0xFF000000u);
}

TEST(BlitSelf, OverlappingCopyWithinOneBitmapMovesThePixels) {
  MemoryBitmap bitmap(8, 1);
  for (int32_t x = 0; x < 8; ++x) PutPixel(&bitmap, x, 0, 0xFF000000u + x, 1.0f, kBlendCopy);
  BlitRect(&bitmap, &bitmap, 2, 0, 0, 0, 6, 1, 1.0f, kBlendCopy);
  for (int32_t x = 2; x < 8; ++x) EXPECT_EQ(Pixel(bitmap, x, 0), 0xFF000000u + x - 2);
}

// --- Bottom-up bitmaps --------------------------------------------------------------------

TEST(BlitBottomUp, RowsAreReadAndWrittenFromTheBottom) {
  BottomUpBitmap src(4, 3);
  for (int32_t y = 0; y < 3; ++y) PutPixel(&src, 0, y, 0xFF000000u + y, 1.0f, kBlendCopy);
  EXPECT_EQ(src.Stored(0, 2), 0xFF000000u);  // row 0 lives at the bottom

  MemoryBitmap topDown(4, 3);
  Blit(&topDown, &src, 0, 0, nullptr, 1.0f, kBlendCopy);
  for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(Pixel(topDown, 0, y), 0xFF000000u + y);

  BottomUpBitmap dest(4, 3);
  Blit(&dest, &topDown, 0, 1, nullptr, 1.0f, kBlendCopy);
  EXPECT_EQ(dest.Stored(0, 1), 0xFF000000u);  // row 1 is the second from the bottom
  EXPECT_EQ(Pixel(dest, 0, 2), 0xFF000001u);
}

TEST(FillBottomUp, FillsTheRowsCountedFromTheTop) {
  BottomUpBitmap bitmap(3, 4);
  FillRect(&bitmap, 0, 0, 3, 1, 0xFFABCDEF, 1.0f, kBlendCopy);
  EXPECT_EQ(bitmap.Stored(1, 3), 0xFFABCDEFu);
  EXPECT_EQ(bitmap.Stored(1, 0), 0u);
}

// --- Fills --------------------------------------------------------------------------------

uint32_t FillOnePixel(uint32_t dest, uint32_t colour, float weight, int32_t mode) {
  MemoryBitmap bitmap(1, 1);
  FillSolid(bitmap, dest);
  FillRect(&bitmap, 0, 0, 1, 1, colour, weight, mode);
  return Pixel(bitmap, 0, 0);
}

TEST(FillQuarterSteps, UseTheWholeWordShifts) {
  // Worked by hand per byte (alpha, red, green, blue) with colour 0x80FF4020 over 0x40102090,
  // where the per-channel formula would give other values (red 196 instead of 194 at u = 192).
  const uint32_t colour = 0x80FF4020;
  const uint32_t dest = 0x40102090;
  // u = 192: c/2 + c/4 + d/4 = 64+32+16, 127+63+4, 32+16+8, 16+8+36.
  EXPECT_EQ(FillOnePixel(dest, colour, 0.75f, kBlendCopy), 0x70C2383Cu);
  // u = 128: c/2 + d/2 = 64+32, 127+8, 32+16, 16+72.
  EXPECT_EQ(FillOnePixel(dest, colour, 0.5f, kBlendCopy), 0x60873058u);
  // u = 64: c/4 + d/4 + d/2 = 32+16+32, 63+4+8, 16+8+16, 8+36+72.
  EXPECT_EQ(FillOnePixel(dest, colour, 0.25f, kBlendCopy), 0x504B2874u);
  // With the source-alpha flag, weight 0.5 × 128/255 lands on u = 64 too.
  EXPECT_EQ(FillOnePixel(dest, colour, 0.5f, kBlendSourceAlpha), 0x504B2874u);
  EXPECT_EQ(FillOnePixel(dest, colour, 1.0f, kBlendCopy), colour);
  // Worked by hand: 0x64/2 + 0x64/4 + 0x20/4 = 50 + 25 + 8 = 83.
  EXPECT_EQ(FillOnePixel(0xFF002000, 0xFF006400, 0.75f, kBlendCopy) >> 8 & 0xFF, 83u);
}

TEST(FillWeights, OtherWeightsUseTheGeneralFormula) {
  // u = 76: (0 − 255) × 180 ÷ 256 + 255 = 75.7 → 76 (the product truncates toward zero).
  EXPECT_EQ(FillOnePixel(0xFF000000, 0xFF0000FF, 0.3f, kBlendCopy) & 0xFF, 76u);
}

TEST(FillWeights, SourceAlphaFlagScalesByTheColoursAlpha) {
  // weight 1 × 96/255 → u = trunc(96.4) = 96: (0 − 255) × 160 ÷ 256 + 255 = 96 for blue.
  const uint32_t scaled = FillOnePixel(0xFF000000, 0x600000FF, 1.0f, kBlendSourceAlpha);
  EXPECT_EQ(scaled & 0xFF, 96u);
  // 128/255 lands on the half step, which takes the whole-word path.
  EXPECT_EQ(FillOnePixel(0xFF000000, 0x800000FF, 1.0f, kBlendSourceAlpha),
            0xBF00007Fu);  // 0x40 + 0x7F, 0, 0, 0x7F + 0
  EXPECT_EQ(FillOnePixel(0xFF000000, 0x000000FF, 1.0f, kBlendSourceAlpha), 0xFF000000u);
}

// Fills a 256-pixel row in which each channel takes every value 0–255 once (in a different order
// per channel) at every weight step, with colours whose four channels are c, c + 64, c + 128 and
// c + 192, and compares each pixel with the reference. Channels are independent, so this covers
// every destination and colour channel value at every weight.
uint32_t EveryChannelValue(int32_t i) {
  const auto v = static_cast<uint32_t>(i);
  return (v & 0xFF) | ((255 - v) & 0xFF) << 8 | ((v ^ 0x5A) & 0xFF) << 16 | (v * 167 & 0xFF) << 24;
}

void ExpectFillMatchesReferenceEverywhere(int32_t mode) {
  std::vector<uint32_t> before(256);
  for (int32_t x = 0; x < 256; ++x) before[static_cast<size_t>(x)] = EveryChannelValue(x);
  MemoryBitmap bitmap(256, 1);
  uint32_t* row = bitmap.GetBits();
  for (int32_t u = 1; u <= 256; ++u) {
    for (uint32_t c = 0; c < 64; ++c) {
      std::copy(before.begin(), before.end(), row);
      const uint32_t colour = c | (c + 64) << 8 | (c + 128) << 16 | (c + 192) << 24;
      FillRect(&bitmap, 0, 0, 256, 1, colour, static_cast<float>(u) / 256.0f, mode);
      for (size_t x = 0; x < 256; ++x) {
        const uint32_t expected = mode == kBlendCopy && pixel_blend::IsQuarterStep(u)
                                      ? pixel_blend::QuarterFillWord(before[x], colour, u)
                                      : pixel_blend::FillPixel(before[x], colour, u, mode);
        ASSERT_EQ(row[x], expected) << "u " << u << " colour " << colour << " at " << x;
      }
    }
  }
}

TEST(FillFastPaths, BlendEqualsTheReferenceForEveryWeightColourAndDestination) {
  ExpectFillMatchesReferenceEverywhere(kBlendCopy);
}

TEST(FillFastPaths, AddEqualsTheReferenceForEveryWeightColourAndDestination) {
  ExpectFillMatchesReferenceEverywhere(kBlendAdd & 0xFF);
}

// Every width from 1 to 33 at every start offset in a group, on a bottom-up bitmap: the row
// tails and the rows around the rectangle.
TEST(FillFastPaths, OddWidthsAndOffsetsTouchExactlyTheRectangle) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> weights(0.0f, 1.0f);
  for (int32_t mode : {kBlendCopy, kBlendAdd & 0xFF, kBlendSourceAlpha, kBlendAdd}) {
    for (int32_t width = 1; width <= 49; ++width) {
      const int32_t left = static_cast<int32_t>(random() % 4);
      const uint32_t colour = random();
      const float weight = weights(random);
      BottomUpBitmap bitmap(40, 4);
      const std::vector<uint32_t> before = SpriteWords(random, 40 * 4);
      Load(bitmap, before);
      FillRect(&bitmap, left, 1, width, 2, colour, weight, mode);
      const float scaled =
          HasSourceAlpha(mode) ? weight * (static_cast<float>(colour >> 24) / 255.0f) : weight;
      const int32_t u = ScaledWeight(scaled);
      for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
          const uint32_t d = before[static_cast<size_t>(y) * 40 + x];
          const bool inside = x >= left && x < left + width && y >= 1 && y < 3 && u > 0;
          uint32_t expected = d;
          if (inside) {
            expected = BlendOperation(mode) == 0 && pixel_blend::IsQuarterStep(u)
                           ? pixel_blend::QuarterFillWord(d, colour, u)
                           : pixel_blend::FillPixel(d, colour, u, mode);
          }
          ASSERT_EQ(Pixel(bitmap, x, y), expected)
              << "mode " << mode << " width " << width << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(FillModes, AddClampsAndDodgeSaturates) {
  EXPECT_EQ(FillOnePixel(0xFFC8C8C8, 0xFFC8C8C8, 1.0f, kBlendAdd) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(FillOnePixel(0xFF000064, 0xFF000080, 1.0f, kBlendDodge) & 0xFF, 200u);
}

TEST(FillClipping, IsCutAtEveryEdge) {
  MemoryBitmap bitmap(6, 5);
  FillSolid(bitmap, 0xFF000000);
  FillRect(&bitmap, -2, -1, 4, 3, 0xFFFFFFFF, 1.0f, kBlendCopy);
  FillRect(&bitmap, 4, 3, 10, 10, 0xFF00FF00, 1.0f, kBlendCopy);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      uint32_t expected = 0xFF000000;
      if (x < 2 && y < 2) expected = 0xFFFFFFFF;
      if (x >= 4 && y >= 3) expected = 0xFF00FF00;
      ASSERT_EQ(Pixel(bitmap, x, y), expected) << x << "," << y;
    }
  }
}

TEST(FillClipping, AreasOutsideOrEmptyChangeNothing) {
  MemoryBitmap bitmap(4, 4);
  FillSolid(bitmap, 0xFF000000);
  FillRect(&bitmap, 4, 0, 3, 3, 0xFFFFFFFF, 1.0f, kBlendCopy);
  FillRect(&bitmap, 0, -5, 3, 5, 0xFFFFFFFF, 1.0f, kBlendCopy);
  FillRect(&bitmap, 0, 0, 0, 3, 0xFFFFFFFF, 1.0f, kBlendCopy);
  FillRect(&bitmap, 0, 0, 3, 3, 0xFFFFFFFF, 0.0f, kBlendCopy);
  FillRect(&bitmap, std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 3,
           0xFFFFFFFF, 1.0f, kBlendCopy);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(Pixel(bitmap, x, y), 0xFF000000u);
  }
}

// --- Single pixels and whole copies ---------------------------------------------------------

TEST(GetPixel, OutsideTheBitmapIsZero) {
  MemoryBitmap bitmap(3, 3);
  FillSolid(bitmap, 0xFFFFFFFF);
  EXPECT_EQ(GetPixel(&bitmap, -1, 0), 0u);
  EXPECT_EQ(GetPixel(&bitmap, 3, 0), 0u);
  EXPECT_EQ(GetPixel(&bitmap, 0, 3), 0u);
  EXPECT_EQ(GetPixel(nullptr, 0, 0), 0u);
  MemoryBitmap empty;
  EXPECT_EQ(GetPixel(&empty, 0, 0), 0u);
}

TEST(PutPixel, ComposesLikeTheFillWithoutAlphaScaling) {
  MemoryBitmap bitmap(2, 1);
  FillSolid(bitmap, 0xFF000000);
  PutPixel(&bitmap, 0, 0, 0x000000FF, 1.0f, kBlendSourceAlpha);  // alpha 0 does not matter
  EXPECT_EQ(Pixel(bitmap, 0, 0), 0x000000FFu);
  PutPixel(&bitmap, 1, 0, 0xFF0000FF, 0.5f, kBlendCopy);
  EXPECT_EQ(Pixel(bitmap, 1, 0), 0xFE00007Fu);            // halves: 0x7F + 0x7F, 0, 0, 0x7F + 0
  PutPixel(&bitmap, 2, 0, 0xFFFFFFFF, 1.0f, kBlendCopy);  // outside: ignored
  PutPixel(&bitmap, 0, -1, 0xFFFFFFFF, 1.0f, kBlendCopy);
  EXPECT_EQ(Pixel(bitmap, 0, 0), 0x000000FFu);
}

TEST(CopyBitmap, ResizesAndCopiesEveryPixel) {
  MemoryBitmap src(7, 3);
  FillWithPattern(src, 44);
  MemoryBitmap dest(2, 2);
  CopyBitmap(&dest, &src);
  ASSERT_EQ(dest.GetWidth(), 7);
  ASSERT_EQ(dest.GetHeight(), 3);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 7; ++x) ASSERT_EQ(Pixel(dest, x, y), Pixel(src, x, y));
  }
}

}  // namespace
