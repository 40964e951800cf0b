// Writes an editor surface to a PNG file.
#pragma once

#include <string>

class RasterBitmap;

namespace snapshot {

// 8-bit RGB: the surface's alpha is dropped, as it is when the window shows it. False (with a
// message in error) on any failure.
bool WriteSurfacePng(const std::string& path, RasterBitmap& surface, std::string& error);

}  // namespace snapshot
