// Writes small PNG files of every colour type the skin images do not use into a directory, so
// that the PNG fuzzer starts from each of libpng's transformation paths.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/raster/png_test_writer.h"

namespace {

// Rows of a width × height image with bytesPerRow bytes each, holding a small ramp.
std::vector<std::vector<uint8_t>> Ramp(int height, size_t bytesPerRow) {
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    for (size_t i = 0; i < bytesPerRow; ++i)
      rows[static_cast<size_t>(y)].push_back(static_cast<uint8_t>(y * 37 + i * 11));
  return rows;
}

TestPng Image(int colourType, int bitDepth, size_t bytesPerRow) {
  TestPng image;
  image.width = 6;
  image.height = 5;
  image.colourType = colourType;
  image.bitDepth = bitDepth;
  image.rows = Ramp(image.height, bytesPerRow);
  return image;
}

bool Write(const std::string& directory, const char* name, const TestPng& image) {
  const std::vector<uint8_t> file = EncodePng(image);
  if (file.empty()) return false;
  const std::string path = directory + "/" + name;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];

  TestPng grey1 = Image(PNG_COLOR_TYPE_GRAY, 1, 1);
  TestPng grey8 = Image(PNG_COLOR_TYPE_GRAY, 8, 6);
  TestPng greyTransparent = grey8;
  greyTransparent.hasTransparentColour = true;
  greyTransparent.transparentColour.gray = 37;
  TestPng greyAlpha = Image(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 12);
  TestPng palette = Image(PNG_COLOR_TYPE_PALETTE, 4, 3);
  for (int i = 0; i < 16; ++i)
    palette.palette.push_back(png_color{static_cast<png_byte>(i * 16), static_cast<png_byte>(i),
                                        static_cast<png_byte>(255 - i * 16)});
  for (auto& row : palette.rows)
    for (auto& byte : row) byte &= 0x77;  // indices 0-7 in both nibbles
  TestPng paletteTransparent = palette;
  paletteTransparent.paletteAlpha = {0, 64, 128, 255};
  TestPng rgba16 = Image(PNG_COLOR_TYPE_RGB_ALPHA, 16, 48);
  TestPng rgbTransparent = Image(PNG_COLOR_TYPE_RGB, 8, 18);
  rgbTransparent.hasTransparentColour = true;
  rgbTransparent.transparentColour.red = 11;
  TestPng interlaced = Image(PNG_COLOR_TYPE_RGB, 8, 18);
  interlaced.width = 9;
  interlaced.height = 9;
  interlaced.rows = Ramp(9, 27);
  interlaced.interlaced = true;

  const struct {
    const char* name;
    const TestPng& image;
  } seeds[] = {
      {"grey-1bit.png", grey1},           {"grey-8bit.png", grey8},
      {"grey-trns.png", greyTransparent}, {"grey-alpha.png", greyAlpha},
      {"palette.png", palette},           {"palette-trns.png", paletteTransparent},
      {"rgba-16bit.png", rgba16},         {"rgb-trns.png", rgbTransparent},
      {"rgb-interlaced.png", interlaced},
  };
  for (const auto& seed : seeds) {
    if (!Write(directory, seed.name, seed.image)) {
      std::fprintf(stderr, "cannot write %s into %s\n", seed.name, directory.c_str());
      return 1;
    }
  }
  return 0;
}
