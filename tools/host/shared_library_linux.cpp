// Linux half of the shared library: dlopen and dlsym.
#include <dlfcn.h>

#include "tools/host/shared_library.h"

namespace host {

void* SharedLibrary::Load(const std::filesystem::path& absolute, std::string& reason) {
  void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* text = dlerror();
    reason = text ? text : "unknown loader error";
  }
  return handle;
}

void SharedLibrary::Unload(void* handle) {
  dlclose(handle);
}

void* SharedLibrary::Symbol(const char* name) const {
  return dlsym(handle_, name);
}

}  // namespace host
