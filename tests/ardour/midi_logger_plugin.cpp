// A VST 2 plug-in for the real-host test: passes audio through and writes every event it is
// handed, with its time, to the file named by TINTINNA_MIDI_LOG.
//
// Times come from the plug-in's own count of the frames it has processed, not from the host's
// song position: a host may repeat a position across cycles while the transport starts, but
// every instrument before this one has been run over exactly the same frames. The log keeps
// the host's position and transport state per call beside the count, for the checker.
//
// Log lines, one per processing call and one per event handed over for that call:
//   call COUNT FRAMES SAMPLEPOS PLAYING
//   midi COUNT+DELTA DELTA STATUS DATA1 DATA2
//   other COUNT+DELTA DELTA TYPE
// The file is written on the audio thread; that is acceptable for a test plug-in and keeps it
// free of threads of its own.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plug/vst2_abi.h"

namespace {

constexpr int kMaxEventsPerCall = 4096;

struct LoggedEvent {
  int32_t type;
  int32_t delta;
  unsigned char data[3];
};

struct Logger {
  vst2::AEffect effect{};
  vst2::HostCallback host = nullptr;
  std::FILE* file = nullptr;
  bool failed = false;
  long long framesSoFar = 0;
  int pendingCount = 0;
  int droppedCount = 0;
  LoggedEvent pending[kMaxEventsPerCall];
};

Logger* Self(vst2::AEffect* effect) {
  return static_cast<Logger*>(effect->object);
}

// Opened on the first processing call, so that a host's scanner, which loads the module
// without processing, leaves the log alone.
bool Open(Logger& logger) {
  if (logger.file || logger.failed) return logger.file != nullptr;
  const char* path = std::getenv("TINTINNA_MIDI_LOG");
  logger.file = path && *path ? std::fopen(path, "w") : nullptr;
  logger.failed = logger.file == nullptr;
  return !logger.failed;
}

void Copy(void* ptr, size_t size, const char* text) {
  std::snprintf(static_cast<char*>(ptr), size, "%s", text);
}

void TakeEvents(Logger& logger, const vst2::VstEvents* list) {
  if (!list) return;
  for (int32_t i = 0; i < list->numEvents; ++i) {
    const vst2::VstEvent* event = list->events[i];
    if (!event) continue;
    if (logger.pendingCount == kMaxEventsPerCall) {
      ++logger.droppedCount;
      continue;
    }
    LoggedEvent& out = logger.pending[logger.pendingCount++];
    out.type = event->type;
    out.delta = event->deltaFrames;
    std::memset(out.data, 0, sizeof out.data);
    if (event->type == vst2::kVstMidiType) {
      const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
      std::memcpy(out.data, midi->midiData, sizeof out.data);
    }
  }
}

void Write(Logger& logger, int32_t frames) {
  double samplePos = -1.0;
  int playing = -1;
  const auto* time = reinterpret_cast<const vst2::VstTimeInfo*>(
      logger.host(&logger.effect, vst2::audioMasterGetTime, 0, 0, nullptr, 0.0f));
  if (time) {
    samplePos = time->samplePos;
    playing = (time->flags & vst2::kVstTransportPlaying) != 0 ? 1 : 0;
  }
  std::FILE* f = logger.file;
  std::fprintf(f, "call %lld %d %.0f %d\n", logger.framesSoFar, frames, samplePos, playing);
  for (int i = 0; i < logger.pendingCount; ++i) {
    const LoggedEvent& e = logger.pending[i];
    const long long at = logger.framesSoFar + e.delta;
    if (e.type == vst2::kVstMidiType) {
      std::fprintf(f, "midi %lld %d %02X %02X %02X\n", at, e.delta, e.data[0], e.data[1],
                   e.data[2]);
    } else {
      std::fprintf(f, "other %lld %d %d\n", at, e.delta, e.type);
    }
  }
  if (logger.droppedCount > 0) std::fprintf(f, "dropped %d\n", logger.droppedCount);
}

void ProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  Logger& logger = *Self(effect);
  if (frames < 0) frames = 0;
  for (int c = 0; c < 2; ++c) {
    if (inputs[c] != outputs[c]) std::memmove(outputs[c], inputs[c], sizeof(float) * frames);
  }
  if (Open(logger)) Write(logger, frames);
  logger.framesSoFar += frames;
  logger.pendingCount = 0;
  logger.droppedCount = 0;
}

intptr_t Dispatcher(vst2::AEffect* effect, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  Logger& logger = *Self(effect);
  switch (opcode) {
    case vst2::effClose:
      if (logger.file) std::fclose(logger.file);
      delete &logger;
      return 1;
    case vst2::effMainsChanged:
      if (logger.file) std::fflush(logger.file);
      return 0;
    case vst2::effProcessEvents:
      TakeEvents(logger, static_cast<const vst2::VstEvents*>(ptr));
      return 1;
    case vst2::effGetPlugCategory:
      return vst2::kPlugCategEffect;
    case vst2::effGetEffectName:
      Copy(ptr, vst2::kEffectNameSize, "Tintinna Test MIDI Logger");
      return 1;
    case vst2::effGetVendorString:
      Copy(ptr, vst2::kVendorStringSize, "Tintinna Tests");
      return 1;
    case vst2::effGetProductString:
      Copy(ptr, vst2::kProductStringSize, "Tintinna Test MIDI Logger");
      return 1;
    case vst2::effGetVstVersion:
      return vst2::kVstVersion;
    case vst2::effCanDo: {
      const char* text = static_cast<const char*>(ptr);
      if (!text) return 0;
      return std::strcmp(text, "receiveVstEvents") == 0 ||
                     std::strcmp(text, "receiveVstMidiEvent") == 0
                 ? 1
                 : -1;
    }
    default:
      return 0;
  }
}

void SetParameter(vst2::AEffect*, int32_t, float) {}

float GetParameter(vst2::AEffect*, int32_t) {
  return 0.0f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(
    vst2::HostCallback host) {
  auto* logger = new Logger;
  logger->host = host;
  vst2::AEffect& e = logger->effect;
  e.magic = vst2::kEffectMagic;
  e.dispatcher = &Dispatcher;
  e.setParameter = &SetParameter;
  e.getParameter = &GetParameter;
  e.processReplacing = &ProcessReplacing;
  e.numInputs = 2;
  e.numOutputs = 2;
  e.flags = vst2::kFlagCanReplace;
  e.object = logger;
  e.uniqueID = 0x746D6C67;  // 'tmlg'
  e.version = 1;
  return &e;
}
