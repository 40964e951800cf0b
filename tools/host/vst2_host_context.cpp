// The VST 2 host callback: identity, time information, the plug-in's events and notices.
#include "tools/host/vst2_host_context.h"

#include <cstring>
#include <string_view>

namespace host {

namespace {

thread_local Vst2HostContext* creatingContext = nullptr;

constexpr std::string_view kVendorName = "Tintinna";
constexpr std::string_view kProductName = "tintinna-host";

// The plug-in's buffer holds at least the conventional 64 bytes; never write more than that.
intptr_t CopyHostText(void* ptr, std::string_view text, size_t capacity) {
  if (ptr == nullptr) return 0;
  const size_t length = text.size() < capacity ? text.size() : capacity - 1;
  auto* out = static_cast<char*>(ptr);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
  return 1;
}

bool HostCanDo(const char* text) {
  static constexpr std::string_view kSupported[] = {"sendVstEvents", "sendVstMidiEvent",
                                                    "sendVstTimeInfo", "receiveVstEvents",
                                                    "receiveVstMidiEvent"};
  if (text == nullptr) return false;
  for (std::string_view supported : kSupported) {
    if (supported == text) return true;
  }
  return false;
}

}  // namespace

Vst2HostContext::CreationScope::CreationScope(Vst2HostContext& context)
    : previous_(creatingContext) {
  creatingContext = &context;
}

Vst2HostContext::CreationScope::~CreationScope() {
  creatingContext = previous_;
}

intptr_t Vst2HostContext::Callback(vst2::AEffect* effect, int32_t opcode, int32_t index,
                                   intptr_t value, void* ptr, float opt) {
  Vst2HostContext* context = nullptr;
  if (effect != nullptr && effect->user != nullptr) {
    context = static_cast<Vst2HostContext*>(effect->user);
  } else {
    context = creatingContext;
  }
  if (context == nullptr) {
    // Asked before any instance exists: only the version question has a context-free answer.
    return opcode == vst2::audioMasterVersion ? vst2::kVstVersion : 0;
  }
  return context->Handle(opcode, index, value, ptr, opt);
}

void Vst2HostContext::BeginCall(const TransportState& transport, MidiSink& out) {
  callTransport_ = transport;
  call_ = &out;
}

intptr_t Vst2HostContext::Handle(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
  (void)value;
  switch (opcode) {
    case vst2::audioMasterAutomate:
      host_.OnAutomation(index, opt);
      return 1;
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterWantMidi:
      return 1;
    case vst2::audioMasterGetTime:
      timeInfo_ = TimeInfoOf(call_ != nullptr ? callTransport_ : host_.CurrentTransport());
      return reinterpret_cast<intptr_t>(&timeInfo_);
    case vst2::audioMasterProcessEvents:
      return ProcessEvents(static_cast<const vst2::VstEvents*>(ptr));
    case vst2::audioMasterGetSampleRate:
      return static_cast<intptr_t>(host_.SampleRate());
    case vst2::audioMasterGetBlockSize:
      return host_.MaxBlockSize();
    case vst2::audioMasterGetCurrentProcessLevel:
      return call_ != nullptr ? 2 : 1;  // real-time inside processing, user thread otherwise
    case vst2::audioMasterGetVendorString:
      return CopyHostText(ptr, kVendorName, vst2::kVendorStringSize);
    case vst2::audioMasterGetProductString:
      return CopyHostText(ptr, kProductName, vst2::kProductStringSize);
    case vst2::audioMasterGetVendorVersion:
      return kVendorVersion;
    case vst2::audioMasterCanDo:
      return HostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case vst2::audioMasterBeginEdit:
    case vst2::audioMasterEndEdit:
      return 1;
    default:
      return 0;
  }
}

intptr_t Vst2HostContext::ProcessEvents(const vst2::VstEvents* events) {
  if (events == nullptr || events->numEvents < 0) return 0;
  MidiSink& sink = call_ != nullptr ? *call_ : host_;
  // The list is declared with two entries but holds numEvents: reach them through a pointer.
  vst2::VstEvent* const* list = &events->events[0];
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const vst2::VstEvent* event = list[i];
    if (event == nullptr) continue;
    if (event->type != vst2::kVstMidiType) {
      sink.OnOtherEvent(event->type, event->deltaFrames);
      continue;
    }
    const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
    MidiMessage message;
    message.offset = midi->deltaFrames;
    message.status = static_cast<uint8_t>(midi->midiData[0]);
    message.data1 = static_cast<uint8_t>(midi->midiData[1]);
    message.data2 = static_cast<uint8_t>(midi->midiData[2]);
    sink.OnMidi(message);
  }
  return 1;
}

vst2::VstTimeInfo TimeInfoOf(const TransportState& transport) {
  vst2::VstTimeInfo info{};
  info.samplePos = static_cast<double>(transport.samplePosition);
  info.sampleRate = transport.sampleRate;
  info.nanoSeconds = static_cast<double>(transport.samplePosition) / transport.sampleRate * 1e9;
  info.ppqPos = transport.ppqPosition;
  info.tempo = transport.tempo;
  info.barStartPos = transport.barStart;
  info.timeSigNumerator = transport.numerator;
  info.timeSigDenominator = transport.denominator;
  info.flags = vst2::kVstNanosValid | vst2::kVstPpqPosValid | vst2::kVstTempoValid |
               vst2::kVstBarsValid | vst2::kVstTimeSigValid;
  if (transport.playing) info.flags |= vst2::kVstTransportPlaying;
  if (transport.changed) info.flags |= vst2::kVstTransportChanged;
  return info;
}

}  // namespace host
