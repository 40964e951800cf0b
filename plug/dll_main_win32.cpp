// The DLL's load notification: remembers the module so the editor finds its resources.
#include <windows.h>

#include "plug/module_handle.h"

namespace {
// Written by the load notification, before any other code of the library runs.
HINSTANCE moduleInstance = nullptr;
}  // namespace

void* ModuleHandle() noexcept {
  return moduleInstance;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    moduleInstance = instance;
    // No thread notifications: nothing here keeps per-thread state.
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
