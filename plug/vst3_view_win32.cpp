// The VST 3 view on Windows: the editor opens as a child of the host's HWND and runs on the host's
// window thread through its own window procedure.
#include <cstring>

#include "plug/vst3_view.h"

bool Vst3View::PlatformSupported(vst3::FIDString type) {
  return type && std::strcmp(type, vst3::kPlatformTypeHWND) == 0;
}

// The window procedure runs on the host's window thread already.
bool Vst3View::TakeHostLoop() {
  return true;
}

void Vst3View::DropHostLoop() {}
