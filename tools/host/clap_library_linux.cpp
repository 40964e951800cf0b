// Linux half of the CLAP library loader: dlopen and dlsym.
#include <dlfcn.h>

#include "tools/host/clap_library.h"

namespace host {

void* ClapLibrary::Open(const std::string& absolutePath, std::string& error) {
  void* handle = dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* text = dlerror();
    error = text ? text : "unknown loader error";
  }
  return handle;
}

const void* ClapLibrary::Symbol(void* handle, const char* name) {
  return dlsym(handle, name);
}

void ClapLibrary::Close(void* handle) {
  dlclose(handle);
}

}  // namespace host
