// The recording test host.
#include "tests/vst/recording_host.h"

#include <algorithm>
#include <cstring>

namespace {
RecordingHost* current = nullptr;
}  // namespace

RecordingHost::RecordingHost() {
  calls.reserve(4096);
  events.reserve(4096);
  timeMasks.reserve(4096);
  current = this;
}

RecordingHost::~RecordingHost() {
  if (current == this) current = nullptr;
}

intptr_t RecordingHost::Callback(vst2::AEffect* /*effect*/, int32_t opcode, int32_t index,
                                 intptr_t value, void* ptr, float opt) {
  return current ? current->Answer(opcode, index, value, ptr, opt) : 0;
}

intptr_t RecordingHost::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
  if (recording) calls.push_back({opcode, index, value, opt});
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterGetTime:
      if (recording) timeMasks.push_back(static_cast<int32_t>(value));
      return hasTime ? reinterpret_cast<intptr_t>(&time) : 0;
    case vst2::audioMasterProcessEvents: {
      const auto* list = static_cast<const vst2::VstEvents*>(ptr);
      for (int32_t i = 0; recording && list && i < list->numEvents; ++i) {
        const vst2::VstEvent* event = (&list->events[0])[i];
        ReceivedEvent received{event->type, event->byteSize, event->deltaFrames, {}, event, {}};
        if (event->type == vst2::kVstMidiType) {
          const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
          for (int b = 0; b < 3; ++b) received.bytes[b] = static_cast<uint8_t>(midi->midiData[b]);
        } else if (event->type == vst2::kVstSysExType) {
          const auto* sysex = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
          received.dump.assign(sysex->sysexDump, static_cast<size_t>(sysex->dumpBytes));
        }
        events.push_back(received);
      }
      return processEventsAnswer;
    }
    case vst2::audioMasterGetProductString:
      if (ptr) std::strcpy(static_cast<char*>(ptr), product.c_str());
      return product.empty() ? 0 : 1;
    case vst2::audioMasterGetVendorVersion:
      return vendorVersion;
    case vst2::audioMasterCanDo:
      return ptr && std::find(capabilities.begin(), capabilities.end(),
                              static_cast<const char*>(ptr)) != capabilities.end();
    default:
      return 0;
  }
}

int RecordingHost::Count(int32_t opcode) const {
  return static_cast<int>(std::count_if(
      calls.begin(), calls.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

void RecordingHost::Clear() {
  calls.clear();
  events.clear();
  timeMasks.clear();
}
