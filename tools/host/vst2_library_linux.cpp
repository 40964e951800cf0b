// Linux half of the VST 2 library loader: dlopen and dlsym.
#include <dlfcn.h>

#include <filesystem>

#include "tools/host/vst2_library.h"

namespace host {

namespace {

std::string LastLoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown loader error";
}

}  // namespace

std::unique_ptr<Vst2Library> Vst2Library::Load(const std::string& path, std::string& error) {
  std::error_code ec;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file, ec)) {
    error = path + ": no such file";
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = path + ": not a regular file";
    return nullptr;
  }
  // A bare file name would send dlopen searching the library path instead of this file.
  const std::string absolute = std::filesystem::absolute(file, ec).string();
  void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = path + ": cannot load the library: " + LastLoaderError();
    return nullptr;
  }
  for (const char* name : {"VSTPluginMain", "main"}) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (symbol != nullptr) {
      auto entry = reinterpret_cast<vst2::EntryProc>(symbol);
      return std::unique_ptr<Vst2Library>(new Vst2Library(handle, entry, name));
    }
  }
  dlclose(handle);
  error = path + ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)";
  return nullptr;
}

Vst2Library::~Vst2Library() {
  dlclose(handle_);
}

}  // namespace host
