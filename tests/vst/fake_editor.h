// An editor that draws nothing and opens a window only when told to, for adapter tests.
#pragma once

#include "tests/graphics/recording_graphics.h"

class FakeEditor : public RecordingGraphics {
 public:
  FakeEditor(IEffectBase* plugin, int width, int height) : RecordingGraphics(plugin) {
    SetSize(width, height);
  }

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
};
