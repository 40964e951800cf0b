// Decoding PNG skin images with libpng into 32-bit bitmaps.
#include "raster/png_loader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "raster/memory_bitmap.h"
#include "raster/resource_lookup.h"

namespace {

constexpr size_t kSignatureSize = 8;
// Far above any skin image, low enough that a forged header cannot ask for gigabytes.
constexpr png_uint_32 kMaxSide = 1u << 16;
constexpr uint64_t kMaxPixels = uint64_t{1} << 25;
// Deflate expands its input at most 1032-fold, so data shorter than the image's filtered rows
// divided by this cannot hold the image.
constexpr uint64_t kMaxInflateRatio = 1032;

// Everything one decode owns. It lives outside the function that arms libpng's error return, so
// that a long jump out of libpng skips no destructor and finds every field in memory.
struct PngDecode {
  const uint8_t* next = nullptr;  // next unread byte
  size_t left = 0;                // bytes not yet read
  png_structp png = nullptr;
  png_infop info = nullptr;
  RasterBitmap* target = nullptr;
  std::unique_ptr<MemoryBitmap> created;
  std::vector<png_bytep> rows;
  RasterBitmap* bitmap = nullptr;
  png_uint_32 width = 0;
  png_uint_32 height = 0;

  ~PngDecode() { png_destroy_read_struct(&png, &info, nullptr); }
};

// A request past the end gets zeros for the missing bytes; libpng's checks reject them.
void ReadFromMemory(png_structp png, png_bytep buffer, size_t count) {
  auto* decode = static_cast<PngDecode*>(png_get_io_ptr(png));
  std::memset(buffer, 0, count);
  const size_t taken = count < decode->left ? count : decode->left;
  if (taken > 0) std::memcpy(buffer, decode->next, taken);
  decode->next += taken;
  decode->left -= taken;
}

// A plug-in has no console: libpng's messages are dropped and its errors only unwind.
void SilentError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void SilentWarning(png_structp, png_const_charp) {}

// Asks libpng to deliver every pixel as the bytes alpha, red, green, blue.
void RequestArgbBytes(png_structp png, png_infop info, int colourType, int bitDepth) {
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
  if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if (hasAlpha) png_set_swap_alpha(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

RasterBitmap* PrepareBitmap(PngDecode& decode) {
  const auto width = static_cast<int32_t>(decode.width);
  const auto height = static_cast<int32_t>(decode.height);
  RasterBitmap* bitmap = decode.target;
  if (bitmap != nullptr) {
    bitmap->Resize(width, height);
  } else {
    decode.created = std::make_unique<MemoryBitmap>(width, height, 4);
    bitmap = decode.created.get();
  }
  if (bitmap->GetWidth() != width || bitmap->GetHeight() != height ||
      bitmap->GetBits() == nullptr || bitmap->GetRowSpan() < width) {
    return nullptr;
  }
  decode.rows.resize(decode.height);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t row = bitmap->IsBottomUp() ? height - 1 - y : y;
    decode.rows[static_cast<size_t>(y)] = reinterpret_cast<png_bytep>(
        bitmap->GetBits() + static_cast<ptrdiff_t>(row) * bitmap->GetRowSpan());
  }
  return bitmap;
}

// All libpng calls that may fail. Holds no object with a destructor: a decoding error jumps back
// to the setjmp below.
bool DecodeRows(PngDecode& decode) {
  if (setjmp(png_jmpbuf(decode.png)) != 0) return false;

  png_set_read_fn(decode.png, &decode, ReadFromMemory);
  png_set_user_limits(decode.png, kMaxSide, kMaxSide);
  png_read_info(decode.png, decode.info);

  int bitDepth = 0;
  int colourType = 0;
  png_get_IHDR(decode.png, decode.info, &decode.width, &decode.height, &bitDepth, &colourType,
               nullptr, nullptr, nullptr);
  if (uint64_t{decode.width} * decode.height > kMaxPixels) return false;
  // A forged header must not cost an image-sized allocation before its data runs out: the rows
  // as stored (one filter byte each; interlacing only adds to them) must fit what is left.
  const uint64_t storedBytes =
      uint64_t{decode.height} * (uint64_t{png_get_rowbytes(decode.png, decode.info)} + 1);
  if (storedBytes / kMaxInflateRatio > decode.left) return false;

  RequestArgbBytes(decode.png, decode.info, colourType, bitDepth);
  if (png_get_rowbytes(decode.png, decode.info) != size_t{decode.width} * 4) return false;

  decode.bitmap = PrepareBitmap(decode);
  if (decode.bitmap == nullptr) return false;
  png_read_image(decode.png, decode.rows.data());
  return true;
}

// Bytes alpha, red, green, blue become the word 0xAARRGGBB.
void ArgbBytesToWords(RasterBitmap& bitmap, const std::vector<png_bytep>& rows) {
  const auto width = static_cast<size_t>(bitmap.GetWidth());
  for (png_bytep row : rows) {
    auto* words = reinterpret_cast<uint32_t*>(row);
    for (size_t x = 0; x < width; ++x) {
      const png_bytep p = row + x * 4;
      words[x] = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
    }
  }
}

}  // namespace

RasterBitmap* LoadPngFromMemory(const void* data, size_t size, RasterBitmap* target) {
  if (data == nullptr || size < kSignatureSize) return nullptr;
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, kSignatureSize) != 0) return nullptr;

  PngDecode decode;
  decode.next = static_cast<const uint8_t*>(data);
  decode.left = size;
  decode.target = target;
  decode.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (decode.png == nullptr) return nullptr;
  decode.info = png_create_info_struct(decode.png);
  if (decode.info == nullptr) return nullptr;

  if (!DecodeRows(decode)) return nullptr;
  ArgbBytesToWords(*decode.bitmap, decode.rows);
  if (decode.created != nullptr) return decode.created.release();
  return decode.bitmap;
}

RasterBitmap* LoadPngFromResource(void* module, int32_t id, RasterBitmap* target) {
  const ResourceBytes resource = FindEmbeddedResource(module, id, "PNG");
  if (resource.data == nullptr || resource.size <= 7) return nullptr;
  return LoadPngFromMemory(resource.data, resource.size, target);
}
