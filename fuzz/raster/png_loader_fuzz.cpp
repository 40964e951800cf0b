// Feeds arbitrary bytes to the PNG decoder: it must reject or decode them cleanly.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "raster/blit.h"
#include "raster/memory_bitmap.h"
#include "raster/png_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<RasterBitmap> bitmap(LoadPngFromMemory(data, size, nullptr));
  if (bitmap == nullptr) return 0;
  // Touch the last pixel so that a short row table or bitmap shows up.
  GetPixel(bitmap.get(), bitmap->GetWidth() - 1, bitmap->GetHeight() - 1);
  // Loading into a reused target takes the resize path; data that failed above fails the same
  // way there, so only images that decode are worth the second pass.
  MemoryBitmap target(3, 3);
  LoadPngFromMemory(data, size, &target);
  return 0;
}
