// The editor's drawing surface: a 32-bit top-down section selected into its own device context.
#pragma once

#include <cstdint>

#include "raster/raster_bitmap.h"

// On Windows the section is a GDI device-independent bitmap in a memory device context compatible
// with the screen. Elsewhere it is plain memory with the same sizing rules, and the device context
// is an opaque stand-in object that is only ever compared with null. Rows are the requested width
// rounded up to 4 pixels; shrinking keeps the section. Used on the editor (window) thread only.
class DibBitmap : public RasterBitmap {
 public:
  // Selects the constructor that behaves as if the device context could not be created.
  struct NoDeviceContext {};

  DibBitmap(int32_t width, int32_t height);
  explicit DibBitmap(NoDeviceContext);
  ~DibBitmap() override;

  uint32_t* GetBits() override { return bits_; }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetRowSpan() const override { return allocatedWidth_; }
  // False, and the bitmap left empty, when there is no device context.
  bool Resize(int32_t width, int32_t height) override;
  void* GetDeviceContext() override { return deviceContext_; }

 private:
  // Platform parts, in dib_bitmap_win32.cpp or dib_bitmap_linux.cpp.
  static void* CreateDeviceContext();
  static void DeleteDeviceContext(void* deviceContext);
  // Makes a section of allocatedWidth_ × allocatedHeight_ and selects it; false on failure.
  bool CreateSection();
  // Selects the previous object back and deletes the section, if any.
  void DeleteSection();

  int32_t width_ = 0;
  int32_t height_ = 0;
  void* deviceContext_ = nullptr;
  uint32_t* bits_ = nullptr;
  int32_t allocatedWidth_ = 0;
  int32_t allocatedHeight_ = 0;
  void* section_ = nullptr;
  void* previousObject_ = nullptr;
};
