// Tests of PNG decoding: every colour type and bit depth, targets, and every failure path.
#include "raster/png_loader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <memory>
#include <vector>

#include "raster/blit.h"
#include "raster/dib_bitmap.h"
#include "raster/memory_bitmap.h"
#include "tests/raster/png_test_writer.h"
#include "tests/raster/test_bitmaps.h"

namespace {

std::unique_ptr<RasterBitmap> Decode(const std::vector<uint8_t>& file) {
  return std::unique_ptr<RasterBitmap>(LoadPngFromMemory(file.data(), file.size(), nullptr));
}

// One row of 16-bit samples, big-endian as PNG stores them.
std::vector<uint8_t> Samples16(std::initializer_list<uint16_t> samples) {
  std::vector<uint8_t> row;
  for (uint16_t s : samples) {
    row.push_back(static_cast<uint8_t>(s >> 8));
    row.push_back(static_cast<uint8_t>(s));
  }
  return row;
}

TestPng Rgba8(int width, int height) {
  TestPng image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
      row.insert(row.end(), {static_cast<uint8_t>(x * 10), static_cast<uint8_t>(y * 20),
                             static_cast<uint8_t>(x + y), static_cast<uint8_t>(255 - x)});
    }
    image.rows.push_back(row);
  }
  return image;
}

uint32_t ExpectedRgba8(int x, int y) {
  return static_cast<uint32_t>(255 - x) << 24 | static_cast<uint32_t>(x * 10) << 16 |
         static_cast<uint32_t>(y * 20) << 8 | static_cast<uint32_t>(x + y);
}

// --- Colour types and bit depths -------------------------------------------------------------

TEST(PngColour, RgbaKeepsStraightAlphaInTheTopByte) {
  TestPng image;
  image.rows = {{255, 0, 0, 128}};
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0x80FF0000u);
}

TEST(PngColour, EveryRgbaPixelLandsInPlace) {
  auto bitmap = Decode(EncodePng(Rgba8(7, 5)));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 7);
  EXPECT_EQ(bitmap->GetHeight(), 5);
  EXPECT_EQ(bitmap->GetRowSpan(), 8);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) ASSERT_EQ(GetPixel(bitmap.get(), x, y), ExpectedRgba8(x, y));
  }
}

TEST(PngColour, InterlacedImagesAreAssembled) {
  TestPng image = Rgba8(9, 9);
  image.interlaced = true;
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) ASSERT_EQ(GetPixel(bitmap.get(), x, y), ExpectedRgba8(x, y));
  }
}

TEST(PngColour, RgbGetsOpaqueAlpha) {
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_RGB;
  image.width = 2;
  image.rows = {{1, 2, 3, 250, 251, 252}};
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0xFF010203u);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0xFFFAFBFCu);
}

TEST(PngColour, SixteenBitSamplesKeepTheirHighBytes) {
  TestPng rgba;
  rgba.bitDepth = 16;
  rgba.rows = {Samples16({0x12FF, 0x3400, 0x5680, 0x78EE})};
  auto bitmap = Decode(EncodePng(rgba));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0x78123456u);

  TestPng rgb = rgba;
  rgb.colourType = PNG_COLOR_TYPE_RGB;
  rgb.rows = {Samples16({0xAB01, 0xCD02, 0xEF03})};
  bitmap = Decode(EncodePng(rgb));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0xFFABCDEFu);
}

TEST(PngColour, RgbWithATransparentColourGetsAlphaZeroThere) {
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_RGB;
  image.width = 2;
  image.rows = {{10, 20, 30, 40, 50, 60}};
  image.hasTransparentColour = true;
  image.transparentColour.red = 40;
  image.transparentColour.green = 50;
  image.transparentColour.blue = 60;
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0xFF0A141Eu);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0x0028323Cu);
}

struct GreyCase {
  int bitDepth;
  std::vector<uint8_t> row;       // packed samples of four pixels
  std::array<uint8_t, 4> levels;  // the expected 8-bit grey of each pixel
};

class PngGrey : public testing::TestWithParam<GreyCase> {};

TEST_P(PngGrey, IsSpreadToAllThreeColoursAndMadeOpaque) {
  const GreyCase& c = GetParam();
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.bitDepth = c.bitDepth;
  image.width = 4;
  image.rows = {c.row};
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  for (int x = 0; x < 4; ++x) {
    const uint32_t g = c.levels[static_cast<size_t>(x)];
    EXPECT_EQ(GetPixel(bitmap.get(), x, 0), 0xFF000000u | g << 16 | g << 8 | g) << x;
  }
}

INSTANTIATE_TEST_SUITE_P(
    BitDepths, PngGrey,
    testing::Values(GreyCase{1, {0b10100000}, {255, 0, 255, 0}},
                    GreyCase{2, {0b00011011}, {0, 85, 170, 255}},
                    GreyCase{4, {0x0F, 0x85}, {0, 255, 136, 85}},
                    GreyCase{8, {0, 7, 128, 255}, {0, 7, 128, 255}},
                    GreyCase{16, Samples16({0x0000, 0x07FF, 0x8000, 0xFF00}), {0, 7, 128, 255}}));

