// The plug-in's module on Linux: an address inside the shared object (resources are compiled in).
#include "plug/module_handle.h"

namespace {
const char moduleAnchor = 0;
}  // namespace

void* ModuleHandle() noexcept {
  return const_cast<char*>(&moduleAnchor);
}
