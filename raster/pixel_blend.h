// The compositing modes and their per-pixel formulas, written plainly: the reference that every
// faster loop in blit.cpp must agree with.
#pragma once

#include <algorithm>
#include <cstdint>

// Compositing modes passed to Blit, FillRect and PutPixel. Bit 16 is the source-alpha flag and the
// low byte selects the operation; bit 8 asks scaling operations for filtering and is ignored here.
inline constexpr int32_t kBlendCopy = 0;
inline constexpr int32_t kBlendSourceAlpha = 0x10000;
inline constexpr int32_t kBlendAdd = 0x10001;
inline constexpr int32_t kBlendDodge = 0x10002;
inline constexpr int32_t kBlendSourceAlphaFlag = 0x10000;
inline constexpr int32_t kBlendFilterFlag = 0x100;

inline constexpr int32_t BlendOperation(int32_t mode) {
  return mode & 0xFF;
}
inline constexpr bool HasSourceAlpha(int32_t mode) {
  return (mode & kBlendSourceAlphaFlag) != 0;
}

// The weight in 1/256 steps: trunc(weight × 256), with weights outside 0–1 (and NaN) brought back
// into range so that no channel can leave 0–255.
inline int32_t ScaledWeight(float weight) {
  if (!(weight > 0.0f)) return 0;
  if (weight >= 1.0f) return 256;
  return static_cast<int32_t>(weight * 256.0f);
}

namespace pixel_blend {

inline int32_t Channel(uint32_t pixel, int shift) {
  return static_cast<int32_t>(pixel >> shift & 0xFF);
}
inline int32_t Clamp255(int32_t value) {
  return std::clamp(value, 0, 255);
}

// Applies one channel formula to all four channels; alpha is composed like the colours.
template <typename Formula>
uint32_t PerChannel(uint32_t dest, uint32_t src, Formula formula) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const auto c = formula(Channel(dest, shift), Channel(src, shift));
    result |= static_cast<uint32_t>(c) << shift;
  }
  return result;
}

// Source over destination: c ← s + (d − s) × m ÷ 256 with m = 256 − (A + 1) × u ÷ 256, which is
// the plain copy's 256 − u for an opaque source and 255 − A at full weight. A fully transparent
// source leaves the destination alone.
inline uint32_t Over(uint32_t dest, uint32_t src, int32_t u, int32_t alpha) {
  if (alpha == 0) return dest;
  const int32_t m = 256 - (alpha + 1) * u / 256;
  return PerChannel(dest, src, [m](int32_t d, int32_t s) { return s + (d - s) * m / 256; });
}

// Adds the source scaled by (A + 1) × u ÷ 256, clamped.
inline uint32_t Add(uint32_t dest, uint32_t src, int32_t u, int32_t alpha) {
  if (alpha == 0) return dest;
  const int32_t m = (alpha + 1) * u / 256;
  return PerChannel(dest, src, [m](int32_t d, int32_t s) { return Clamp255(d + s * m / 256); });
}

// Colour dodge with strength t = h × s ÷ 256: d × 256 ÷ (256 − t), clamped; from t = 255 on
// every non-zero channel saturates.
inline int32_t DodgeChannel(int32_t d, int32_t t) {
  if (t > 254) return d == 0 ? 0 : 255;
  return std::min(d * 256 / (256 - t), 255);
}

inline uint32_t Dodge(uint32_t dest, uint32_t src, int32_t u, int32_t alpha) {
  const int32_t h = (alpha + 1) * u / 256;
  return PerChannel(dest, src, [h](int32_t d, int32_t s) { return DodgeChannel(d, h * s / 256); });
}

// One source pixel through a blit mode at weight u (1–256). Without the source-alpha flag the
// source counts as opaque. Unknown operations leave the destination unchanged.
inline uint32_t BlitPixel(uint32_t dest, uint32_t src, int32_t u, int32_t mode) {
  const int32_t alpha = HasSourceAlpha(mode) ? Channel(src, 24) : 255;
  switch (BlendOperation(mode)) {
    case 0:
      return Over(dest, src, u, alpha);
    case 1:
      return Add(dest, src, u, alpha);
    case 2:
      return Dodge(dest, src, u, alpha);
    default:
      return dest;
  }
}

// One destination pixel filled with a colour at weight u (1–256), by the mode's low byte.
inline uint32_t FillPixel(uint32_t dest, uint32_t colour, int32_t u, int32_t mode) {
  switch (BlendOperation(mode)) {
    case 0:
      return PerChannel(dest, colour,
                        [u](int32_t d, int32_t c) { return (d - c) * (256 - u) / 256 + c; });
    case 1:
      return PerChannel(dest, colour,
                        [u](int32_t d, int32_t c) { return Clamp255(d + c * u / 256); });
    case 2:
      return PerChannel(dest, colour,
                        [u](int32_t d, int32_t c) { return DodgeChannel(d, c * u / 256); });
    default:
      return dest;
  }
}

// Whole-word shortcuts whose results are defined as such (they drop low bits per byte, so they
// may differ from the per-channel formulas by one or two steps).
inline uint32_t HalfWord(uint32_t dest, uint32_t src) {
  return (dest >> 1 & 0x7F7F7F7Fu) + (src >> 1 & 0x7F7F7F7Fu);
}

inline bool IsQuarterStep(int32_t u) {
  return u == 256 || u == 192 || u == 128 || u == 64;
}

inline uint32_t QuarterFillWord(uint32_t dest, uint32_t colour, int32_t u) {
  switch (u) {
    case 256:
      return colour;
    case 192:
      return (colour >> 1 & 0x7F7F7F7Fu) + (colour >> 2 & 0x3F3F3F3Fu) + (dest >> 2 & 0x3F3F3F3Fu);
    case 128:
      return (colour >> 1 & 0x7F7F7F7Fu) + (dest >> 1 & 0x7F7F7F7Fu);
    default:  // 64
      return (colour >> 2 & 0x3F3F3F3Fu) + (dest >> 2 & 0x3F3F3F3Fu) + (dest >> 1 & 0x7F7F7F7Fu);
  }
}

}  // namespace pixel_blend
