// The library's exports: VSTPluginMain, and main under the name older hosts look for.
// Compiled only into the plug-in module, never into a program.
#include "plug/vst_entry.h"

#include "plug/plugin_entry.h"
#include "plug/vst_effect.h"

extern "C" TINTINNA_EXPORT vst2::AEffect* VSTPluginMain(vst2::HostCallback hostCallback) {
  IVstEffect* plugin = CreatePlugin(&CreateEffectInstance, hostCallback);
  if (!plugin) return nullptr;
  vst2::AEffect* effect = plugin->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

// A C++ program may not name a function main, so the export gets its name from the assembler.
#if defined(_WIN32) && !defined(_WIN64)
extern "C" TINTINNA_EXPORT vst2::AEffect* VSTPluginMainLegacy(vst2::HostCallback) asm("_main");
#else
extern "C" TINTINNA_EXPORT vst2::AEffect* VSTPluginMainLegacy(vst2::HostCallback) asm("main");
#endif

extern "C" vst2::AEffect* VSTPluginMainLegacy(vst2::HostCallback hostCallback) {
  return VSTPluginMain(hostCallback);
}
