// The CLAP editor on Windows: a child of the host's HWND, run by the host's message loop.
#include "plug/clap_gui.h"

namespace clap_gui {

const char* NativeApi() noexcept {
  return clap::kWindowApiWin32;
}

void* ParentHandle(const clap::GuiWindow& window) noexcept {
  return window.win32;
}

}  // namespace clap_gui
