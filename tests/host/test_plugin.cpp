// A tiny VST 2 plug-in for the host's tests: a note every 1000 samples of song position, with
// parameters whose displays round, truncate, use texts and a unit, and the MIDI it receives sent
// straight back. TEST_PLUGIN_VARIANT builds the broken variants the loader must refuse.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plug/vst2_abi.h"

namespace {

constexpr int kVariant = TEST_PLUGIN_VARIANT;
constexpr int kNormal = 0;
constexpr int kMainOnly = 1;
constexpr int kBadMagic = 2;
constexpr int kNoEffect = 3;

constexpr int64_t kNoteInterval = 1000;
constexpr int64_t kNoteLength = 250;
constexpr int kParams = 4;
constexpr const char* kNames[kParams] = {"Pitch", "Steps", "Mode", "Time"};

struct TestPlugin {
  vst2::AEffect effect{};
  vst2::HostCallback host = nullptr;
  float values[kParams] = {0.0f, 0.0f, 0.0f, 0.0f};
  float chunk[kParams + 1] = {};
  vst2::VstMidiEvent received[16] = {};  // since the last processing call
  int receivedCount = 0;
  int64_t pendingOffAt = -1;  // absolute sample of the note-off still due
  int pendingNote = 0;
  double sampleRate = 0.0;

  int Pitch() const { return static_cast<int>(std::lround(values[0] * 30.0f)); }
  int Steps() const { return static_cast<int>(values[1] * 10.0f); }
  bool ModeOn() const { return values[2] >= 0.5f; }
  double Time() const { return 0.1 + values[3] * 9.9; }
};

TestPlugin* Self(vst2::AEffect* effect) {
  return static_cast<TestPlugin*>(effect->object);
}

void Send(TestPlugin& plugin, int32_t delta, int status, int data1, int data2) {
  vst2::VstMidiEvent event{};
  event.type = vst2::kVstMidiType;
  event.byteSize = sizeof(event);
  event.deltaFrames = delta;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  vst2::VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<vst2::VstEvent*>(&event);
  plugin.host(&plugin.effect, vst2::audioMasterProcessEvents, 0, 0, &list, 0.0f);
}

void Copy(void* ptr, const char* text) {
  std::snprintf(static_cast<char*>(ptr), 32, "%s", text);
}

void Display(const TestPlugin& plugin, int32_t index, char* out) {
  switch (index) {
    case 0:
      std::snprintf(out, 32, "%d", plugin.Pitch());
      break;
    case 1:
      std::snprintf(out, 32, "%d", plugin.Steps());
      break;
    case 2:
      std::snprintf(out, 32, "%s", plugin.ModeOn() ? "on" : "off");
      break;
    default:
      std::snprintf(out, 32, "%.1f", plugin.Time());
      break;
  }
}

intptr_t Dispatcher(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt) {
  TestPlugin& plugin = *Self(effect);
  switch (opcode) {
    case vst2::effClose:
      delete &plugin;
      return 1;
    case vst2::effSetSampleRate:
      plugin.sampleRate = opt;
      return 0;
    case vst2::effGetParamName:
      if (index < 0 || index >= kParams) return 0;
      Copy(ptr, kNames[index]);
      return 1;
    case vst2::effGetParamLabel:
      Copy(ptr, index == 3 ? "sec" : "");
      return 1;
    case vst2::effGetParamDisplay:
      if (index < 0 || index >= kParams) return 0;
      Display(plugin, index, static_cast<char*>(ptr));
      return 1;
    case vst2::effGetEffectName:
      Copy(ptr, "Test Ticker");
      return 1;
    case vst2::effGetVendorString:
      Copy(ptr, "Tests");
      return 1;
    case vst2::effSetProgram:
      plugin.values[0] = static_cast<float>(value) / 30.0f;
      return 0;
    case vst2::effGetChunk:
      plugin.chunk[0] = 1234.0f;
      std::memcpy(plugin.chunk + 1, plugin.values, sizeof(plugin.values));
      *static_cast<void**>(ptr) = plugin.chunk;
      return sizeof(plugin.chunk);
    case vst2::effSetChunk: {
      float incoming[kParams + 1];
      if (value != sizeof(incoming)) return 0;
      std::memcpy(incoming, ptr, sizeof(incoming));
      if (incoming[0] != 1234.0f) return 0;
      std::memcpy(plugin.values, incoming + 1, sizeof(plugin.values));
      return 1;
    }
    case vst2::effProcessEvents: {
      const auto* list = static_cast<const vst2::VstEvents*>(ptr);
      vst2::VstEvent* const* events = &list->events[0];
      for (int32_t i = 0; i < list->numEvents && plugin.receivedCount < 16; ++i) {
        plugin.received[plugin.receivedCount++] = *reinterpret_cast<vst2::VstMidiEvent*>(events[i]);
      }
      return 1;
    }
    default:
      return 0;
  }
}

void SetParameter(vst2::AEffect* effect, int32_t index, float value) {
  if (index >= 0 && index < kParams) Self(effect)->values[index] = value;
}

float GetParameter(vst2::AEffect* effect, int32_t index) {
  return index >= 0 && index < kParams ? Self(effect)->values[index] : 0.0f;
}

void ProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  TestPlugin& plugin = *Self(effect);
  for (int c = 0; c < 2; ++c) std::memcpy(outputs[c], inputs[c], sizeof(float) * frames);
  plugin.host(effect, vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);
  for (int i = 0; i < plugin.receivedCount; ++i) {
    const vst2::VstMidiEvent& in = plugin.received[i];
    Send(plugin, in.deltaFrames, static_cast<uint8_t>(in.midiData[0]), in.midiData[1],
         in.midiData[2]);
  }
  plugin.receivedCount = 0;
  const auto* time = reinterpret_cast<const vst2::VstTimeInfo*>(
      plugin.host(effect, vst2::audioMasterGetTime, 0, vst2::kVstTempoValid, nullptr, 0.0f));
  if (time == nullptr || (time->flags & vst2::kVstTransportPlaying) == 0) return;
  const auto start = static_cast<int64_t>(time->samplePos);
  const int64_t end = start + frames;
  if (plugin.ModeOn() && start % 44100 == 0) Send(plugin, 0, 0xB1, 11, plugin.Pitch());
  for (int64_t at = (start + kNoteInterval - 1) / kNoteInterval * kNoteInterval; at < end;
       at += kNoteInterval) {
    const int note = 60 + plugin.Pitch();
    if (plugin.pendingOffAt >= 0 && plugin.pendingOffAt <= at) {
      Send(plugin, static_cast<int32_t>(plugin.pendingOffAt - start), 0x80, plugin.pendingNote, 0);
    }
    Send(plugin, static_cast<int32_t>(at - start), 0x90, note, 60 + 5 * plugin.Steps());
    plugin.pendingOffAt = at + kNoteLength;
    plugin.pendingNote = note;
  }
  if (plugin.pendingOffAt >= 0 && plugin.pendingOffAt < end) {
    Send(plugin, static_cast<int32_t>(plugin.pendingOffAt - start), 0x80, plugin.pendingNote, 0);
    plugin.pendingOffAt = -1;
  }
}

