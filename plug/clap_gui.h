// The window system a CLAP host embeds the editor into, one answer per platform
// (clap_gui_win32.cpp, clap_gui_x11.cpp).
#pragma once

#include "plug/clap_abi.h"

namespace clap_gui {

// The window API of this platform's editor ("win32", "x11"), or null while the editor cannot be
// embedded here.
const char* NativeApi() noexcept;
// The host's window as the editor's OpenEditorWindow takes its parent.
void* ParentHandle(const clap::GuiWindow& window) noexcept;

}  // namespace clap_gui
