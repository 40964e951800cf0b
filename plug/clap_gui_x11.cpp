// The CLAP editor on Linux: an X11 child of the host's window, driven by the host's main loop.
#include <cstdint>

#include "graphics/editor_window.h"
#include "plug/clap_gui.h"

namespace clap_gui {

const char* NativeApi() noexcept {
  return clap::kWindowApiX11;
}

void* ParentHandle(const clap::GuiWindow& window) noexcept {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
}

// The host may be called only from its own threads, so the window never gets one of ours.
bool NeedsHostLoop() noexcept {
  return true;
}

bool SetHostLoop(IGraphicsCore& editor, IEditorLoop* loop) noexcept {
  auto* window = dynamic_cast<IEditorWindow*>(&editor);
  if (!window) return false;
  window->SetHostLoop(loop);
  return true;
}

}  // namespace clap_gui
