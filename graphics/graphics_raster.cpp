// The editor's software drawing back end and its use of the process-wide image cache.
#include "graphics/graphics_raster.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

#include "graphics/image_cache.h"
#include "graphics/raster_geometry.h"
#include "raster/blit.h"
#include "raster/dib_bitmap.h"
#include "raster/memory_bitmap.h"

namespace {

constexpr int32_t kRowAlignment = 4;

// Float coordinates to pixels by truncation, kept inside int range (NaN gives false).
bool TruncateCoordinate(float value, int32_t& result) {
  if (std::isnan(value)) return false;
  constexpr float kLimit = 1 << 24;
  result = static_cast<int32_t>(std::clamp(value, -kLimit, kLimit));
  return true;
}

raster_geometry::Pen MakePen(const IRgba& colour, const IBlend* blend, bool antialias) {
  const RasterBlend raster = TranslateBlend(blend);
  return {colour.Packed(), raster.weight, raster.mode, antialias};
}

// A build without one of its images cannot show its editor; debug builds stop right here.
void ReportMissingImage([[maybe_unused]] int resourceId) {
  [[maybe_unused]] constexpr bool imgResourceFound = false;
  assert(imgResourceFound && "IGraphicsRaster: skin image resource not found");
}

}  // namespace

RasterBlend TranslateBlend(const IBlend* blend) noexcept {
  if (!blend) return {kBlendSourceAlpha, 1.0f};
  switch (blend->method) {
    case IBlend::kCopy:
      return {kBlendCopy, blend->weight};
    case IBlend::kAdd:
      return {kBlendAdd, blend->weight};
    case IBlend::kDodge:
      return {kBlendDodge, blend->weight};
    default:
      return {kBlendSourceAlpha, blend->weight};
  }
}

IGraphicsRaster::IGraphicsRaster(IEffectBase* plugin, int width, int height, int framesPerSecond)
    : IGraphicsCore(plugin, width, height, framesPerSecond) {}

IGraphicsRaster::~IGraphicsRaster() {
  delete surface_;
  surface_ = nullptr;
  delete scratch_;
  scratch_ = nullptr;
}

RasterBitmap* IGraphicsRaster::Surface() const noexcept {
  return surface_;
}

void IGraphicsRaster::CreateSurface() {
  // A second call keeps the surface already drawn on rather than leaking it.
  if (!surface_) surface_ = new DibBitmap(width_, height_);
  if (!scratch_) scratch_ = new MemoryBitmap(0, 0, kRowAlignment);
}

bool IGraphicsRaster::DrawBitmap(const IImage& image, const IBounds& destination, int sourceX,
                                 int sourceY, const IBlend* blend) {
  const IBounds r = destination.Intersection(drawBounds_);
  if (r.IsEmpty() || !image.bitmap) return true;
  const RasterBlend raster = TranslateBlend(blend);
  BlitRect(surface_, image.bitmap, r.left, r.top, sourceX + (r.left - destination.left),
           sourceY + (r.top - destination.top), r.Width(), r.Height(), raster.weight, raster.mode);
  return true;
}

bool IGraphicsRaster::DrawRotatedBitmap(const IImage& image, int centreX, int centreY,
                                        double radians, int verticalOffset, const IBlend* blend) {
  if (!image.bitmap) return true;
  const RasterBlend raster = TranslateBlend(blend);
  raster_geometry::TransformedBlit blit;
  blit.destX = centreX - image.width / 2;
  blit.destY = centreY - image.height / 2;
  blit.destWidth = image.width;
  blit.destHeight = image.height;
  blit.source = {0.0f, 0.0f, static_cast<float>(image.width), static_cast<float>(image.height)};
  blit.radians = radians;
  blit.clipSource = false;
  blit.weight = raster.weight;
  blit.mode = raster.mode | kBlendFilterFlag;
  blit.centreOffsetY = static_cast<float>(verticalOffset);
  raster_geometry::BlitTransformed(surface_, image.bitmap, blit);
  return true;
}

