// Writing 32-bit images as 8-bit RGBA PNG files, byte for byte the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width × height words 0xAARRGGBB (straight alpha). False on any failure.
bool WriteRgbaPng(const std::string& path, int width, int height,
                  const std::vector<uint32_t>& pixels);
