// Transformed blits, lines, arcs and circles on raster bitmaps.
#include "graphics/raster_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "raster/pixel_blend.h"
#include "raster/raster_bitmap.h"

namespace raster_geometry {
namespace {

uint32_t* PixelAt(RasterBitmap& bitmap, uint32_t* bits, int32_t x, int32_t y) {
  const int32_t row = bitmap.IsBottomUp() ? bitmap.GetHeight() - 1 - y : y;
  return bits + static_cast<int64_t>(row) * bitmap.GetRowSpan() + x;
}

bool IsUsable(RasterBitmap* bitmap) {
  return bitmap && bitmap->GetBits() && bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0;
}

// ---- Sampling ---------------------------------------------------------------------------------

struct Source {
  RasterBitmap* bitmap;
  uint32_t* bits;
  // Valid texels: x in [minX, maxX), y in [minY, maxY).
  int32_t minX, minY, maxX, maxY;
  bool transparentOutside;  // outside texels count as transparent (else the edge is repeated)
};

bool Inside(const Source& s, int32_t x, int32_t y) {
  return x >= s.minX && x < s.maxX && y >= s.minY && y < s.maxY;
}

uint32_t Texel(const Source& s, int32_t x, int32_t y) {
  if (!Inside(s, x, y)) {
    if (s.transparentOutside) return 0;
    x = std::clamp(x, s.minX, s.maxX - 1);
    y = std::clamp(y, s.minY, s.maxY - 1);
  }
  return *PixelAt(*s.bitmap, s.bits, x, y);
}

// Bilinear over straight-alpha pixels: colours are weighted by alpha so that transparent
// neighbours do not darken the edge.
uint32_t SampleBilinear(const Source& s, double u, double v) {
  const double fx = u - 0.5, fy = v - 0.5;
  const auto x0 = static_cast<int32_t>(std::floor(fx));
  const auto y0 = static_cast<int32_t>(std::floor(fy));
  const double ax = fx - x0, ay = fy - y0;
  const uint32_t texels[4] = {Texel(s, x0, y0), Texel(s, x0 + 1, y0), Texel(s, x0, y0 + 1),
                              Texel(s, x0 + 1, y0 + 1)};
  const double weights[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
  double alpha = 0.0, red = 0.0, green = 0.0, blue = 0.0;
  for (int i = 0; i < 4; ++i) {
    const double a = (texels[i] >> 24) * weights[i];
    alpha += a;
    red += (texels[i] >> 16 & 0xFF) * a;
    green += (texels[i] >> 8 & 0xFF) * a;
    blue += (texels[i] & 0xFF) * a;
  }
  if (alpha <= 0.0) return 0;
  const auto channel = [alpha](double sum) {
    return static_cast<uint32_t>(std::clamp(std::lround(sum / alpha), 0L, 255L));
  };
  const auto a = static_cast<uint32_t>(std::clamp(std::lround(alpha), 0L, 255L));
  return a << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
}

// ---- Shapes -----------------------------------------------------------------------------------

class Plotter {
 public:
  Plotter(RasterBitmap* dest, const Pen& pen) : dest_(dest), pen_(pen) {
    bits_ = IsUsable(dest) ? dest->GetBits() : nullptr;
    weight_ = pen.weight;
    if (HasSourceAlpha(pen.mode)) weight_ *= static_cast<float>(pen.colour >> 24) / 255.0f;
  }
  bool Usable() const { return bits_ != nullptr && ScaledWeight(weight_) > 0; }

  void Plot(int32_t x, int32_t y, float coverage = 1.0f) {
    if (x < 0 || y < 0 || x >= dest_->GetWidth() || y >= dest_->GetHeight()) return;
    const int32_t u = ScaledWeight(weight_ * coverage);
    if (u == 0) return;
    uint32_t* pixel = PixelAt(*dest_, bits_, x, y);
    *pixel = pixel_blend::FillPixel(*pixel, pen_.colour, u, pen_.mode);
  }

 private:
  RasterBitmap* dest_;
  Pen pen_;
  uint32_t* bits_;
  float weight_;
};

void LineAliased(Plotter& plot, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1);
  const int64_t dy = -std::llabs(static_cast<int64_t>(y2) - y1);
  const int32_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int64_t error = dx + dy;
  int64_t x = x1, y = y1;
  for (;;) {
    plot.Plot(static_cast<int32_t>(x), static_cast<int32_t>(y));
    if (x == x2 && y == y2) break;
    const int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

// Wu's line between integer ends: every step along the major axis covers two pixels of the minor
// axis in proportion to the distance from the ideal line; the ends are plotted in full.
void LineAntialiased(Plotter& plot, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const bool steep =
      std::llabs(static_cast<int64_t>(y2) - y1) > std::llabs(static_cast<int64_t>(x2) - x1);
  double ax = x1, ay = y1, bx = x2, by = y2;
  if (steep) {
    std::swap(ax, ay);
    std::swap(bx, by);
  }
  if (ax > bx) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  const double gradient = bx == ax ? 0.0 : (by - ay) / (bx - ax);
  const auto put = [&](double major, double minor, float coverage) {
    const auto a = static_cast<int32_t>(major), b = static_cast<int32_t>(minor);
    if (steep)
      plot.Plot(b, a, coverage);
    else
      plot.Plot(a, b, coverage);
  };
  put(ax, ay, 1.0f);
  if (bx != ax) put(bx, by, 1.0f);
  double minor = ay + gradient;
  for (double major = ax + 1; major < bx; major += 1.0, minor += gradient) {
    const double base = std::floor(minor);
    const auto fraction = static_cast<float>(minor - base);
    put(major, base, 1.0f - fraction);
    if (fraction > 0.0f) put(major, base + 1, fraction);
  }
}

double NormaliseDegrees(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

// Which directions of the circle belong to the arc; an angle of 0 points up, 90 right.
class AngleRange {
 public:
  AngleRange(double start, double end) {
    full_ = !std::isfinite(start) || !std::isfinite(end) || std::fabs(end - start) >= 360.0;
    start_ = full_ ? 0.0 : NormaliseDegrees(start);
    span_ = full_ ? 360.0 : NormaliseDegrees(end - start);
  }
  bool Contains(double dx, double dy) const {
    if (full_) return true;
    const double angle = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
    return NormaliseDegrees(angle - start_) <= span_;
  }

 private:
  bool full_;
  double start_ = 0.0;
  double span_ = 360.0;
};

void RingAliased(Plotter& plot, float centreX, float centreY, float radius,
                 const AngleRange& range) {
  const auto cx = static_cast<int32_t>(std::lround(centreX));
  const auto cy = static_cast<int32_t>(std::lround(centreY));
  const auto r = static_cast<int32_t>(std::lround(radius));
  if (r < 0) return;
  int32_t x = 0, y = r, decision = 1 - r;
  while (x <= y) {
    const int32_t offsets[8][2] = {{x, -y}, {y, -x}, {y, x},   {x, y},
                                   {-x, y}, {-y, x}, {-y, -x}, {-x, -y}};
    // Octant points coincide where x is 0 or equals y; each pixel is composed once.
    for (int i = 0; i < 8; ++i) {
      bool seen = false;
      for (int j = 0; j < i && !seen; ++j)
        seen = offsets[j][0] == offsets[i][0] && offsets[j][1] == offsets[i][1];
      if (!seen && range.Contains(offsets[i][0], offsets[i][1]))
        plot.Plot(cx + offsets[i][0], cy + offsets[i][1]);
    }
    ++x;
    if (decision < 0) {
      decision += 2 * x + 1;
    } else {
      --y;
      decision += 2 * (x - y) + 1;
    }
  }
}

void RingAntialiased(Plotter& plot, RasterBitmap* dest, float centreX, float centreY, float radius,
                     const AngleRange& range) {
  if (radius < 0.0f) return;
  const auto left = std::max(0L, std::lround(std::floor(centreX - radius - 1.0f)));
  const auto top = std::max(0L, std::lround(std::floor(centreY - radius - 1.0f)));
  const auto right = std::min<long>(dest->GetWidth() - 1, std::lround(centreX + radius + 1.0f));
  const auto bottom = std::min<long>(dest->GetHeight() - 1, std::lround(centreY + radius + 1.0f));
  for (long y = top; y <= bottom; ++y) {
    for (long x = left; x <= right; ++x) {
      const double dx = x - static_cast<double>(centreX), dy = y - static_cast<double>(centreY);
      const double coverage = 1.0 - std::fabs(std::hypot(dx, dy) - radius);
      if (coverage <= 0.0 || !range.Contains(dx, dy)) continue;
      plot.Plot(static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<float>(coverage));
    }
  }
}

void Ring(RasterBitmap* dest, const Pen& pen, float centreX, float centreY, float radius,
          const AngleRange& range) {
  if (!std::isfinite(centreX) || !std::isfinite(centreY) || !std::isfinite(radius)) return;
  // Far-off shapes would only cost time.
  if (std::fabs(centreX) > 1e6f || std::fabs(centreY) > 1e6f || radius > 1e5f) return;
  Plotter plot(dest, pen);
  if (!plot.Usable()) return;
  if (pen.antialias)
    RingAntialiased(plot, dest, centreX, centreY, radius, range);
  else
    RingAliased(plot, centreX, centreY, radius, range);
}

}  // namespace

void BlitTransformed(RasterBitmap* dest, RasterBitmap* src, const TransformedBlit& blit) {
  if (!IsUsable(dest) || !IsUsable(src)) return;
  const int32_t u = ScaledWeight(blit.weight);
  if (u == 0 || blit.destWidth <= 0 || blit.destHeight <= 0) return;
  const Rect& rect = blit.source;
  if (!(rect.width > 0.0f) || !(rect.height > 0.0f) || !std::isfinite(blit.radians)) return;

  Source source{
      src, src->GetBits(), 0, 0, src->GetWidth(), src->GetHeight(), HasSourceAlpha(blit.mode)};
  if (blit.clipSource) {
    source.minX = std::max(0, static_cast<int32_t>(std::ceil(rect.left)));
    source.minY = std::max(0, static_cast<int32_t>(std::ceil(rect.top)));
    source.maxX = std::min(source.maxX, static_cast<int32_t>(std::floor(rect.left + rect.width)));
    source.maxY = std::min(source.maxY, static_cast<int32_t>(std::floor(rect.top + rect.height)));
    if (source.minX >= source.maxX || source.minY >= source.maxY) return;
  }

  const double scaleX = rect.width / blit.destWidth, scaleY = rect.height / blit.destHeight;
  const double centreX = blit.destX + blit.destWidth / 2.0 + blit.centreOffsetX;
  const double centreY = blit.destY + blit.destHeight / 2.0 + blit.centreOffsetY;
  const double sourceCentreX = rect.left + rect.width / 2.0 + blit.centreOffsetX * scaleX;
  const double sourceCentreY = rect.top + rect.height / 2.0 + blit.centreOffsetY * scaleY;
  const double c = std::cos(blit.radians), s = std::sin(blit.radians);

  // The rotated destination rectangle's bounding box, clipped to the destination.
  double minX = centreX, maxX = centreX, minY = centreY, maxY = centreY;
  const double corners[4][2] = {
      {0.0, 0.0},
      {static_cast<double>(blit.destWidth), 0.0},
      {0.0, static_cast<double>(blit.destHeight)},
      {static_cast<double>(blit.destWidth), static_cast<double>(blit.destHeight)}};
  for (const auto& corner : corners) {
    const double dx = blit.destX + corner[0] - centreX, dy = blit.destY + corner[1] - centreY;
    const double x = centreX + dx * c - dy * s, y = centreY + dx * s + dy * c;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  const auto clampToDest = [](double value, int32_t limit) {
    return static_cast<int32_t>(std::clamp(value, 0.0, static_cast<double>(limit)));
  };
  const int32_t left = clampToDest(std::floor(minX), dest->GetWidth());
  const int32_t right = clampToDest(std::ceil(maxX), dest->GetWidth());
  const int32_t top = clampToDest(std::floor(minY), dest->GetHeight());
  const int32_t bottom = clampToDest(std::ceil(maxY), dest->GetHeight());

  const bool filtered = (blit.mode & kBlendFilterFlag) != 0;
  const int32_t mode = blit.mode & ~kBlendFilterFlag;
  uint32_t* destBits = dest->GetBits();
  for (int32_t y = top; y < bottom; ++y) {
    for (int32_t x = left; x < right; ++x) {
      // Inverse rotation of the pixel centre into source coordinates.
      const double dx = x + 0.5 - centreX, dy = y + 0.5 - centreY;
      const double sx = sourceCentreX + (dx * c + dy * s) * scaleX;
      const double sy = sourceCentreY + (-dx * s + dy * c) * scaleY;
      const auto nearestX = static_cast<int32_t>(std::floor(sx));
      const auto nearestY = static_cast<int32_t>(std::floor(sy));
      if (!Inside(source, nearestX, nearestY)) continue;
      const uint32_t texel =
          filtered ? SampleBilinear(source, sx, sy) : Texel(source, nearestX, nearestY);
      uint32_t* pixel = PixelAt(*dest, destBits, x, y);
      *pixel = pixel_blend::BlitPixel(*pixel, texel, u, mode);
    }
  }
}

void DrawLine(RasterBitmap* dest, const Pen& pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Plotter plot(dest, pen);
  if (!plot.Usable()) return;
  // Clamp far ends so that a wild coordinate costs no more than a long line.
  constexpr int32_t kLimit = 1 << 20;
  x1 = std::clamp(x1, -kLimit, kLimit), y1 = std::clamp(y1, -kLimit, kLimit);
  x2 = std::clamp(x2, -kLimit, kLimit), y2 = std::clamp(y2, -kLimit, kLimit);
  if (pen.antialias)
    LineAntialiased(plot, x1, y1, x2, y2);
  else
    LineAliased(plot, x1, y1, x2, y2);
}

void DrawCircle(RasterBitmap* dest, const Pen& pen, float centreX, float centreY, float radius) {
  Ring(dest, pen, centreX, centreY, radius, AngleRange(0.0, 360.0));
}

void DrawArc(RasterBitmap* dest, const Pen& pen, float centreX, float centreY, float radius,
             float startDegrees, float endDegrees) {
  Ring(dest, pen, centreX, centreY, radius, AngleRange(startDegrees, endDegrees));
}

}  // namespace raster_geometry
