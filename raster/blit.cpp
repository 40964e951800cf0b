// Pixel operations on raster bitmaps. Each call picks one area loop: the plain per-pixel formula
// of pixel_blend.h, or a named fast path for the common exact cases.
#include "raster/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One bitmap's geometry, read through its virtual getters once per call so that neither the
// checks nor the row loops pay for them again.
struct Surface {
  uint32_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  ptrdiff_t span = 0;
  bool bottomUp = false;

  // Words from one row to the next down the picture: negative for a bottom-up bitmap.
  ptrdiff_t Step() const { return bottomUp ? -span : span; }
  uint32_t* Row(int32_t y) const { return bits + (bottomUp ? height - 1 - y : y) * span; }
};

// False for a null bitmap or one without pixels.
bool Describe(RasterBitmap* bitmap, Surface& surface) {
  if (bitmap == nullptr) return false;
  surface.bits = bitmap->GetBits();
  surface.width = bitmap->GetWidth();
  surface.height = bitmap->GetHeight();
  surface.span = bitmap->GetRowSpan();
  surface.bottomUp = bitmap->IsBottomUp();
  return surface.bits != nullptr && surface.width > 0 && surface.height > 0 && surface.span > 0;
}

using BlitRowFunction = void (*)(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u,
                                 int32_t mode);
using FillRowFunction = void (*)(uint32_t* dest, uint32_t colour, int32_t count, int32_t u,
                                 int32_t mode);

// A whole clipped area: the row pointers advance by the given steps (in words).
using BlitAreaFunction = void (*)(uint32_t* dest, ptrdiff_t destStep, const uint32_t* src,
                                  ptrdiff_t srcStep, int32_t cols, int32_t rows, int32_t u,
                                  int32_t mode);
using FillAreaFunction = void (*)(uint32_t* dest, ptrdiff_t step, uint32_t colour, int32_t cols,
                                  int32_t rows, int32_t u, int32_t mode);

// Walks the rows with the row loop compiled in, so small areas pay no indirect call per row.
template <BlitRowFunction Row>
void BlitRows(uint32_t* dest, ptrdiff_t destStep, const uint32_t* src, ptrdiff_t srcStep,
              int32_t cols, int32_t rows, int32_t u, int32_t mode) {
  for (int32_t r = 0; r < rows; ++r, dest += destStep, src += srcStep)
    Row(dest, src, cols, u, mode);
}

template <FillRowFunction Row>
void FillRows(uint32_t* dest, ptrdiff_t step, uint32_t colour, int32_t cols, int32_t rows,
              int32_t u, int32_t mode) {
  for (int32_t r = 0; r < rows; ++r, dest += step) Row(dest, colour, cols, u, mode);
}

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

#if defined(__SSE2__)
// Two pixels in 16-bit lanes. (d − s) × m ÷ 256 truncated toward zero is computed as
// ((d −sat s) × m >> 8) − ((s −sat d) × m >> 8): each product is at most 255 × 256, so it fits an
// unsigned 16-bit lane exactly.
inline __m128i BlendHalf(__m128i d16, __m128i s16, __m128i m16) {
  const __m128i up = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(d16, s16), m16), 8);
  const __m128i down = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s16, d16), m16), 8);
  return _mm_sub_epi16(_mm_add_epi16(s16, up), down);
}

// m = 256 − (A + 1) × u ÷ 256 in every lane of two pixels held in 16-bit lanes. With uTwice = 2u
// the product (A + 1) × 128 × 2u ÷ 65536 is exact for every A and every u up to 256.
inline __m128i SourceAlphaFactor(__m128i s16, __m128i uTwice) {
  const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
  const __m128i alphaPlusOne = _mm_add_epi16(_mm_slli_epi16(alpha, 7), _mm_set1_epi16(128));
  return _mm_sub_epi16(_mm_set1_epi16(256), _mm_mulhi_epu16(alphaPlusOne, uTwice));
}

