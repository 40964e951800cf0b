// The library's export, clap_entry: the plug-in factory and the descriptor of its one plug-in.
// Compiled only into the plug-in module; the build names the plug-in (TINTINNA_CLAP_ID, _NAME,
// _VENDOR, _VERSION), which a host must read before any instance exists.
#include "plug/clap_entry.h"

#include <cstring>

#include "plug/clap_effect.h"
#include "plug/plugin_entry.h"

namespace {

// Where hosts list note generators: it plays notes and makes no sound, and an instrument slot
// would wait for audio from it.
constexpr const char* kFeatures[] = {clap::kFeatureNoteEffect, clap::kFeatureUtility,
                                     clap::kFeatureStereo, nullptr};

constexpr clap::PluginDescriptor kDescriptor{clap::kVersion,
                                             TINTINNA_CLAP_ID,
                                             TINTINNA_CLAP_NAME,
                                             TINTINNA_CLAP_VENDOR,
                                             "",
                                             "",
                                             "",
                                             TINTINNA_CLAP_VERSION,
                                             "",
                                             kFeatures};

uint32_t PluginCount(const clap::PluginFactory*) {
  return 1;
}

const clap::PluginDescriptor* Descriptor(const clap::PluginFactory*, uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}

const clap::Plugin* CreatePlugin(const clap::PluginFactory*, const clap::Host* host,
                                 const char* id) {
  if (!host || !id || std::strcmp(id, kDescriptor.id) != 0 ||
      !clap::VersionIsCompatible(host->clap_version))
    return nullptr;
  IClapEffect* plugin = CreatePlugin(&CreateEffectInstance, host);
  if (!plugin) return nullptr;
  return plugin->Record(&kDescriptor);
}

constexpr clap::PluginFactory kFactory{PluginCount, Descriptor, CreatePlugin};

// Nothing to set up or tear down: init may come any number of times.
bool Init(const char*) {
  return true;
}

void Deinit() {}

const void* Factory(const char* id) {
  return id && std::strcmp(id, clap::kPluginFactoryId) == 0 ? &kFactory : nullptr;
}

}  // namespace

// A data symbol, not a function; extern so that the const object is exported.
extern "C" {
TINTINNA_EXPORT extern const clap::PluginEntry clap_entry;
}
const clap::PluginEntry clap_entry{clap::kVersion, Init, Deinit, Factory};
