// Writes small PNG files into memory for the decoder tests, in any colour type and bit depth.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

struct TestPng {
  int width = 1;
  int height = 1;
  int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
  bool hasTransparentColour = false;   // tRNS of a grey or colour image
  png_color_16 transparentColour{};
  std::vector<std::vector<uint8_t>> rows;  // packed as the PNG stores them (big-endian samples)
};

namespace png_test {

inline void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

inline void NoFlush(png_structp) {}

inline bool WriteInto(png_structp png, png_infop info, const TestPng& image,
                      std::vector<uint8_t>& out) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, &out, Append, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.bitDepth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) {
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  }
  if (!image.paletteAlpha.empty()) {
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()),
                 nullptr);
  } else if (image.hasTransparentColour) {
    png_color_16 colour = image.transparentColour;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (const auto& row : image.rows) rows.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace png_test

// The encoded file, or an empty vector when libpng refused the description.
inline std::vector<uint8_t> EncodePng(const TestPng& image) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const bool ok = png_test::WriteInto(png, info, image, out);
  png_destroy_write_struct(&png, &info);
  if (!ok) out.clear();
  return out;
}
