// Writing 32-bit images as 8-bit RGBA PNG files.
#include "tools/skin/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct WriteState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> row;
  ~WriteState() { png_destroy_write_struct(&png, &info); }
};

// Every libpng call that may fail; no destructors between here and a long jump.
bool WriteRows(WriteState& state, std::FILE* file, int width, int height,
               const std::vector<uint32_t>& pixels) {
  if (setjmp(png_jmpbuf(state.png)) != 0) return false;
  png_init_io(state.png, file);
  png_set_IHDR(state.png, state.info, static_cast<png_uint_32>(width),
               static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(state.png, 9);
  png_write_info(state.png, state.info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t word = pixels[static_cast<size_t>(y) * width + x];
      uint8_t* p = &state.row[static_cast<size_t>(x) * 4];
      p[0] = static_cast<uint8_t>(word >> 16);
      p[1] = static_cast<uint8_t>(word >> 8);
      p[2] = static_cast<uint8_t>(word);
      p[3] = static_cast<uint8_t>(word >> 24);
    }
    png_write_row(state.png, state.row.data());
  }
  png_write_end(state.png, nullptr);
  return true;
}

}  // namespace

bool WriteRgbaPng(const std::string& path, int width, int height,
                  const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) {
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  WriteState state;
  state.row.resize(static_cast<size_t>(width) * 4);
  state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (state.png == nullptr) return false;
  state.info = png_create_info_struct(state.png);
  if (state.info == nullptr) return false;
  if (!WriteRows(state, file.get(), width, height, pixels)) return false;
  return std::fflush(file.get()) == 0;
}