// Four pixels (or fewer in the low lanes) over d with the factors of pixels 0–1 in mLo and 2–3 in
// mHi.
inline __m128i BlendFour(__m128i d, __m128i s, __m128i mLo, __m128i mHi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = BlendHalf(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), mLo);
  const __m128i hi = BlendHalf(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), mHi);
  return _mm_packus_epi16(lo, hi);
}

// Four pixels of source alpha over d, each with its own factor; where transparent is set (all
// bits of a pixel's lane) d is kept.
inline __m128i SourceAlphaFour(__m128i d, __m128i s, __m128i uTwice, __m128i transparent) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i mLo = SourceAlphaFactor(_mm_unpacklo_epi8(s, zero), uTwice);
  const __m128i mHi = SourceAlphaFactor(_mm_unpackhi_epi8(s, zero), uTwice);
  const __m128i blended = BlendFour(d, s, mLo, mHi);
  return _mm_or_si128(_mm_and_si128(transparent, d), _mm_andnot_si128(transparent, blended));
}

// One or two pixels in the low lanes, as in SourceAlphaFour; only the low eight bytes are meant.
inline __m128i SourceAlphaTwo(__m128i d, __m128i s, __m128i uTwice) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i s16 = _mm_unpacklo_epi8(s, zero);
  const __m128i blended16 =
      BlendHalf(_mm_unpacklo_epi8(d, zero), s16, SourceAlphaFactor(s16, uTwice));
  const __m128i blended = _mm_packus_epi16(blended16, blended16);
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m128i transparent = _mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), zero);
  return _mm_or_si128(_mm_and_si128(transparent, d), _mm_andnot_si128(transparent, blended));
}

// Source alpha over the destination, four pixels at a time. Wholly transparent groups are
// skipped; wholly opaque ones share the factor 256 − u, which at full weight is a plain copy. Skin
// images are mostly long runs of either, so sixteen pixels are asked first, in one test each. The
// last one to three pixels go through the same arithmetic in 64- and 32-bit loads, so no pixel is
// read after it was written.
template <bool kFullWeight>
void SourceAlphaArea(uint32_t* dest, ptrdiff_t destStep, const uint32_t* src, ptrdiff_t srcStep,
                     int32_t cols, int32_t rows, int32_t u, int32_t) {
  const __m128i uTwice = _mm_set1_epi16(static_cast<int16_t>(2 * u));
  const __m128i opaqueFactor = _mm_set1_epi16(static_cast<int16_t>(256 - u));
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  const int32_t whole = cols & ~3;
  const auto allLanes = [](__m128i lanes) { return _mm_movemask_epi8(lanes) == 0xFFFF; };
  for (int32_t r = 0; r < rows; ++r, dest += destStep, src += srcStep) {
    const auto group = [&](int32_t i) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i alphaBits = _mm_and_si128(s, alphaMask);
      const __m128i transparent = _mm_cmpeq_epi32(alphaBits, zero);
      if (allLanes(transparent)) return;
      auto* out = reinterpret_cast<__m128i*>(dest + i);
      if (allLanes(_mm_cmpeq_epi32(alphaBits, alphaMask))) {
        _mm_storeu_si128(
            out, kFullWeight ? s : BlendFour(_mm_loadu_si128(out), s, opaqueFactor, opaqueFactor));
        return;
      }
      _mm_storeu_si128(out, SourceAlphaFour(_mm_loadu_si128(out), s, uTwice, transparent));
    };
    int32_t i = 0;
    for (; i + 16 <= whole; i += 16) {
      const auto* in = reinterpret_cast<const __m128i*>(src + i);
      const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1);
      const __m128i c = _mm_loadu_si128(in + 2), d = _mm_loadu_si128(in + 3);
      const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
      if (allLanes(_mm_cmpeq_epi32(_mm_and_si128(any, alphaMask), zero))) continue;
      const __m128i all = _mm_and_si128(_mm_and_si128(a, b), _mm_and_si128(c, d));
      if (kFullWeight && allLanes(_mm_cmpeq_epi32(_mm_and_si128(all, alphaMask), alphaMask))) {
        auto* out = reinterpret_cast<__m128i*>(dest + i);
        _mm_storeu_si128(out, a);
        _mm_storeu_si128(out + 1, b);
        _mm_storeu_si128(out + 2, c);
        _mm_storeu_si128(out + 3, d);
        continue;
      }
      for (int32_t k = 0; k < 16; k += 4) group(i + k);
    }
    for (; i < whole; i += 4) group(i);
    if ((cols & 2) != 0) {
      const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i));
      auto* out = reinterpret_cast<__m128i*>(dest + i);
      _mm_storel_epi64(out, SourceAlphaTwo(_mm_loadl_epi64(out), s, uTwice));
      i += 2;
    }
    if ((cols & 1) != 0) {
      const __m128i s = _mm_cvtsi32_si128(static_cast<int32_t>(src[i]));
      const __m128i d = _mm_cvtsi32_si128(static_cast<int32_t>(dest[i]));
      dest[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(SourceAlphaTwo(d, s, uTwice)));
    }
  }
}
#else
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

