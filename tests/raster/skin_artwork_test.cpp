// Tests that the committed skin images are exactly what the artwork generator draws.
#include "tools/skin/skin_artwork.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "raster/blit.h"
#include "raster/png_loader.h"
#include "tools/skin/png_writer.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<RasterBitmap> DecodeFile(const std::filesystem::path& path) {
  const auto bytes = ReadFile(path);
  return std::unique_ptr<RasterBitmap>(LoadPngFromMemory(bytes.data(), bytes.size(), nullptr));
}

class SkinImage_ : public testing::TestWithParam<int> {};

TEST_P(SkinImage_, RegeneratedMatchesTheCommittedPixels) {
  const SkinImage image = DrawSkinImage(GetParam());
  ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height);
  ASSERT_EQ(image.height % image.frames, 0);

  const std::filesystem::path regenerated =
      std::filesystem::path(TINTINNA_TEST_OUTPUT_DIR) / image.path;
  std::filesystem::create_directories(regenerated.parent_path());
  ASSERT_TRUE(WriteRgbaPng(regenerated.string(), image.width, image.height, image.pixels));

  auto fresh = DecodeFile(regenerated);
  auto committed = DecodeFile(std::filesystem::path(TINTINNA_SKIN_IMAGE_DIR) / image.path);
  ASSERT_NE(fresh, nullptr);
  ASSERT_NE(committed, nullptr) << image.path << " is missing or unreadable";
  ASSERT_EQ(committed->GetWidth(), image.width);
  ASSERT_EQ(committed->GetHeight(), image.height);
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t drawn = image.pixels[static_cast<size_t>(y) * image.width + x];
      ASSERT_EQ(GetPixel(fresh.get(), x, y), drawn) << image.path << " " << x << "," << y;
      ASSERT_EQ(GetPixel(committed.get(), x, y), drawn) << image.path << " " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ids, SkinImage_, testing::Range(100, 113));

TEST(SkinArtwork, LampsGrowBrighterFrameByFrame) {
  const SkinImage lamp = DrawSkinImage(110);
  const int frameHeight = lamp.height / lamp.frames;
  const auto centreRed = [&](int frame) {
    return lamp.pixels[static_cast<size_t>(frame * frameHeight + 7) * lamp.width + 7] >> 16 & 0xFF;
  };
  for (int frame = 1; frame < lamp.frames; frame += 5) {
    EXPECT_GE(centreRed(frame), centreRed(frame - 1)) << frame;
  }
  EXPECT_GT(centreRed(lamp.frames - 1), centreRed(0) + 100);
}

TEST(SkinArtwork, TheDialNeedleSweepsFromLeftToRight) {
  const SkinImage dial = DrawSkinImage(105);
  const int frameHeight = dial.height / dial.frames;
  // The needle's own orange, weighted by its distance from the centre column.
  const auto needleSide = [&](int frame) {
    long weight = 0;
    for (int y = 0; y < frameHeight; ++y) {
      for (int x = 0; x < dial.width; ++x) {
        const uint32_t p =
            dial.pixels[static_cast<size_t>(frame * frameHeight + y) * dial.width + x];
        const bool needle = (p >> 16 & 0xFF) > 245 && (p >> 8 & 0xFF) > 90 &&
                            (p >> 8 & 0xFF) < 120 && (p & 0xFF) < 60;
        if (needle) weight += x - dial.width / 2;
      }
    }
    return weight;
  };
  EXPECT_LT(needleSide(0), 0);
  EXPECT_GT(needleSide(dial.frames - 1), 0);
}

}  // namespace
