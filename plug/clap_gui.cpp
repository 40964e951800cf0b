// The CLAP gui calls: the editor embedded in the host's window at its own fixed size.
#include <cstring>

#include "graphics/graphics_core.h"
#include "plug/clap_effect.h"
#include "plug/clap_gui.h"

namespace {

bool IsNativeApi(const char* api) {
  const char* native = clap_gui::NativeApi();
  return api && native && std::strcmp(api, native) == 0;
}

}  // namespace

bool IClapEffect::GuiIsApiSupported(const char* api, bool floating) const {
  return !floating && IsNativeApi(api) && GetEditor();
}

bool IClapEffect::GuiGetPreferredApi(const char** api, bool* floating) const {
  if (!api || !floating || !clap_gui::NativeApi() || !GetEditor()) return false;
  *api = clap_gui::NativeApi();
  *floating = false;
  return true;
}

bool IClapEffect::GuiCreate(const char* api, bool floating) {
  ExpectMainThread("gui create");
  if (guiCreated_ || !GuiIsApiSupported(api, floating)) return false;
  guiCreated_ = true;
  return true;
}

void IClapEffect::GuiDestroy() {
  GuiHide();
  guiCreated_ = false;
  guiParent_ = nullptr;
}

bool IClapEffect::GuiGetSize(uint32_t* width, uint32_t* height) const {
  const IGraphicsCore* editor = GetEditor();
  if (!guiCreated_ || !editor || !width || !height) return false;
  *width = static_cast<uint32_t>(editor->Width());
  *height = static_cast<uint32_t>(editor->Height());
  return true;
}

bool IClapEffect::GuiSetSize(uint32_t width, uint32_t height) const {
  uint32_t ownWidth = 0;
  uint32_t ownHeight = 0;
  return GuiGetSize(&ownWidth, &ownHeight) && width == ownWidth && height == ownHeight;
}

bool IClapEffect::GuiSetParent(const clap::GuiWindow* window) {
  if (!guiCreated_ || !window || !IsNativeApi(window->api)) return false;
  void* parent = clap_gui::ParentHandle(*window);
  if (!parent) return false;
  GuiHide();
  guiParent_ = parent;
  // Shown at once, as in VST 2: hosts differ on whether show follows.
  return GuiShow();
}

bool IClapEffect::GuiShow() {
  IGraphicsCore* editor = GetEditor();
  if (!guiCreated_ || !guiParent_ || !editor) return false;
  ScopedLock lock(&Lock());
  if (editor->IsWindowOpen()) return true;
  if (!editor->OpenEditorWindow(guiParent_)) return false;
  EditorOpened();
  return true;
}

bool IClapEffect::GuiHide() {
  // A hidden editor is closed: it draws and ticks for nobody, and show opens it again.
  IGraphicsCore* editor = GetEditor();
  if (!guiCreated_ || !editor) return false;
  ScopedLock lock(&Lock());
  if (editor->IsWindowOpen()) {
    EditorClosed();
    editor->CloseEditorWindow();
  }
  return true;
}
