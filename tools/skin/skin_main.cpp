// Draws the thirteen skin images and writes them as PNG files under a resources folder.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/skin/png_writer.h"
#include "tools/skin/skin_artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  for (const SkinImage& entry : SkinImageTable()) {
    const SkinImage image = DrawSkinImage(entry.id);
    const std::filesystem::path path = folder / image.path;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (!WriteRgbaPng(path.string(), image.width, image.height, image.pixels)) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%d %s %dx%d\n", image.id, image.path.c_str(), image.width, image.height);
  }
  return 0;
}
