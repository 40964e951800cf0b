// A graphics core for tests: draws nothing and records the drawing calls the controls make.
#pragma once

#include <string>
#include <vector>

#include "controls/control.h"
#include "graphics/graphics_core.h"

class RecordingGraphics : public IGraphicsCore {
 public:
  struct BitmapCall {
    IImage image;
    IBounds destination;
    int sourceX;
    int sourceY;
    IBlend blend;
  };
  struct StringCall {
    ITextStyle style;
    std::string text;
    IBounds bounds;
  };
  struct EntryCall {
    IControl* control;
    IParameter* parameter;
    bool textMode;
  };

  explicit RecordingGraphics(IEffectBase* plugin, int framesPerSecond = 0)
      : IGraphicsCore(plugin, 800, 400, framesPerSecond) {}

  void ClearRecords() {
    bitmaps.clear();
    strings.clear();
    presented.clear();
  }

  void CreateSurface() override { ++surfacesCreated; }
  bool PresentArea(const IBounds& area) override {
    presented.push_back(area);
    return true;
  }
  bool DrawBitmap(const IImage& image, const IBounds& destination, int sourceX, int sourceY,
                  const IBlend* blend) override {
    bitmaps.push_back({image, destination, sourceX, sourceY, blend ? *blend : IBlend{}});
    return true;
  }
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
  bool DrawString(const ITextStyle& style, const char* text, const IBounds& bounds) override {
    strings.push_back({style, text, bounds});
    return true;
  }
  IRgba ReadPixel(int, int) override { return {}; }
  uint32_t* GetSurfacePixels() override { return nullptr; }
  void OpenValueEntry(IControl* control, IParameter* parameter, bool textMode) override {
    entries.push_back({control, parameter, textMode});
  }
  void GetHostPath(char (&path)[kPathSize]) override { path[0] = '\0'; }
  void GetModulePath(char (&path)[kPathSize]) override { path[0] = '\0'; }
  void PickFile(char (&result)[kPathSize], int, const char*, const char*) override {
    result[0] = '\0';
  }
  bool PickColour(IRgba*, const char*) override { return false; }
  bool OpenLink(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenEditorWindow(void*) override { return nullptr; }
  void CloseEditorWindow() override {}
  void* GetEditorWindow() override { return nullptr; }
  IImage LoadSkinImage(int resourceId, const char*, int frames) override {
    loadedIds.push_back(resourceId);
    IImage image = skinImage;
    image.frames = frames;
    return image;
  }
  IImage ScaleImage(const IImage& image, int, int) override { return image; }
  IImage CropImage(const IImage& image, const IBounds&) override { return image; }
  bool DrawVerticalLine(const IRgba&, int, int, int) override { return true; }
  bool DrawHorizontalLine(const IRgba&, int, int, int) override { return true; }
  void KeepImage(const IImage&) override {}
  void ReleaseImage(const IImage&) override {}
  void OpenValueMenu(IControl*, IParameter*, int) override {}

  // What LoadSkinImage hands out (its frame count is the one asked for).
  IImage skinImage{nullptr, 800, 400, 1};
  std::vector<int> loadedIds;
  std::vector<BitmapCall> bitmaps;
  std::vector<StringCall> strings;
  std::vector<EntryCall> entries;
  std::vector<IBounds> presented;
  int surfacesCreated = 0;
};
