// The sizing rules of the drawing surface, shared by both platforms.
#include "raster/dib_bitmap.h"

DibBitmap::DibBitmap(int32_t width, int32_t height) : deviceContext_(CreateDeviceContext()) {
  Resize(width, height);
}

DibBitmap::DibBitmap(NoDeviceContext) {}

DibBitmap::~DibBitmap() {
  DeleteSection();
  if (deviceContext_ != nullptr) DeleteDeviceContext(deviceContext_);
}

bool DibBitmap::Resize(int32_t width, int32_t height) {
  if (deviceContext_ == nullptr) {
    width_ = 0;
    height_ = 0;
    bits_ = nullptr;
    return false;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return false;

  width_ = width;
  height_ = height;
  if (width != 0 && height != 0 && bits_ != nullptr && allocatedWidth_ >= width &&
      allocatedHeight_ >= height) {
    return true;
  }

  allocatedWidth_ = static_cast<int32_t>((int64_t{width} + 3) & ~int64_t{3});
  allocatedHeight_ = height;
  DeleteSection();
  if (width == 0 || height == 0) return false;

  if (!CreateSection()) {
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
  }
  return true;
}
