// The CLAP method tables: the plug-in record and each extension, forwarding to the instance.
#include <cstring>

#include "plug/clap_effect.h"

namespace {

IClapEffect& Of(const clap::Plugin* plugin) {
  return *IClapEffect::FromRecord(plugin);
}

// One audio port each way: the main stereo pair, the output in place of the input.
uint32_t AudioPortCount(const clap::Plugin*, bool) {
  return 1;
}

bool AudioPortInfo(const clap::Plugin* plugin, uint32_t index, bool input,
                   clap::AudioPortInfo* info) {
  if (index != 0 || !info) return false;
  *info = clap::AudioPortInfo{};
  std::strcpy(info->name, input ? "Input" : "Output");
  info->flags = clap::kAudioPortIsMain;
  const int channels = input ? Of(plugin).InputCount() : Of(plugin).OutputCount();
  info->channel_count = static_cast<uint32_t>(channels);
  info->port_type = channels == 2 ? clap::kPortTypeStereo : nullptr;
  info->in_place_pair = 0;
  return true;
}

// One note port each way, taking both dialects and preferring MIDI: controllers exist only as
// MIDI, and every message goes out as the VST 2 build's bytes.
uint32_t NotePortCount(const clap::Plugin*, bool) {
  return 1;
}

bool NotePortInfo(const clap::Plugin*, uint32_t index, bool input, clap::NotePortInfo* info) {
  if (index != 0 || !info) return false;
  *info = clap::NotePortInfo{};
  info->supported_dialects = clap::kNoteDialectClap | clap::kNoteDialectMidi;
  info->preferred_dialect = clap::kNoteDialectMidi;
  std::strcpy(info->name, input ? "MIDI In" : "MIDI Out");
  return true;
}

constexpr clap::PluginAudioPorts kAudioPorts{AudioPortCount, AudioPortInfo};
constexpr clap::PluginNotePorts kNotePorts{NotePortCount, NotePortInfo};

constexpr clap::PluginParams kParams{
    [](const clap::Plugin* p) { return Of(p).ParamCount(); },
    [](const clap::Plugin* p, uint32_t index, clap::ParamInfo* info) {
      return Of(p).GetParamInfo(index, info);
    },
    [](const clap::Plugin* p, clap::Id id, double* value) {
      return Of(p).GetParamValue(id, value);
    },
    [](const clap::Plugin* p, clap::Id id, double value, char* text, uint32_t capacity) {
      return Of(p).ParamValueToText(id, value, text, capacity);
    },
    [](const clap::Plugin* p, clap::Id id, const char* text, double* value) {
      return Of(p).ParamTextToValue(id, text, value);
    },
    [](const clap::Plugin* p, const clap::InputEvents* in, const clap::OutputEvents* out) {
      Of(p).Flush(in, out);
    },
};

constexpr clap::PluginState kState{
    [](const clap::Plugin* p, const clap::OStream* stream) { return Of(p).SaveState(stream); },
    [](const clap::Plugin* p, const clap::IStream* stream) { return Of(p).LoadState(stream); },
};

constexpr clap::PluginLatency kLatency{[](const clap::Plugin* p) { return Of(p).Latency(); }};

constexpr clap::PluginGui kGui{
    [](const clap::Plugin* p, const char* api, bool floating) {
      return Of(p).GuiIsApiSupported(api, floating);
    },
    [](const clap::Plugin* p, const char** api, bool* floating) {
      return Of(p).GuiGetPreferredApi(api, floating);
    },
    [](const clap::Plugin* p, const char* api, bool floating) {
      return Of(p).GuiCreate(api, floating);
    },
    [](const clap::Plugin* p) { Of(p).GuiDestroy(); },
    [](const clap::Plugin*, double) { return false; },  // sizes are physical pixels, fixed
    [](const clap::Plugin* p, uint32_t* width, uint32_t* height) {
      return Of(p).GuiGetSize(width, height);
    },
    [](const clap::Plugin*) { return false; },
    [](const clap::Plugin*, clap::GuiResizeHints*) { return false; },
    [](const clap::Plugin*, uint32_t*, uint32_t*) { return false; },
    [](const clap::Plugin* p, uint32_t width, uint32_t height) {
      return Of(p).GuiSetSize(width, height);
    },
    [](const clap::Plugin* p, const clap::GuiWindow* window) { return Of(p).GuiSetParent(window); },
    [](const clap::Plugin*, const clap::GuiWindow*) { return false; },  // embedded only
    [](const clap::Plugin*, const char*) {},
    [](const clap::Plugin* p) { return Of(p).GuiShow(); },
    [](const clap::Plugin* p) { return Of(p).GuiHide(); },
};

bool Is(const char* id, const char* wanted) {
  return std::strcmp(id, wanted) == 0;
}

}  // namespace

clap::Plugin IClapEffect::Methods() noexcept {
  clap::Plugin record{};
  record.init = [](const clap::Plugin* p) { return Of(p).Init(); };
  record.destroy = [](const clap::Plugin* p) { Of(p).Destroy(); };
  record.activate = [](const clap::Plugin* p, double rate, uint32_t minFrames, uint32_t maxFrames) {
    return Of(p).Activate(rate, minFrames, maxFrames);
  };
  record.deactivate = [](const clap::Plugin* p) { Of(p).Deactivate(); };
  record.start_processing = [](const clap::Plugin* p) { return Of(p).StartProcessing(); };
  record.stop_processing = [](const clap::Plugin* p) { Of(p).StopProcessing(); };
  record.reset = [](const clap::Plugin* p) { Of(p).Reset(); };
  record.process = [](const clap::Plugin* p, const clap::Process* process) {
    return Of(p).Process(process);
  };
  record.get_extension = [](const clap::Plugin* p, const char* id) { return Of(p).Extension(id); };
  record.on_main_thread = [](const clap::Plugin*) {};
  return record;
}

const void* IClapEffect::Extension(const char* id) const {
  if (!id) return nullptr;
  if (Is(id, clap::kExtAudioPorts)) return &kAudioPorts;
  if (Is(id, clap::kExtNotePorts)) return midi_ ? &kNotePorts : nullptr;
  if (Is(id, clap::kExtParams)) return &kParams;
  if (Is(id, clap::kExtState)) return &kState;
  if (Is(id, clap::kExtLatency)) return &kLatency;
  if (Is(id, clap::kExtGui)) return GetEditor() ? &kGui : nullptr;
  return nullptr;
}
