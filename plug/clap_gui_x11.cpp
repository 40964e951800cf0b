// The CLAP editor on Linux: an X11 child of the host's window.
#include <cstdint>

#include "plug/clap_gui.h"

namespace clap_gui {

// Not offered yet. A CLAP host drives a plug-in's window from its own main loop (timer-support
// every 41 ms, posix-fd-support on the X connection); the X11 editor still runs a thread of its
// own, which would call into the host from a thread the host does not know. Once the editor can
// be driven from outside, this answers "x11" and the adapter registers the timer and the fd.
const char* NativeApi() noexcept {
  return nullptr;
}

void* ParentHandle(const clap::GuiWindow& window) noexcept {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
}

}  // namespace clap_gui