bool IGraphicsRaster::DrawRotatedMask(const IImage& base, const IImage& mask, const IImage& top,
                                      int x, int y, double degrees, const IBlend* blend) {
  if (!base.bitmap || !surface_) return true;
  const double radians = degrees * std::numbers::pi / 180.0;
  const int32_t w = base.width, h = base.height;
  const float offsetX = (w % 2 != 0) ? -0.5f : 0.0f;
  if (!scratch_) scratch_ = new MemoryBitmap(0, 0, kRowAlignment);

  CopyBitmap(scratch_, base.bitmap);
  if (uint32_t* bits = scratch_->GetBits()) {
    const int32_t span = scratch_->GetRowSpan();
    const int32_t rows = std::min(h, scratch_->GetHeight());
    const int32_t cols = std::min(w, scratch_->GetWidth());
    for (int32_t row = 0; row < rows; ++row)
      for (int32_t col = 0; col < cols; ++col) bits[row * span + col] &= 0x00FFFFFFu;
  }

  raster_geometry::TransformedBlit blit;
  blit.destWidth = w;
  blit.destHeight = h;
  blit.source = {0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)};
  blit.radians = radians;
  blit.clipSource = true;
  blit.centreOffsetX = offsetX;
  blit.mode = kBlendAdd | kBlendFilterFlag;
  raster_geometry::BlitTransformed(scratch_, mask.bitmap, blit);
  blit.mode = kBlendSourceAlpha | kBlendFilterFlag;
  raster_geometry::BlitTransformed(scratch_, top.bitmap, blit);

  const IBounds r = IBounds{x, y, x + w, y + h}.Intersection(drawBounds_);
  if (r.IsEmpty()) return true;
  const RasterBlend raster = TranslateBlend(blend);
  BlitRect(surface_, scratch_, r.left, r.top, r.left - x, r.top - y, r.Width(), r.Height(),
           raster.weight, raster.mode);
  return true;
}

bool IGraphicsRaster::DrawPoint(const IRgba& colour, float x, float y, const IBlend* blend,
                                bool /*antialias*/) {
  int32_t px = 0, py = 0;
  if (!TruncateCoordinate(x + 0.5f, px) || !TruncateCoordinate(y + 0.5f, py)) return true;
  const RasterBlend raster = TranslateBlend(blend);
  PutPixel(surface_, px, py, colour.Packed(), raster.weight, raster.mode);
  return true;
}

bool IGraphicsRaster::WritePixel(const IRgba& colour, int x, int y) {
  if (!surface_ || !surface_->GetBits()) return true;
  if (x < 0 || y < 0 || x >= surface_->GetWidth() || y >= surface_->GetHeight()) return true;
  surface_->GetBits()[x + static_cast<int64_t>(y) * surface_->GetRowSpan()] = colour.Packed();
  return true;
}

bool IGraphicsRaster::DrawLine(const IRgba& colour, float x1, float y1, float x2, float y2,
                               const IBlend* blend, bool antialias) {
  int32_t ax = 0, ay = 0, bx = 0, by = 0;
  if (!TruncateCoordinate(x1, ax) || !TruncateCoordinate(y1, ay) || !TruncateCoordinate(x2, bx) ||
      !TruncateCoordinate(y2, by))
    return true;
  raster_geometry::DrawLine(surface_, MakePen(colour, blend, antialias), ax, ay, bx, by);
  return true;
}

bool IGraphicsRaster::DrawArc(const IRgba& colour, float centreX, float centreY, float radius,
                              float startAngle, float endAngle, const IBlend* blend,
                              bool antialias) {
  raster_geometry::DrawArc(surface_, MakePen(colour, blend, antialias), centreX, centreY, radius,
                           startAngle, endAngle);
  return true;
}

bool IGraphicsRaster::DrawCircle(const IRgba& colour, float centreX, float centreY, float radius,
                                 const IBlend* blend, bool antialias) {
  raster_geometry::DrawCircle(surface_, MakePen(colour, blend, antialias), centreX, centreY,
                              radius);
  return true;
}

bool IGraphicsRaster::FillBounds(const IRgba& colour, const IBounds& bounds, const IBlend* blend) {
  const RasterBlend raster = TranslateBlend(blend);
  FillRect(surface_, bounds.left, bounds.top, bounds.Width(), bounds.Height(), colour.Packed(),
           raster.weight, raster.mode);
  return true;
}

IRgba IGraphicsRaster::ReadPixel(int x, int y) {
  return IRgba::FromPacked(GetPixel(surface_, x, y));
}

uint32_t* IGraphicsRaster::GetSurfacePixels() {
  return surface_ ? surface_->GetBits() : nullptr;
}

