// Pixel operations on raster bitmaps: blits with compositing modes, fills and single pixels.
#pragma once

#include <cstdint>

#include "raster/pixel_blend.h"
#include "raster/raster_bitmap.h"

// A source rectangle: left and top included, right and bottom excluded.
struct RasterRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// All operations honour each bitmap's row span and bottom-up flag, clip to both bitmaps, and do
// nothing for a null or empty bitmap, a zero weight or an area clipped away. Weights are 0–1
// (values outside are clamped, NaN counts as 0). They run on the editor thread, take no lock and
// never allocate.

// Composes the source rectangle of src (all of it when null) onto dest with its top-left corner
// at (dstX, dstY). A source rectangle reaching left of or above the source moves the destination
// point by the same amount.
void Blit(RasterBitmap* dest, RasterBitmap* src, int32_t dstX, int32_t dstY,
          const RasterRect* srcRect, float weight, int32_t mode);

// Blit of the source rectangle (srcX, srcY, srcX + srcW, srcY + srcH).
void BlitRect(RasterBitmap* dest, RasterBitmap* src, int32_t dstX, int32_t dstY, int32_t srcX,
              int32_t srcY, int32_t srcW, int32_t srcH, float weight, int32_t mode);

// Resizes dest to the size of src and copies src into it.
void CopyBitmap(RasterBitmap* dest, RasterBitmap* src);

// Fills a rectangle with a colour; with the source-alpha flag the colour's alpha scales the
// weight. Mode low byte 0 blends, 1 adds, 2 dodges.
void FillRect(RasterBitmap* dest, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
              float weight, int32_t mode);

// The pixel word at (x, y); 0 outside the bitmap or when it has no bits.
uint32_t GetPixel(RasterBitmap* bitmap, int32_t x, int32_t y);

// Composes one pixel like FillRect, without the colour's alpha scaling the weight.
void PutPixel(RasterBitmap* bitmap, int32_t x, int32_t y, uint32_t colour, float weight,
              int32_t mode);