TEST(PngColour, GreyWithAlphaKeepsItsAlpha) {
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  image.width = 2;
  image.rows = {{0x40, 0x80, 0xC0, 0xFF}};
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0x80404040u);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0xFFC0C0C0u);

  image.bitDepth = 16;
  image.rows = {Samples16({0x4011, 0x8022, 0xC033, 0x1044})};
  bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0x10C0C0C0u);
}

TEST(PngColour, GreyWithATransparentLevelGetsAlphaZeroThere) {
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.width = 2;
  image.rows = {{9, 200}};
  image.hasTransparentColour = true;
  image.transparentColour.gray = 200;
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0xFF090909u);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0) >> 24, 0u);
}

class PngPalette : public testing::TestWithParam<int> {};

TEST_P(PngPalette, IsExpandedToColour) {
  const int depth = GetParam();
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_PALETTE;
  image.bitDepth = depth;
  image.width = 2;
  image.palette = {{10, 20, 30}, {200, 100, 50}};
  // Pixels 1 then 0, packed from the most significant bits.
  image.rows = {{static_cast<uint8_t>(depth == 8 ? 1 : 1 << (8 - depth)), 0}};
  if (depth < 8) image.rows[0].resize(1);
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0xFFC86432u);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0xFF0A141Eu);
}

INSTANTIATE_TEST_SUITE_P(BitDepths, PngPalette, testing::Values(1, 2, 4, 8));

