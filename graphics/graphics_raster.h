// The editor's software drawing back end: every drawing operation of the core, done on a 32-bit
// surface of the editor's size, and the skin images loaded through the process-wide cache.
//
// Threads. Everything here runs on the editor's window thread, except the image cache, which has
// its own lock and may be used by several editors at once. The surface and the scratch bitmap
// belong to one editor.
#pragma once

#include <cstdint>

#include "graphics/graphics_core.h"

class DibBitmap;
class MemoryBitmap;

// A control blend turned into a raster compositing mode and weight.
struct RasterBlend {
  int32_t mode = 0x10000;
  float weight = 1.0f;
};

// Absent → copy with source alpha at full weight; method 1 → plain copy, 2 → add with source
// alpha, 3 → dodge with source alpha; any other method → copy with source alpha. The blend's
// weight is kept as it is.
RasterBlend TranslateBlend(const IBlend* blend) noexcept;

class IGraphicsRaster : public IGraphicsCore {
 public:
  IGraphicsRaster(IEffectBase* plugin, int width, int height, int framesPerSecond);
  // Deletes the surface, then the scratch bitmap.
  ~IGraphicsRaster() override;

  // Drawing before CreateSurface finds no surface and does nothing (and still returns true).
  void CreateSurface() override;
  // Clipped to the draw bounds; the source offset moves with the clipped edge.
  bool DrawBitmap(const IImage& image, const IBounds& destination, int sourceX, int sourceY,
                  const IBlend* blend) override;
  // Not clipped to the draw bounds; always filtered.
  bool DrawRotatedBitmap(const IImage& image, int centreX, int centreY, double radians,
                         int verticalOffset, const IBlend* blend) override;
  // base with mask added and top laid over it, both rotated; clipped to the draw bounds.
  bool DrawRotatedMask(const IImage& base, const IImage& mask, const IImage& top, int x, int y,
                       double degrees, const IBlend* blend) override;
  // Rounds to the nearest pixel; the antialias flag is not used.
  bool DrawPoint(const IRgba& colour, float x, float y, const IBlend* blend,
                 bool antialias) override;
  // Raw store; a point off the surface is ignored.
  bool WritePixel(const IRgba& colour, int x, int y) override;
  bool DrawLine(const IRgba& colour, float x1, float y1, float x2, float y2, const IBlend* blend,
                bool antialias) override;
  // Angles in degrees, 0 at twelve o'clock, growing clockwise; see raster_geometry.h.
  bool DrawArc(const IRgba& colour, float centreX, float centreY, float radius, float startAngle,
               float endAngle, const IBlend* blend, bool antialias) override;
  bool DrawCircle(const IRgba& colour, float centreX, float centreY, float radius,
                  const IBlend* blend, bool antialias) override;
  // Not clipped to the draw bounds.
  bool FillBounds(const IRgba& colour, const IBounds& bounds, const IBlend* blend) override;
  // All zero off the surface.
  IRgba ReadPixel(int x, int y) override;
  uint32_t* GetSurfacePixels() override;

  // [any thread; cache locked per step] Decodes a resource once per process. A resource that
  // cannot be loaded is a build error: asserted in debug builds, an empty image otherwise.
  IImage LoadSkinImage(int resourceId, const char* resourceName, int frames) override;
  // The results belong to the cache.
  IImage ScaleImage(const IImage& image, int width, int height) override;
  IImage CropImage(const IImage& image, const IBounds& bounds) override;
  // Raw stores between the clamped ends, inclusive; nothing when the end is before the start.
  bool DrawVerticalLine(const IRgba& colour, int x, int y1, int y2) override;
  bool DrawHorizontalLine(const IRgba& colour, int y, int x1, int x2) override;
  // Hands the image's bitmap to the cache.
  void KeepImage(const IImage& image) override;
  // Deletes the image's bitmap if the cache holds it; anything else is left alone.
  void ReleaseImage(const IImage& image) override;

  // The platform's decoder for a skin image resource; null on any failure.
  virtual RasterBitmap* LoadImageResource(int resourceId, const char* resourceName) = 0;

  RasterBitmap* Surface() const noexcept;

 protected:
  DibBitmap* surface_ = nullptr;
  MemoryBitmap* scratch_ = nullptr;
};