IImage IGraphicsRaster::LoadSkinImage(int resourceId, const char* resourceName, int frames) {
  ImageCache& cache = ImageCache::Instance();
  RasterBitmap* bitmap = cache.Find(resourceId);
  if (!bitmap) {
    // Decoded without the lock: two editors racing on one id may both add it; lookups then
    // return the first.
    bitmap = LoadImageResource(resourceId, resourceName);
    if (!bitmap) {
      ReportMissingImage(resourceId);
      return IImage{nullptr, 0, 0, frames};
    }
    if (!cache.Add(resourceId, bitmap)) {
      delete bitmap;
      return IImage{nullptr, 0, 0, frames};
    }
  }
  return IImage{bitmap, bitmap->GetWidth(), bitmap->GetHeight(), frames};
}

IImage IGraphicsRaster::ScaleImage(const IImage& image, int width, int height) {
  auto* scaled = new MemoryBitmap(width, height, kRowAlignment);
  raster_geometry::TransformedBlit blit;
  blit.destWidth = scaled->GetWidth();
  blit.destHeight = scaled->GetHeight();
  blit.source = {0.0f, 0.0f, static_cast<float>(image.width), static_cast<float>(image.height)};
  blit.mode = kBlendCopy | kBlendFilterFlag;
  raster_geometry::BlitTransformed(scaled, image.bitmap, blit);
  if (!ImageCache::Instance().Add(ImageCache::kDerivedKey, scaled)) {
    delete scaled;
    return IImage{nullptr, 0, 0, image.frames};
  }
  return IImage{scaled, scaled->GetWidth(), scaled->GetHeight(), image.frames};
}

IImage IGraphicsRaster::CropImage(const IImage& image, const IBounds& bounds) {
  auto* cropped = new MemoryBitmap(bounds.Width(), bounds.Height(), kRowAlignment);
  BlitRect(cropped, image.bitmap, 0, 0, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
           1.0f, kBlendCopy);
  if (!ImageCache::Instance().Add(ImageCache::kDerivedKey, cropped)) {
    delete cropped;
    return IImage{nullptr, 0, 0, image.frames};
  }
  return IImage{cropped, cropped->GetWidth(), cropped->GetHeight(), image.frames};
}

bool IGraphicsRaster::DrawVerticalLine(const IRgba& colour, int x, int y1, int y2) {
  uint32_t* bits = GetSurfacePixels();
  if (!bits || width_ <= 0 || height_ <= 0) return true;
  // The editor's size, further bounded by the surface in case a resize failed.
  const int32_t maxX = std::min(width_, surface_->GetWidth()) - 1;
  const int32_t maxY = std::min(height_, surface_->GetHeight()) - 1;
  if (maxX < 0 || maxY < 0) return true;
  x = std::clamp(x, 0, maxX);
  y1 = std::clamp(y1, 0, maxY);
  y2 = std::clamp(y2, 0, maxY);
  const uint32_t packed = colour.Packed();
  const int32_t span = surface_->GetRowSpan();
  for (int32_t y = y1; y <= y2; ++y) bits[x + static_cast<int64_t>(y) * span] = packed;
  return true;
}

bool IGraphicsRaster::DrawHorizontalLine(const IRgba& colour, int y, int x1, int x2) {
  uint32_t* bits = GetSurfacePixels();
  if (!bits || width_ <= 0 || height_ <= 0) return true;
  const int32_t maxX = std::min(width_, surface_->GetWidth()) - 1;
  const int32_t maxY = std::min(height_, surface_->GetHeight()) - 1;
  if (maxX < 0 || maxY < 0) return true;
  y = std::clamp(y, 0, maxY);
  x1 = std::clamp(x1, 0, maxX);
  x2 = std::clamp(x2, 0, maxX);
  const uint32_t packed = colour.Packed();
  uint32_t* row = bits + static_cast<int64_t>(y) * surface_->GetRowSpan();
  for (int32_t x = x1; x <= x2; ++x) row[x] = packed;
  return true;
}

void IGraphicsRaster::KeepImage(const IImage& image) {
  if (image.bitmap) ImageCache::Instance().Add(ImageCache::kDerivedKey, image.bitmap);
}

void IGraphicsRaster::ReleaseImage(const IImage& image) {
  ImageCache::Instance().Release(image.bitmap);
}
