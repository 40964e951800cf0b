// An abstract 32-bit bitmap: pixels are words 0xAARRGGBB with straight alpha.
#pragma once

#include <cstdint>

class RasterBitmap {
 public:
  RasterBitmap() = default;
  RasterBitmap(const RasterBitmap&) = delete;
  RasterBitmap& operator=(const RasterBitmap&) = delete;
  virtual ~RasterBitmap() = default;

  virtual uint32_t* GetBits() = 0;  // first pixel word, or null when empty
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual int32_t GetRowSpan() const = 0;  // in pixels
  virtual bool IsBottomUp() const { return false; }
  // True when the size changed.
  virtual bool Resize(int32_t width, int32_t height) = 0;
  // The platform device context (an HDC on Windows, a stand-in on Linux), or null.
  virtual void* GetDeviceContext() { return nullptr; }
  virtual intptr_t QueryExtension(int32_t /*code*/, void* /*data*/) { return 0; }
};
