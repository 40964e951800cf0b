// Pixel operations on raster bitmaps. Each call picks one row loop: the plain per-pixel formula of
// pixel_blend.h, or a named fast path for the common exact cases.
#include "raster/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

namespace {

bool HasBits(RasterBitmap* bitmap) {
  return bitmap != nullptr && bitmap->GetBits() != nullptr && bitmap->GetWidth() > 0 &&
         bitmap->GetHeight() > 0 && bitmap->GetRowSpan() > 0;
}

uint32_t* RowAt(RasterBitmap* bitmap, int32_t y) {
  const int32_t row = bitmap->IsBottomUp() ? bitmap->GetHeight() - 1 - y : y;
  return bitmap->GetBits() + static_cast<ptrdiff_t>(row) * bitmap->GetRowSpan();
}

using BlitRowFunction = void (*)(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u,
                                 int32_t mode);
using FillRowFunction = void (*)(uint32_t* dest, uint32_t colour, int32_t count, int32_t u,
                                 int32_t mode);

// The general blit row: the reference formula pixel by pixel.
void BlitRowReference(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u, int32_t mode) {
  for (int32_t i = 0; i < count; ++i) dest[i] = pixel_blend::BlitPixel(dest[i], src[i], u, mode);
}

// Mode 0 at weight 1.0. memmove, since a bitmap may be blitted onto itself.
void CopyRow(uint32_t* dest, const uint32_t* src, int32_t count, int32_t, int32_t) {
  std::memmove(dest, src, static_cast<size_t>(count) * sizeof(uint32_t));
}

// Mode 0 at weight exactly 0.5: the halves of both words, low bits dropped.
void HalfRow(uint32_t* dest, const uint32_t* src, int32_t count, int32_t, int32_t) {
  for (int32_t i = 0; i < count; ++i) dest[i] = pixel_blend::HalfWord(dest[i], src[i]);
}

// Source alpha over the destination, the same arithmetic as pixel_blend::Over but without
// branches so that the compiler can run several pixels at once: the truncating division becomes
// a shift with a sign correction, and a transparent source selects the old word.
void SourceAlphaRow(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u, int32_t) {
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t s = src[i];
    const uint32_t d = dest[i];
    const int32_t alpha = static_cast<int32_t>(s >> 24);
    const int32_t m = 256 - (((alpha + 1) * u) >> 8);
    uint32_t blended = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int32_t sc = static_cast<int32_t>(s >> shift & 0xFF);
      const int32_t dc = static_cast<int32_t>(d >> shift & 0xFF);
      const int32_t product = (dc - sc) * m;
      const int32_t c = sc + ((product + ((product >> 31) & 0xFF)) >> 8);
      blended |= static_cast<uint32_t>(c) << shift;
    }
    dest[i] = alpha == 0 ? d : blended;
  }
}

BlitRowFunction ChooseBlitRow(float weight, int32_t u, int32_t mode) {
  const bool plainCopy = BlendOperation(mode) == 0 && !HasSourceAlpha(mode);
  if (plainCopy && u == 256) return CopyRow;
  if (plainCopy && weight == 0.5f) return HalfRow;
  if (HasSourceAlpha(mode) && BlendOperation(mode) == 0) return SourceAlphaRow;
  return BlitRowReference;
}

void FillRowReference(uint32_t* dest, uint32_t colour, int32_t count, int32_t u, int32_t mode) {
  for (int32_t i = 0; i < count; ++i) dest[i] = pixel_blend::FillPixel(dest[i], colour, u, mode);
}

void FillSolidRow(uint32_t* dest, uint32_t colour, int32_t count, int32_t, int32_t) {
  std::fill_n(dest, count, colour);
}

// The quarter steps 192, 128 and 64 as shift-and-mask arithmetic on the whole word.
void FillQuarterRow(uint32_t* dest, uint32_t colour, int32_t count, int32_t u, int32_t) {
  switch (u) {
    case 192: {
      const uint32_t part = (colour >> 1 & 0x7F7F7F7Fu) + (colour >> 2 & 0x3F3F3F3Fu);
      for (int32_t i = 0; i < count; ++i) dest[i] = part + (dest[i] >> 2 & 0x3F3F3F3Fu);
      break;
    }
    case 128: {
      const uint32_t part = colour >> 1 & 0x7F7F7F7Fu;
      for (int32_t i = 0; i < count; ++i) dest[i] = part + (dest[i] >> 1 & 0x7F7F7F7Fu);
      break;
    }
    default: {
      const uint32_t part = colour >> 2 & 0x3F3F3F3Fu;
      for (int32_t i = 0; i < count; ++i) {
        dest[i] = part + (dest[i] >> 2 & 0x3F3F3F3Fu) + (dest[i] >> 1 & 0x7F7F7F7Fu);
      }
      break;
    }
  }
}

FillRowFunction ChooseFillRow(int32_t u, int32_t mode) {
  if (BlendOperation(mode) == 0 && u == 256) return FillSolidRow;
  if (BlendOperation(mode) == 0 && pixel_blend::IsQuarterStep(u)) return FillQuarterRow;
  return FillRowReference;
}

