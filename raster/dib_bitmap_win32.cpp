// The drawing surface on Windows: a GDI device-independent section in a memory device context.
#include <windows.h>

#include <limits>

#include "raster/dib_bitmap.h"

void* DibBitmap::CreateDeviceContext() {
  return CreateCompatibleDC(nullptr);
}

void DibBitmap::DeleteDeviceContext(void* deviceContext) {
  DeleteDC(static_cast<HDC>(deviceContext));
}

bool DibBitmap::CreateSection() {
  if (int64_t{allocatedWidth_} * allocatedHeight_ * 4 > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = allocatedWidth_;
  info.bmiHeader.biHeight = -allocatedHeight_;  // negative: rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  void* bits = nullptr;
  HBITMAP section =
      CreateDIBSection(static_cast<HDC>(deviceContext_), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr || bits == nullptr) {
    if (section != nullptr) DeleteObject(section);
    return false;
  }
  section_ = section;
  bits_ = static_cast<uint32_t*>(bits);
  previousObject_ = SelectObject(static_cast<HDC>(deviceContext_), section);
  return true;
}

void DibBitmap::DeleteSection() {
  if (section_ == nullptr) return;
  SelectObject(static_cast<HDC>(deviceContext_), static_cast<HGDIOBJ>(previousObject_));
  DeleteObject(static_cast<HGDIOBJ>(section_));
  section_ = nullptr;
  previousObject_ = nullptr;
  bits_ = nullptr;
}