vst2::AEffect* Create(vst2::HostCallback host) {
  if (kVariant == kNoEffect) return nullptr;
  // A host never closes a record with a bad magic, so that one must not own memory.
  static TestPlugin unclosable;
  auto* plugin = kVariant == kBadMagic ? &unclosable : new TestPlugin;
  plugin->host = host;
  vst2::AEffect& e = plugin->effect;
  e.magic = kVariant == kBadMagic ? 0x12345678 : vst2::kEffectMagic;
  e.dispatcher = &Dispatcher;
  e.setParameter = &SetParameter;
  e.getParameter = &GetParameter;
  e.processReplacing = &ProcessReplacing;
  e.numPrograms = 3;
  e.numParams = kParams;
  e.numInputs = 2;
  e.numOutputs = 2;
  e.flags = vst2::kFlagCanReplace | vst2::kFlagProgramChunks;
  e.object = plugin;
  e.uniqueID = 0x74657374;  // 'test'
  e.version = 7;
  // The host must answer this even before the record is handed over.
  if (host(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) != vst2::kVstVersion) {
    e.magic = 0;
  }
  return &e;
}

}  // namespace

#if TEST_PLUGIN_VARIANT == 1
extern "C" __attribute__((visibility("default"))) vst2::AEffect* TestMainEntry(
    vst2::HostCallback host) __asm__("main");
extern "C" vst2::AEffect* TestMainEntry(vst2::HostCallback host) {
  return Create(host);
}
#else
extern "C" __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(
    vst2::HostCallback host) {
  return Create(host);
}
#endif