// The weight of a fill or single pixel after the source-alpha scaling, in 1/256 steps.
int32_t FillWeight(float weight, uint32_t colour, int32_t mode, bool useColourAlpha) {
  if (useColourAlpha && HasSourceAlpha(mode)) {
    weight = weight * (static_cast<float>(colour >> 24) / 255.0f);
  }
  return ScaledWeight(weight);
}

}  // namespace

void Blit(RasterBitmap* dest, RasterBitmap* src, int32_t dstX, int32_t dstY,
          const RasterRect* srcRect, float weight, int32_t mode) {
  if (!HasBits(dest) || !HasBits(src)) return;
  const int32_t u = ScaledWeight(weight);
  if (u == 0) return;

  // 64-bit arithmetic: rectangles and positions come from callers and may be anywhere.
  int64_t startX = 0;
  int64_t startY = 0;
  int64_t endX = src->GetWidth();
  int64_t endY = src->GetHeight();
  int64_t x = dstX;
  int64_t y = dstY;
  if (srcRect != nullptr) {
    startX = std::max<int64_t>(srcRect->left, 0);
    startY = std::max<int64_t>(srcRect->top, 0);
    endX = std::min<int64_t>(srcRect->right, endX);
    endY = std::min<int64_t>(srcRect->bottom, endY);
    if (srcRect->left < 0) x -= srcRect->left;
    if (srcRect->top < 0) y -= srcRect->top;
  }
  if (x < 0) {
    startX -= x;
    x = 0;
  }
  if (y < 0) {
    startY -= y;
    y = 0;
  }
  if (x + (endX - startX) > dest->GetWidth()) endX = dest->GetWidth() + startX - x;
  if (y + (endY - startY) > dest->GetHeight()) endY = dest->GetHeight() + startY - y;
  if (startX >= endX || startY >= endY) return;

  const auto cols = static_cast<int32_t>(endX - startX);
  const auto rows = static_cast<int32_t>(endY - startY);
  const BlitRowFunction row = ChooseBlitRow(weight, u, mode);
  for (int32_t r = 0; r < rows; ++r) {
    uint32_t* d = RowAt(dest, static_cast<int32_t>(y) + r) + x;
    const uint32_t* s = RowAt(src, static_cast<int32_t>(startY) + r) + startX;
    row(d, s, cols, u, mode);
  }
}

void BlitRect(RasterBitmap* dest, RasterBitmap* src, int32_t dstX, int32_t dstY, int32_t srcX,
              int32_t srcY, int32_t srcW, int32_t srcH, float weight, int32_t mode) {
  const auto clampedEnd = [](int32_t start, int32_t size) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{start} + size,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
  };
  const RasterRect rect{srcX, srcY, clampedEnd(srcX, srcW), clampedEnd(srcY, srcH)};
  Blit(dest, src, dstX, dstY, &rect, weight, mode);
}

void CopyBitmap(RasterBitmap* dest, RasterBitmap* src) {
  if (dest == nullptr || src == nullptr) return;
  dest->Resize(src->GetWidth(), src->GetHeight());
  Blit(dest, src, 0, 0, nullptr, 1.0f, kBlendCopy);
}

void FillRect(RasterBitmap* dest, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
              float weight, int32_t mode) {
  if (!HasBits(dest)) return;
  const int32_t u = FillWeight(weight, colour, mode, true);
  if (u == 0) return;

  int64_t left = x;
  int64_t top = y;
  int64_t width = w;
  int64_t height = h;
  if (left < 0) {
    width += left;
    left = 0;
  }
  if (top < 0) {
    height += top;
    top = 0;
  }
  width = std::min<int64_t>(width, dest->GetWidth() - left);
  height = std::min<int64_t>(height, dest->GetHeight() - top);
  if (width <= 0 || height <= 0) return;

  const FillRowFunction row = ChooseFillRow(u, mode);
  for (int64_t r = 0; r < height; ++r) {
    row(RowAt(dest, static_cast<int32_t>(top + r)) + left, colour, static_cast<int32_t>(width), u,
        mode);
  }
}

uint32_t GetPixel(RasterBitmap* bitmap, int32_t x, int32_t y) {
  if (!HasBits(bitmap)) return 0;
  if (x < 0 || y < 0 || x >= bitmap->GetWidth() || y >= bitmap->GetHeight()) return 0;
  return RowAt(bitmap, y)[x];
}

void PutPixel(RasterBitmap* bitmap, int32_t x, int32_t y, uint32_t colour, float weight,
              int32_t mode) {
  if (!HasBits(bitmap)) return;
  if (x < 0 || y < 0 || x >= bitmap->GetWidth() || y >= bitmap->GetHeight()) return;
  const int32_t u = FillWeight(weight, colour, mode, false);
  if (u == 0) return;
  uint32_t& pixel = RowAt(bitmap, y)[x];
  pixel = pixel_blend::IsQuarterStep(u) && BlendOperation(mode) == 0
              ? pixel_blend::QuarterFillWord(pixel, colour, u)
              : pixel_blend::FillPixel(pixel, colour, u, mode);
}
