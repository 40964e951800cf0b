// Linux half of the VST 3 module loader: dlopen, ModuleEntry and ModuleExit.
#include <dlfcn.h>

#include <filesystem>

#include "tools/host/vst3_module.h"

namespace host {

void* Vst3Module::Open(const std::string& file, std::string& error) {
  // A bare file name would send dlopen searching the library path instead of this file.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(file, ec).string();
  void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = reason ? reason : "unknown loader error";
  }
  return handle;
}

void* Vst3Module::Symbol(void* handle, const char* name) {
  return dlsym(handle, name);
}

void Vst3Module::Close(void* handle) {
  dlclose(handle);
}

bool Vst3Module::Enter(void* handle) {
  auto entry = reinterpret_cast<vst3::ModuleEntryProc>(Symbol(handle, vst3::kModuleEntryName));
  return !entry || entry(handle);
}

void Vst3Module::Exit(void* handle) {
  if (auto exit = reinterpret_cast<vst3::ModuleExitProc>(Symbol(handle, vst3::kModuleExitName)))
    exit();
}

}  // namespace host
