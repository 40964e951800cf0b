// The VST 3 module's exports: GetPluginFactory, and the load and unload notifications each system's
// hosts look for. Compiled only into the plug-in module.
#include "plug/vst3_entry.h"

#include "plug/plugin_entry.h"
#include "plug/vst3_factory.h"

namespace {

// Created on first use, destroyed at unload; every host reference is counted on it.
Vst3Factory& ModuleFactory() {
  static Vst3Factory factory(&CreateEffectInstance);
  return factory;
}

}  // namespace

extern "C" TINTINNA_EXPORT vst3::IPluginFactory* GetPluginFactory() {
  Vst3Factory& factory = ModuleFactory();
  factory.addRef();
  return &factory;
}

// Nothing to set up or tear down: the factory and every instance carry their own state. Ardour
// refuses a Linux module without both, and calls the Windows pair when present.
#if defined(_WIN32)
extern "C" TINTINNA_EXPORT bool InitDll() {
  return true;
}
extern "C" TINTINNA_EXPORT bool ExitDll() {
  return true;
}
#else
extern "C" TINTINNA_EXPORT bool ModuleEntry(void* /*sharedLibraryHandle*/) {
  return true;
}
extern "C" TINTINNA_EXPORT bool ModuleExit() {
  return true;
}
#endif
