// What every format's entry point shares: the export attribute, and the one way a new plug-in
// is made for a host.
#pragma once

#include <mutex>
#include <new>

// The entry points a host looks up by name; everything else in a module stays hidden.
#if defined(_WIN32)
#define TINTINNA_EXPORT __declspec(dllexport)
#else
#define TINTINNA_EXPORT __attribute__((visibility("default")))
#endif

// Serialises creation only, across the module; each plug-in has its own lock afterwards.
std::mutex& PluginCreationLock();

// [host's thread] A new plug-in from the format's factory function, one creation at a time,
// with at least one preset to show; null when it refuses or memory runs out (no exception
// crosses into the host).
template <class Adapter, class Host>
Adapter* CreatePlugin(Adapter* (*create)(Host), Host host) {
  std::lock_guard<std::mutex> guard(PluginCreationLock());
  Adapter* plugin = nullptr;
  try {
    plugin = create(host);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (plugin) plugin->EnsureOnePreset();
  return plugin;
}
