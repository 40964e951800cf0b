// The LV2 plug-in's export: lv2_descriptor, with the state interface behind extension_data.
// Compiled only into the bundle's library, never into a program.
#include "plug/lv2_entry.h"

#include <string_view>

#include "plug/plugin_entry.h"

namespace {

ILv2Effect* Of(LV2_Handle handle) {
  return static_cast<ILv2Effect*>(handle);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
  if (!(rate > 0.0)) return nullptr;
  ILv2Effect* plugin = CreatePlugin(&CreateEffectInstance, features);
  if (!plugin) return nullptr;
  // The URIDs are mapped now or never: the audio thread may not map them.
  if (!plugin->HasUridMap()) {
    delete plugin;
    return nullptr;
  }
  plugin->Open(rate);
  return plugin;
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
  Of(handle)->ConnectPort(port, data);
}

void Activate(LV2_Handle handle) {
  Of(handle)->Activate(true);
}

void Run(LV2_Handle handle, uint32_t frames) {
  Of(handle)->Run(frames);
}

void Deactivate(LV2_Handle handle) {
  Of(handle)->Activate(false);
}

void Cleanup(LV2_Handle handle) {
  // The destructor stops an editor still open (hosts close the UI first) before anything goes.
  delete Of(handle);
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*) {
  return Of(handle)->Save(store, state);
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
  return Of(handle)->Restore(retrieve, state);
}

const void* ExtensionData(const char* uri) {
  static const LV2_State_Interface state = {&Save, &Restore};
  return std::string_view(uri) == LV2_STATE__interface ? &state : nullptr;
}

const LV2_Descriptor kDescriptor = {kLv2PluginUri, &Instantiate, &ConnectPort, &Activate,
                                    &Run,          &Deactivate,  &Cleanup,     &ExtensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