void SourceAlphaRow(uint32_t* dest, const uint32_t* src, int32_t count, int32_t u, int32_t) {
  for (int32_t i = 0; i < count; ++i) dest[i] = SourceAlphaPixel(dest[i], src[i], u);
}
#endif

BlitAreaFunction ChooseBlitArea(float weight, int32_t u, int32_t mode) {
  const bool plainCopy = BlendOperation(mode) == 0 && !HasSourceAlpha(mode);
  if (plainCopy && u == 256) return BlitRows<CopyRow>;
  if (plainCopy && weight == 0.5f) return BlitRows<HalfRow>;
  if (HasSourceAlpha(mode) && BlendOperation(mode) == 0) {
#if defined(__SSE2__)
    return u == 256 ? SourceAlphaArea<true> : SourceAlphaArea<false>;
#else
    return BlitRows<SourceAlphaRow>;
#endif
  }
  return BlitRows<BlitRowReference>;
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

// Adding a fixed colour adds the same c × u ÷ 256 to every pixel's channel: one saturating byte
// add per channel, exactly the reference's clamp.
uint32_t AddedChannels(uint32_t colour, int32_t u) {
  uint32_t added = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    added |= static_cast<uint32_t>(pixel_blend::Channel(colour, shift) * u / 256) << shift;
  }
  return added;
}

#if defined(__SSE2__)
// The blend fill is source-over with the fixed factor m = 256 − u for all four channels, so the
// blit's exact 16-bit arithmetic serves it unchanged.
void FillBlendArea(uint32_t* dest, ptrdiff_t step, uint32_t colour, int32_t cols, int32_t rows,
                   int32_t u, int32_t) {
  const __m128i c = _mm_set1_epi32(static_cast<int32_t>(colour));
  const __m128i m16 = _mm_set1_epi16(static_cast<int16_t>(256 - u));
  const auto blend = [&](__m128i d) { return BlendFour(d, c, m16, m16); };
  const int32_t whole = cols & ~3;
  for (int32_t r = 0; r < rows; ++r, dest += step) {
    for (int32_t i = 0; i < whole; i += 4) {
      auto* out = reinterpret_cast<__m128i*>(dest + i);
      _mm_storeu_si128(out, blend(_mm_loadu_si128(out)));
    }
    int32_t i = whole;
    if ((cols & 2) != 0) {
      auto* out = reinterpret_cast<__m128i*>(dest + i);
      _mm_storel_epi64(out, blend(_mm_loadl_epi64(out)));
      i += 2;
    }
    if ((cols & 1) != 0) {
      const __m128i d = _mm_cvtsi32_si128(static_cast<int32_t>(dest[i]));
      dest[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(blend(d)));
    }
  }
}

