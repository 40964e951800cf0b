// The library's exports: VSTPluginMain, and main under the name older hosts look for.
// Compiled only into the plug-in module, never into a program.
#include "plug/vst_entry.h"

#include <mutex>
#include <new>

#include "plug/vst_effect.h"

#if defined(_WIN32)
#define TINTINNA_EXPORT __declspec(dllexport)
#else
#define TINTINNA_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// Serialises creation only; each plug-in has its own lock afterwards. Created on first use and
// destroyed at process exit.
std::mutex& CreationLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

extern "C" TINTINNA_EXPORT vst2::AEffect* VSTPluginMain(vst2::HostCallback hostCallback) {
  std::lock_guard<std::mutex> guard(CreationLock());
  IVstEffect* plugin = nullptr;
  try {
    plugin = CreateEffectInstance(hostCallback);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!plugin) return nullptr;
  plugin->EnsureOnePreset();
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
