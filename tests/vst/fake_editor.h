// An editor that draws nothing and opens a window only when told to, for adapter tests.
#pragma once

#include "graphics/graphics_core.h"

class FakeEditor : public IGraphicsCore {
 public:
  FakeEditor(IEffectBase* plugin, int width, int height)
      : IGraphicsCore(plugin, width, height, 0) {}

  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }

  void* OpenEditorWindow(void* parent) override {
    openedWith = parent;
    window = opens ? &window : nullptr;
    return window;
  }
  void CloseEditorWindow() override {
    ++closes;
    window = nullptr;
  }
  void* GetEditorWindow() override { return window; }

  bool opens = true;
  void* openedWith = nullptr;
  void* window = nullptr;
  int closes = 0;

  void CreateSurface() override {}
  bool PresentArea(const IBounds&) override { return true; }
  bool DrawBitmap(const IImage&, const IBounds&, int, int, const IBlend*) override { return true; }
  bool DrawRotatedBitmap(const IImage&, int, int, double, int, const IBlend*) override {
    return true;
  }
  bool DrawRotatedMask(const IImage&, const IImage&, const IImage&, int, int, double,
                       const IBlend*) override {
    return true;
  }
  bool DrawPoint(const IRgba&, float, float, const IBlend*, bool) override { return true; }
  bool WritePixel(const IRgba&, int, int) override { return true; }
  bool DrawLine(const IRgba&, float, float, float, float, const IBlend*, bool) override {
    return true;
  }
  bool DrawArc(const IRgba&, float, float, float, float, float, const IBlend*, bool) override {
    return true;
  }
  bool DrawCircle(const IRgba&, float, float, float, const IBlend*, bool) override { return true; }
  bool FillBounds(const IRgba&, const IBounds&, const IBlend*) override { return true; }
  bool DrawString(const ITextStyle&, const char*, const IBounds&) override { return true; }
  IRgba ReadPixel(int, int) override { return {}; }
  uint32_t* GetSurfacePixels() override { return nullptr; }
  void OpenValueEntry(IControl*, IParameter*, bool) override {}
  void GetHostPath(char (&path)[kPathSize]) override { path[0] = '\0'; }
  void GetModulePath(char (&path)[kPathSize]) override { path[0] = '\0'; }
  void PickFile(char (&result)[kPathSize], int, const char*, const char*) override {
    result[0] = '\0';
  }
  bool PickColour(IRgba*, const char*) override { return false; }
  bool OpenLink(const char*, const char*, const char*, const char*) override { return false; }
  IImage LoadSkinImage(int, const char*, int) override { return {}; }
  IImage ScaleImage(const IImage& image, int, int) override { return image; }
  IImage CropImage(const IImage& image, const IBounds&) override { return image; }
  bool DrawVerticalLine(const IRgba&, int, int, int) override { return true; }
  bool DrawHorizontalLine(const IRgba&, int, int, int) override { return true; }
  void KeepImage(const IImage&) override {}
  void ReleaseImage(const IImage&) override {}
  void OpenValueMenu(IControl*, IParameter*, int) override {}
};