void FillAddArea(uint32_t* dest, ptrdiff_t step, uint32_t colour, int32_t cols, int32_t rows,
                 int32_t u, int32_t) {
  const uint32_t addedWord = AddedChannels(colour, u);
  const __m128i added = _mm_set1_epi32(static_cast<int32_t>(addedWord));
  const int32_t whole = cols & ~3;
  for (int32_t r = 0; r < rows; ++r, dest += step) {
    for (int32_t i = 0; i < whole; i += 4) {
      auto* out = reinterpret_cast<__m128i*>(dest + i);
      _mm_storeu_si128(out, _mm_adds_epu8(_mm_loadu_si128(out), added));
    }
    for (int32_t i = whole; i < cols; ++i) {
      const __m128i d = _mm_cvtsi32_si128(static_cast<int32_t>(dest[i]));
      dest[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(d, added)));
    }
  }
}
#else
// Without SSE2 the blend fill keeps the reference formula; the add fill still saves the
// per-pixel multiplications.
void FillAddRow(uint32_t* dest, uint32_t colour, int32_t count, int32_t u, int32_t) {
  const uint32_t added = AddedChannels(colour, u);
  for (int32_t i = 0; i < count; ++i) {
    uint32_t sum = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int32_t c = pixel_blend::Channel(dest[i], shift) + pixel_blend::Channel(added, shift);
      sum |= static_cast<uint32_t>(std::min(c, 255)) << shift;
    }
    dest[i] = sum;
  }
}
#endif

FillAreaFunction ChooseFillArea(int32_t u, int32_t mode) {
  const int32_t operation = BlendOperation(mode);
  if (operation == 0 && u == 256) return FillRows<FillSolidRow>;
  if (operation == 0 && pixel_blend::IsQuarterStep(u)) return FillRows<FillQuarterRow>;
#if defined(__SSE2__)
  if (operation == 0) return FillBlendArea;
  if (operation == 1) return FillAddArea;
#else
  if (operation == 1) return FillRows<FillAddRow>;
#endif
  return FillRows<FillRowReference>;
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
  Surface to;
  Surface from;
  if (!Describe(dest, to) || !Describe(src, from)) return;
  const int32_t u = ScaledWeight(weight);
  if (u == 0) return;

  // 64-bit arithmetic: rectangles and positions come from callers and may be anywhere.
  int64_t startX = 0;
  int64_t startY = 0;
  int64_t endX = from.width;
  int64_t endY = from.height;
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
  if (x + (endX - startX) > to.width) endX = to.width + startX - x;
  if (y + (endY - startY) > to.height) endY = to.height + startY - y;
  if (startX >= endX || startY >= endY) return;

  const auto cols = static_cast<int32_t>(endX - startX);
  const auto rows = static_cast<int32_t>(endY - startY);
  ChooseBlitArea(weight, u, mode)(to.Row(static_cast<int32_t>(y)) + x, to.Step(),
                                  from.Row(static_cast<int32_t>(startY)) + startX, from.Step(),
                                  cols, rows, u, mode);
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
  Surface to;
  if (!Describe(dest, to)) return;
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
  width = std::min<int64_t>(width, to.width - left);
  height = std::min<int64_t>(height, to.height - top);
  if (width <= 0 || height <= 0) return;

  ChooseFillArea(u, mode)(to.Row(static_cast<int32_t>(top)) + left, to.Step(), colour,
                          static_cast<int32_t>(width), static_cast<int32_t>(height), u, mode);
}

uint32_t GetPixel(RasterBitmap* bitmap, int32_t x, int32_t y) {
  Surface surface;
  if (!Describe(bitmap, surface)) return 0;
  if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
  return surface.Row(y)[x];
}

void PutPixel(RasterBitmap* bitmap, int32_t x, int32_t y, uint32_t colour, float weight,
              int32_t mode) {
  Surface surface;
  if (!Describe(bitmap, surface)) return;
  if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return;
  const int32_t u = FillWeight(weight, colour, mode, false);
  if (u == 0) return;
  uint32_t& pixel = surface.Row(y)[x];
  pixel = pixel_blend::IsQuarterStep(u) && BlendOperation(mode) == 0
              ? pixel_blend::QuarterFillWord(pixel, colour, u)
              : pixel_blend::FillPixel(pixel, colour, u, mode);
}
