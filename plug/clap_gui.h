// The window system a CLAP host embeds the editor into, one answer per platform
// (clap_gui_win32.cpp, clap_gui_x11.cpp).
#pragma once

#include "plug/clap_abi.h"

class IEditorLoop;
class IGraphicsCore;

namespace clap_gui {

// The window API of this platform's editor ("win32", "x11"), or null while the editor cannot be
// embedded here.
const char* NativeApi() noexcept;
// The host's window as the editor's OpenEditorWindow takes its parent.
void* ParentHandle(const clap::GuiWindow& window) noexcept;
// Whether the editor here runs from the host's main loop through a ClapEditorLoop (X11), rather
// than on the window system's messages to the host's window thread (Win32).
bool NeedsHostLoop() noexcept;
// [main] Hands the loop to the editor for its next open; false when it cannot take one.
bool SetHostLoop(IGraphicsCore& editor, IEditorLoop* loop) noexcept;

}  // namespace clap_gui
