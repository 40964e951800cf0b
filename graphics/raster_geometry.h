// Raster operations of the drawing back end beyond plain blits: transformed (scaled and rotated)
// blits, lines, arcs and circles, all composed with the modes of the raster library.
//
// Coordinates: pixel (i, j) covers i .. i + 1 by j .. j + 1 for the blits, and is centred on
// (i, j) for the shapes (so a shape at (2.5, 3.49) lies on pixel (3, 3) like a point).
// Every operation honours the bitmap's row span and bottom-up flag, clips to the bitmap and does
// nothing on an empty bitmap or at weight 0. Not thread-safe: one bitmap, one thread.
#pragma once

#include <cstdint>

class RasterBitmap;

namespace raster_geometry {

struct Rect {
  float left = 0.0f;
  float top = 0.0f;
  float width = 0.0f;
  float height = 0.0f;
};

struct TransformedBlit {
  // Where the source rectangle lands before rotation.
  int32_t destX = 0;
  int32_t destY = 0;
  int32_t destWidth = 0;
  int32_t destHeight = 0;
  Rect source;
  double radians = 0.0;  // clockwise on screen
  // Samples outside the source rectangle are skipped when set, otherwise only those outside the
  // source bitmap are.
  bool clipSource = false;
  float weight = 1.0f;
  int32_t mode = 0;  // raster mode; 0x100 selects bilinear filtering instead of nearest pixel
  // Moves the rotation centre away from the middle of the destination rectangle (and the
  // matching point of the source).
  float centreOffsetX = 0.0f;
  float centreOffsetY = 0.0f;
};

// Maps the source rectangle onto the destination rectangle (scaling it), rotated about the
// centre; the rotated corners may reach outside the destination rectangle and are drawn too.
void BlitTransformed(RasterBitmap* dest, RasterBitmap* src, const TransformedBlit& blit);

// colour is 0xAARRGGBB; with the mode's source-alpha flag its alpha scales the weight.
struct Pen {
  uint32_t colour = 0xFF000000u;
  float weight = 1.0f;
  int32_t mode = 0x10000;
  bool antialias = false;
};

// Bresenham between the integer ends, both included; Wu's algorithm when antialiased.
void DrawLine(RasterBitmap* dest, const Pen& pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// One-pixel outline. Aliased: the midpoint circle about the rounded centre and radius.
// Antialiased: coverage 1 − |distance − radius| of each pixel centre.
void DrawCircle(RasterBitmap* dest, const Pen& pen, float centreX, float centreY, float radius);

// The part of the circle from startDegrees clockwise to endDegrees (0 at twelve o'clock, 90 at
// three); a sweep of 360 degrees or more is the whole circle.
void DrawArc(RasterBitmap* dest, const Pen& pen, float centreX, float centreY, float radius,
             float startDegrees, float endDegrees);

}  // namespace raster_geometry
