// The drawing surface outside Windows: plain aligned memory and a stand-in device context.
#include <cstdlib>
#include <limits>
#include <new>

#include "raster/dib_bitmap.h"

namespace {

// Identifies the surface to code that only checks for a device context.
struct StandInDeviceContext {
  int32_t unused = 0;
};

constexpr size_t kSectionAlignment = 64;

}  // namespace

void* DibBitmap::CreateDeviceContext() {
  return new (std::nothrow) StandInDeviceContext;
}

void DibBitmap::DeleteDeviceContext(void* deviceContext) {
  delete static_cast<StandInDeviceContext*>(deviceContext);
}

bool DibBitmap::CreateSection() {
  const int64_t bytes = int64_t{allocatedWidth_} * allocatedHeight_ * 4;
  if (bytes <= 0 || bytes > std::numeric_limits<int32_t>::max()) return false;
  // aligned_alloc wants a multiple of the alignment.
  const auto rounded =
      (static_cast<size_t>(bytes) + kSectionAlignment - 1) & ~(kSectionAlignment - 1);
  void* memory = std::aligned_alloc(kSectionAlignment, rounded);
  if (memory == nullptr) return false;
  section_ = memory;
  bits_ = static_cast<uint32_t*>(memory);
  return true;
}

void DibBitmap::DeleteSection() {
  std::free(section_);
  section_ = nullptr;
  bits_ = nullptr;
}
