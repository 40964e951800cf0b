// The editor's skin artwork, drawn from code so that every image can be regenerated exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SkinImage {
  int id = 0;
  std::string path;  // relative to the resources folder
  int width = 0;
  int height = 0;                // of the whole strip
  int frames = 1;                // stacked vertically
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, straight alpha, width × height
};

// The thirteen images, ids 100 to 112 in order; pixels empty.
std::vector<SkinImage> SkinImageTable();

// Paints one image of the table. Deterministic: the same program gives the same pixels.
SkinImage DrawSkinImage(int id);
