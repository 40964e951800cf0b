// A small anti-aliased painting surface for drawing the skin artwork.
#include "tools/skin/skin_canvas.h"

#include <algorithm>
#include <cmath>

Paint Mix(const Paint& from, const Paint& to, double t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Paint Rgb(int red, int green, int blue, double alpha) {
  return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

SkinCanvas::SkinCanvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

void SkinCanvas::Fill(int x0, int y0, int x1, int y1, const Distance& shape, const Shader& shader) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width_);
  y1 = std::min(y1, height_);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double cx = x + 0.5;
      const double cy = y + 0.5;
      const double coverage = std::clamp(0.5 - shape(cx, cy), 0.0, 1.0);
      if (coverage <= 0.0) continue;
      const Paint paint = shader(cx, cy);
      const double alpha = std::clamp(paint.a, 0.0, 1.0) * coverage;
      Premultiplied& p = pixels_[static_cast<size_t>(y) * width_ + x];
      const double keep = 1.0 - alpha;
      p.r = paint.r * alpha + p.r * keep;
      p.g = paint.g * alpha + p.g * keep;
      p.b = paint.b * alpha + p.b * keep;
      p.a = alpha + p.a * keep;
    }
  }
}

void SkinCanvas::Fill(int x0, int y0, int x1, int y1, const Distance& shape, const Paint& paint) {
  Fill(x0, y0, x1, y1, shape, [&paint](double, double) { return paint; });
}

void SkinCanvas::Place(const SkinCanvas& frame, int x, int y) {
  for (int row = 0; row < frame.height_; ++row) {
    for (int col = 0; col < frame.width_; ++col) {
      const int tx = x + col;
      const int ty = y + row;
      if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) continue;
      pixels_[static_cast<size_t>(ty) * width_ + tx] =
          frame.pixels_[static_cast<size_t>(row) * frame.width_ + col];
    }
  }
}

std::vector<uint32_t> SkinCanvas::ToWords() const {
  const auto byte = [](double v) {
    return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
  };
  std::vector<uint32_t> words;
  words.reserve(pixels_.size());
  for (const Premultiplied& p : pixels_) {
    const uint32_t a = byte(p.a);
    if (a == 0) {
      words.push_back(0);
      continue;
    }
    words.push_back(a << 24 | byte(p.r / p.a) << 16 | byte(p.g / p.a) << 8 | byte(p.b / p.a));
  }
  return words;
}

double CircleDistance(double x, double y, double cx, double cy, double radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

double RoundedBoxDistance(double x, double y, double x0, double y0, double x1, double y1,
                          double radius) {
  const double hx = (x1 - x0) / 2 - radius;
  const double hy = (y1 - y0) / 2 - radius;
  const double qx = std::abs(x - (x0 + x1) / 2) - hx;
  const double qy = std::abs(y - (y0 + y1) / 2) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

double SegmentDistance(double x, double y, double ax, double ay, double bx, double by,
                       double halfWidth) {
  const double px = x - ax;
  const double py = y - ay;
  const double dx = bx - ax;
  const double dy = by - ay;
  const double lengthSquared = dx * dx + dy * dy;
  const double t =
      lengthSquared > 0 ? std::clamp((px * dx + py * dy) / lengthSquared, 0.0, 1.0) : 0;
  return std::hypot(px - dx * t, py - dy * t) - halfWidth;
}
