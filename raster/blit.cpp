// Pixel operations on raster bitmaps. Each call picks one row loop: the plain per-pixel formula of
// pixel_blend.h, or a named fast path for the common exact cases.
#include "raster/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool HasBits(RasterBitmap* bitmap) {
  return bitmap != nullptr && bitmap->GetBits() != nullptr && bitmap->GetWidth() > 0 &&
         bitmap->GetHeight() > 0 && bitmap->GetRowSpan() > 0;
}

uint32_t* RowAt(RasterBitmap* bitmap, int32_t y) {
  const int32_t row = bitmap->IsBottomUp() ? bitmap->GetHeight() - 1 - y : y;
  return bitmap->GetBits() + static_cast<ptrdiff_t>(row) * bitmap->GetRowSpan();
}

// Words from one row to the next down the picture: negative for a bottom-up bitmap.
ptrdiff_t RowStep(RasterBitmap* bitmap) {
  const ptrdiff_t span = bitmap->GetRowSpan();
  return bitmap->IsBottomUp() ? -span : span;
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

// Source alpha over the destination for one pixel, the same arithmetic as pixel_blend::Over
// with the truncating division written as a shift with a sign correction.
inline uint32_t SourceAlphaPixel(uint32_t d, uint32_t s, int32_t u) {
  const int32_t alpha = static_cast<int32_t>(s >> 24);
  if (alpha == 0) return d;
  const int32_t m = 256 - (((alpha + 1) * u) >> 8);
  uint32_t blended = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int32_t sc = static_cast<int32_t>(s >> shift & 0xFF);
    const int32_t dc = static_cast<int32_t>(d >> shift & 0xFF);
    const int32_t product = (dc - sc) * m;
    blended |= static_cast<uint32_t>(sc + ((product + ((product >> 31) & 0xFF)) >> 8)) << shift;
  }
  return blended;
}

#if defined(__SSE2__)
// Four pixels at once in 16-bit lanes. (d − s) × m ÷ 256 truncated toward zero is computed as
// ((d −sat s) × m >> 8) − ((s −sat d) × m >> 8): each product is at most 255 × 256, so it fits an
// unsigned 16-bit lane exactly. For u < 256, (A + 1) × u stays below 65536 as well; at u = 256,
// m is simply 255 − A.
inline __m128i BlendHalf(__m128i d16, __m128i s16, __m128i m16) {
  const __m128i up = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(d16, s16), m16), 8);
  const __m128i down = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s16, d16), m16), 8);
  return _mm_sub_epi16(_mm_add_epi16(s16, up), down);
}

// m = 256 − (A + 1) × u ÷ 256 for each of four pixels, in the low half of its 32-bit lane.
inline __m128i SourceAlphaFactor(__m128i alpha, int32_t u) {
  if (u == 256) return _mm_sub_epi32(_mm_set1_epi32(255), alpha);
  const __m128i product =
      _mm_mullo_epi16(_mm_add_epi32(alpha, _mm_set1_epi32(1)), _mm_set1_epi32(u));
  return _mm_sub_epi32(_mm_set1_epi32(256), _mm_srli_epi32(product, 8));
}

// Blends four pixels with their factors m (one per 32-bit lane); transparent sources keep d.
inline __m128i SourceAlphaFour(__m128i d, __m128i s, __m128i m, __m128i transparent) {
  // m for pixels 0 and 1 in the low register, 2 and 3 in the high one, once per channel.
  const __m128i m01 = _mm_unpacklo_epi32(m, m);
  const __m128i m23 = _mm_unpackhi_epi32(m, m);
  const __m128i mLo = _mm_or_si128(m01, _mm_slli_epi32(m01, 16));
  const __m128i mHi = _mm_or_si128(m23, _mm_slli_epi32(m23, 16));
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = BlendHalf(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), mLo);
  const __m128i hi = BlendHalf(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), mHi);
  const __m128i blended = _mm_packus_epi16(lo, hi);
  return _mm_or_si128(_mm_and_si128(transparent, d), _mm_andnot_si128(transparent, blended));
}

// One group of four: wholly transparent groups are skipped, wholly opaque ones copied at full
// weight or blended with the one factor 256 − u that all their pixels share.
inline void SourceAlphaGroup(uint32_t* dest, const uint32_t* src, int32_t u) {
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i alphaBits = _mm_and_si128(s, alphaMask);
  const __m128i transparent = _mm_cmpeq_epi32(alphaBits, _mm_setzero_si128());
  if (_mm_movemask_epi8(transparent) == 0xFFFF) return;
  auto* out = reinterpret_cast<__m128i*>(dest);
  const bool opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alphaBits, alphaMask)) == 0xFFFF;
  if (opaque && u == 256) {
    _mm_storeu_si128(out, s);
    return;
  }
  const __m128i m = opaque ? _mm_set1_epi32(256 - u) : SourceAlphaFactor(_mm_srli_epi32(s, 24), u);
  _mm_storeu_si128(out, SourceAlphaFour(_mm_loadu_si128(out), s, m, transparent));
}
#endif

// Source alpha over the destination, four pixels at a time where the processor allows. A row
// whose length is not a multiple of four ends with a group that overlaps the one before; its
// result is computed from the untouched destination first and stored last, so no pixel is
// blended twice.
void SourceAlphaRow(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u, int32_t) {
#if defined(__SSE2__)
  if (count < 4) {
    for (int32_t i = 0; i < count; ++i) dest[i] = SourceAlphaPixel(dest[i], src[i], u);
    return;
  }
  const int32_t whole = count & ~3;
  uint32_t last[4];
  if (whole != count) {
    std::memcpy(last, dest + count - 4, sizeof(last));
    SourceAlphaGroup(last, src + count - 4, u);
  }
  for (int32_t i = 0; i < whole; i += 4) SourceAlphaGroup(dest + i, src + i, u);
  if (whole != count) std::memcpy(dest + count - 4, last, sizeof(last));
#else
  for (int32_t i = 0; i < count; ++i) dest[i] = SourceAlphaPixel(dest[i], src[i], u);
#endif
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
  uint32_t* d = RowAt(dest, static_cast<int32_t>(y)) + x;
  const uint32_t* s = RowAt(src, static_cast<int32_t>(startY)) + startX;
  const ptrdiff_t destStep = RowStep(dest);
  const ptrdiff_t srcStep = RowStep(src);
  for (int32_t r = 0; r < rows; ++r, d += destStep, s += srcStep) row(d, s, cols, u, mode);
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
  uint32_t* d = RowAt(dest, static_cast<int32_t>(top)) + left;
  const ptrdiff_t step = RowStep(dest);
  for (int64_t r = 0; r < height; ++r, d += step)
    row(d, colour, static_cast<int32_t>(width), u, mode);
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
