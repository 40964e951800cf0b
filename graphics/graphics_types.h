// Small value types shared by the whole editor: rectangles, colours, text styles, images,
// blends and mouse modifiers.
#pragma once

#include <algorithm>
#include <cstdint>

class RasterBitmap;

// Integer rectangle; left and top included, right and bottom excluded. All four fields 0 is
// "empty"; a zero-width rectangle elsewhere is not.
struct IBounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const noexcept { return right - left; }
  int32_t Height() const noexcept { return bottom - top; }
  bool IsEmpty() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }

  IBounds Union(const IBounds& other) const noexcept {
    if (IsEmpty()) return other;
    if (other.IsEmpty()) return *this;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  // Touching along this rectangle's right or bottom edge counts as intersecting.
  bool Intersects(const IBounds& other) const noexcept {
    if (IsEmpty() || other.IsEmpty()) return false;
    return right >= other.left && left < other.right && bottom >= other.top && top < other.bottom;
  }
  IBounds Intersection(const IBounds& other) const noexcept {
    if (!Intersects(other)) return {};
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
  bool operator==(const IBounds&) const = default;
};

// A colour, 0..255 per channel, straight alpha (255 opaque).
struct IRgba {
  int32_t alpha = 255;
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;

  // The raster pixel word 0xAARRGGBB.
  uint32_t Packed() const noexcept {
    return static_cast<uint32_t>(alpha & 0xFF) << 24 | static_cast<uint32_t>(red & 0xFF) << 16 |
           static_cast<uint32_t>(green & 0xFF) << 8 | static_cast<uint32_t>(blue & 0xFF);
  }
  static IRgba FromPacked(uint32_t word) noexcept {
    return {static_cast<int32_t>(word >> 24), static_cast<int32_t>(word >> 16 & 0xFF),
            static_cast<int32_t>(word >> 8 & 0xFF), static_cast<int32_t>(word & 0xFF)};
  }
  bool operator==(const IRgba&) const = default;
};

struct ITextStyle {
  enum Style : int32_t { kNormal = 0, kBold = 1, kItalic = 2 };
  enum Align : int32_t { kLeft = 0, kCentre = 1, kRight = 2 };

  char fontFace[32] = "Arial";
  int32_t size = 14;  // character height in pixels
  IRgba colour{255, 0, 0, 0};
  int32_t style = kNormal;
  int32_t alignment = kCentre;
  int32_t orientation = 0;  // degrees
};

// A decoded skin image; the bitmap belongs to the image cache.
struct IImage {
  RasterBitmap* bitmap = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t frames = 1;

  // First row of frame (1-based); frames are stacked top to bottom.
  int32_t FrameTop(int32_t frame) const noexcept {
    if (frames <= 1 || frame <= 1) return 0;
    return static_cast<int32_t>(static_cast<double>(height) * (frame - 1) / frames + 0.5);
  }
  int32_t FrameHeight() const noexcept { return frames > 0 ? height / frames : height; }
};

// How a control's images are composited. The weight doubles as the greying factor.
struct IBlend {
  enum Method : int32_t { kDefault = 0, kCopy = 1, kAdd = 2, kDodge = 3 };
  int32_t method = kDefault;
  float weight = 1.0f;
};

struct IMouseModifiers {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};
