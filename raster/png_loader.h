// Decoding PNG skin images, from memory or from the library's own resources, into 32-bit bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/raster_bitmap.h"

// Both run on the thread that builds the editor, take no lock and share nothing between calls.
// Every failure (missing resource, short or corrupt data, an image too large, a target that cannot
// take the image's size) yields null and leaves nothing allocated.
//
// With no target the result is a new MemoryBitmap (row alignment 4) owned by the caller; with a
// target it is resized to the image and returned. Pixels become 0xAARRGGBB with straight alpha:
// images without alpha get 255, 16-bit samples keep their high byte, grey and palette images are
// expanded to colour.

RasterBitmap* LoadPngFromMemory(const void* data, size_t size, RasterBitmap* target);

// The resource of type "PNG" with this numeric id in the module (an HMODULE on Windows; ignored
// elsewhere, where the images are built into the library).
RasterBitmap* LoadPngFromResource(void* module, int32_t id, RasterBitmap* target);