TEST(PngColour, PaletteTransparencyBecomesAlpha) {
  TestPng image;
  image.colourType = PNG_COLOR_TYPE_PALETTE;
  image.width = 3;
  image.palette = {{10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
  image.paletteAlpha = {0, 128};  // entry 2 has no alpha: opaque
  image.rows = {{0, 1, 2}};
  auto bitmap = Decode(EncodePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 0, 0), 0x000A141Eu);
  EXPECT_EQ(GetPixel(bitmap.get(), 1, 0), 0x80C86432u);
  EXPECT_EQ(GetPixel(bitmap.get(), 2, 0), 0xFF010203u);
}

// --- Targets ----------------------------------------------------------------------------------

TEST(PngTarget, IsResizedToTheImageAndReturned) {
  MemoryBitmap target(3, 40);
  const auto file = EncodePng(Rgba8(6, 4));
  EXPECT_EQ(LoadPngFromMemory(file.data(), file.size(), &target), &target);
  EXPECT_EQ(target.GetWidth(), 6);
  EXPECT_EQ(target.GetHeight(), 4);
  EXPECT_EQ(GetPixel(&target, 5, 3), ExpectedRgba8(5, 3));
}

TEST(PngTarget, ABottomUpTargetGetsItsRowsTheRightWayUp) {
  BottomUpBitmap target(1, 1);
  const auto file = EncodePng(Rgba8(3, 4));
  ASSERT_EQ(LoadPngFromMemory(file.data(), file.size(), &target), &target);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(GetPixel(&target, 2, y), ExpectedRgba8(2, y));
}

TEST(PngTarget, ATargetThatCannotBeResizedYieldsNull) {
  DibBitmap target{DibBitmap::NoDeviceContext{}};
  const auto file = EncodePng(Rgba8(6, 4));
  EXPECT_EQ(LoadPngFromMemory(file.data(), file.size(), &target), nullptr);
}

// --- Failures ---------------------------------------------------------------------------------

TEST(PngFailure, NoDataOrTooShortYieldsNull) {
  const auto file = EncodePng(Rgba8(2, 2));
  EXPECT_EQ(LoadPngFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(LoadPngFromMemory(file.data(), 7, nullptr), nullptr);
  EXPECT_EQ(LoadPngFromMemory(file.data(), 0, nullptr), nullptr);
}

TEST(PngFailure, AWrongSignatureYieldsNull) {
  auto file = EncodePng(Rgba8(2, 2));
  file[1] = 'Q';
  EXPECT_EQ(Decode(file), nullptr);
}

TEST(PngFailure, TheSignatureAloneYieldsNull) {
  const auto file = EncodePng(Rgba8(2, 2));
  EXPECT_EQ(LoadPngFromMemory(file.data(), 8, nullptr), nullptr);
}

TEST(PngFailure, EveryTruncationBeforeTheImageEndsYieldsNull) {
  const auto file = EncodePng(Rgba8(5, 5));
  // The last 12 bytes are the end chunk; everything before it is needed.
  for (size_t length = 8; length + 12 < file.size(); ++length) {
    ASSERT_EQ(LoadPngFromMemory(file.data(), length, nullptr), nullptr) << length;
  }
}

TEST(PngFailure, ACorruptedByteInTheHeaderOrDataYieldsNull) {
  const auto original = EncodePng(Rgba8(5, 5));
  // Every byte from the header chunk up to the end of the image data is covered by a checksum.
  for (size_t i = 8; i + 12 < original.size(); ++i) {
    auto file = original;
    file[i] ^= 0x20;
    ASSERT_EQ(Decode(file), nullptr) << i;
  }
}

// A target that records the sizes it is asked for and takes none of them.
class SizeRecorder : public RasterBitmap {
 public:
  uint32_t* GetBits() override { return nullptr; }
  int32_t GetWidth() const override { return 0; }
  int32_t GetHeight() const override { return 0; }
  int32_t GetRowSpan() const override { return 0; }
  bool Resize(int32_t, int32_t) override {
    ++resizes;
    return true;
  }
  int resizes = 0;
};

// A 1 × 1 file whose header claims width × height, with a matching checksum, and padding bytes
// after its end so that only the size limits can refuse it.
std::vector<uint8_t> ForgedHeader(uint32_t width, uint32_t height, size_t padding) {
  auto file = EncodePng(Rgba8(1, 1));
  for (int i = 0; i < 4; ++i) {
    file[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    file[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  const uint32_t crc = static_cast<uint32_t>(crc32(0, file.data() + 12, 17));
  for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  file.resize(file.size() + padding, 0);
  return file;
}

TEST(PngFailure, AForgedHugeImageIsRefusedBeforeAllocating) {
  // 6000 × 6000 is over the pixel limit but its 144 MB would fit a bitmap; 65 537 × 1 is over the
  // side limit but few pixels. 200 000 padding bytes could hold either after inflation.
  const std::array<std::array<uint32_t, 2>, 2> sizes = {{{6000, 6000}, {65537, 1}}};
  for (const auto& [width, height] : sizes) {
    const auto file = ForgedHeader(width, height, 200000);
    SizeRecorder target;
    EXPECT_EQ(LoadPngFromMemory(file.data(), file.size(), &target), nullptr);
    EXPECT_EQ(target.resizes, 0) << width << " x " << height << " reached the bitmap";
    EXPECT_EQ(Decode(file), nullptr);
  }
}

TEST(PngFailure, AHeaderPromisingMoreThanTheDataCanHoldIsRefusedBeforeAllocating) {
  // 4096 × 4096 is within every size limit, but its 64 MB of rows cannot come out of 100 bytes.
  const auto file = ForgedHeader(4096, 4096, 0);
  SizeRecorder target;
  EXPECT_EQ(LoadPngFromMemory(file.data(), file.size(), &target), nullptr);
  EXPECT_EQ(target.resizes, 0);

  // An image that compresses as well as deflate allows still decodes.
  TestPng blank;
  blank.width = 512;
  blank.height = 512;
  blank.rows.assign(512, std::vector<uint8_t>(512 * 4, 0));
  const auto compact = EncodePng(blank);
  ASSERT_LT(compact.size(), 512u * 512u * 4u / 500u);
  const auto bitmap = Decode(compact);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetPixel(bitmap.get(), 511, 511), 0u);
}

// --- Resources --------------------------------------------------------------------------------

TEST(PngResource, AMissingIdYieldsNull) {
  EXPECT_EQ(LoadPngFromResource(nullptr, 99, nullptr), nullptr);
  EXPECT_EQ(LoadPngFromResource(nullptr, 113, nullptr), nullptr);
}

struct SkinSize {
  int32_t id;
  int32_t width;
  int32_t height;
};

class PngSkinResource : public testing::TestWithParam<SkinSize> {};

TEST_P(PngSkinResource, DecodesWithItsSize) {
  const SkinSize s = GetParam();
  std::unique_ptr<RasterBitmap> bitmap(LoadPngFromResource(nullptr, s.id, nullptr));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), s.width);
  EXPECT_EQ(bitmap->GetHeight(), s.height);
}

INSTANTIATE_TEST_SUITE_P(AllThirteen, PngSkinResource,
                         testing::Values(SkinSize{100, 35, 500}, SkinSize{101, 40, 40},
                                         SkinSize{102, 17, 35}, SkinSize{103, 36, 21},
                                         SkinSize{104, 800, 400}, SkinSize{105, 99, 5100},
                                         SkinSize{106, 10, 20}, SkinSize{107, 32, 28000},
                                         SkinSize{108, 22, 150}, SkinSize{109, 150, 22},
                                         SkinSize{110, 14, 1778}, SkinSize{111, 10, 20},
                                         SkinSize{112, 10, 20}));

TEST(PngResource, LoadsIntoAGivenTarget) {
  DibBitmap surface(10, 10);
  EXPECT_EQ(LoadPngFromResource(nullptr, 104, &surface), &surface);
  EXPECT_EQ(surface.GetWidth(), 800);
  EXPECT_EQ(surface.GetRowSpan(), 800);
}

}  // namespace
