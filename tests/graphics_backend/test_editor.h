// An editor for back-end tests: the Linux window layer with a surface, settable draw bounds and,
// optionally, skin images made in memory instead of decoded from the library.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "graphics/editor_window.h"
#include "raster/memory_bitmap.h"

class TestEditor : public IEditorWindow {
 public:
  explicit TestEditor(int width = 64, int height = 48) : IEditorWindow(nullptr, width, height, 0) {
    CreateSurface();
    Clear(0xFF000000u);
    SetDrawBounds({0, 0, width, height});
  }

  void SetDrawBounds(const IBounds& bounds) { drawBounds_ = bounds; }

  void Clear(uint32_t colour) {
    uint32_t* bits = GetSurfacePixels();
    const int32_t span = Surface()->GetRowSpan();
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x) bits[y * span + x] = colour;
  }
  uint32_t Pixel(int x, int y) { return ReadPixel(x, y).Packed(); }

  // Serves ids registered with AddFakeImage from memory; anything else goes to the real loader.
  RasterBitmap* LoadImageResource(int resourceId, const char* resourceName) override {
    ++loads;
    if (auto it = fakes_.find(resourceId); it != fakes_.end()) {
      auto* bitmap = new MemoryBitmap(it->second.first, it->second.second, 4);
      return bitmap;
    }
    if (useRealLoader) return IEditorWindow::LoadImageResource(resourceId, resourceName);
    return nullptr;
  }
  void AddFakeImage(int id, int width, int height) { fakes_[id] = {width, height}; }

  int loads = 0;
  bool useRealLoader = false;

 private:
  std::map<int, std::pair<int, int>> fakes_;
};

// A bitmap whose pixel (x, y) is opaque with red x and green y, and blue as given.
inline MemoryBitmap* MakeCoordinateBitmap(int width, int height, uint32_t alpha = 0xFF,
                                          uint32_t blue = 0x40) {
  auto* bitmap = new MemoryBitmap(width, height, 4);
  uint32_t* bits = bitmap->GetBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bits[y * bitmap->GetRowSpan() + x] =
          alpha << 24 | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | blue;
  return bitmap;
}
