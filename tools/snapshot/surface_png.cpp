// Writes an editor surface to a PNG file with libpng.
#include "tools/snapshot/surface_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "raster/raster_bitmap.h"

namespace snapshot {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};

// The libpng part, kept free of C++ objects with destructors because of its longjmp.
bool WriteRows(std::FILE* file, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WriteSurfacePng(const std::string& path, RasterBitmap& surface, std::string& error) {
  const int width = surface.GetWidth(), height = surface.GetHeight();
  const uint32_t* bits = surface.GetBits();
  if (!bits || width <= 0 || height <= 0) {
    error = "the editor has no drawing surface";
    return false;
  }
  std::vector<png_byte> pixels(static_cast<size_t>(width) * height * 3);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const int sourceRow = surface.IsBottomUp() ? height - 1 - y : y;
    const uint32_t* source = bits + static_cast<size_t>(sourceRow) * surface.GetRowSpan();
    png_byte* row = pixels.data() + static_cast<size_t>(y) * width * 3;
    rows[static_cast<size_t>(y)] = row;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<png_byte>(source[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(source[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(source[x]);
    }
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot write " + path;
    return false;
  }
  if (!WriteRows(file.get(), width, height, rows.data())) {
    error = "libpng failed to write " + path;
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = "cannot finish " + path;
    return false;
  }
  return true;
}

}  // namespace snapshot
