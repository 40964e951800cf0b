// A plug-in library opened as a host opens it, closed again at the end of the scope.
#pragma once

#include <dlfcn.h>

#include "plug/vst2_abi.h"

class LoadedModule {
 public:
  explicit LoadedModule(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedModule() {
    if (handle_) dlclose(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  void* Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }
  vst2::EntryProc Entry(const char* name) const {
    return reinterpret_cast<vst2::EntryProc>(Symbol(name));
  }

 private:
  void* handle_;
};
