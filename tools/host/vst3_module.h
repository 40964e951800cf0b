// Loads a VST 3 module, from its bundle or as a single file, and holds its factory. The system's
// half (loading, symbols, the module's entry and exit calls) lives in vst3_module_linux.cpp and
// vst3_module_win32.cpp.
#pragma once

#include <memory>
#include <string>

#include "plug/vst3_abi.h"

namespace host {

class Vst3Module {
 public:
  // path is a NAME.vst3 bundle folder, whose module is Contents/<system folder>/NAME<suffix>, or
  // the module file itself (the older single-file form). Loads the module, calls its entry
  // (ModuleEntry on Linux, InitDll on Windows, when exported) and takes its factory. On failure
  // returns null with a one-line reason that starts with the path.
  static std::unique_ptr<Vst3Module> Load(const std::string& path, std::string& error);

  // Releases the factory, calls the module's exit (ModuleExit, ExitDll) and unloads it: every
  // object it created must be gone by then.
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  vst3::IPluginFactory& Factory() const { return *factory_; }

 private:
  Vst3Module(void* handle, vst3::IPluginFactory* factory) : handle_(handle), factory_(factory) {}

  // Per system. Open returns null with error set to the loader's reason.
  static void* Open(const std::string& file, std::string& error);
  static void* Symbol(void* handle, const char* name);
  static void Close(void* handle);
  // The entry call, true when the module has none; and the exit call.
  static bool Enter(void* handle);
  static void Exit(void* handle);

  void* handle_;
  vst3::IPluginFactory* factory_;
};

}  // namespace host
