// The host callback: identity, time information, MIDI collection and notices.
#include "tools/host/host_callback.h"

#include <cstring>
#include <string_view>

namespace host {

namespace {

thread_local HostContext* creatingContext = nullptr;

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

HostContext::HostContext(Transport& transport, int32_t blockSize, HostObserver& observer)
    : transport_(transport), blockSize_(blockSize), observer_(observer) {}

HostContext::CreationScope::CreationScope(HostContext& context) : previous_(creatingContext) {
  creatingContext = &context;
}

HostContext::CreationScope::~CreationScope() {
  creatingContext = previous_;
}

intptr_t HostContext::Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                               void* ptr, float opt) {
  HostContext* context = nullptr;
  if (effect != nullptr && effect->user != nullptr) {
    context = static_cast<HostContext*>(effect->user);
  } else {
    context = creatingContext;
  }
  if (context == nullptr) {
    // Asked before any instance exists: only the version question has a context-free answer.
    return opcode == vst2::audioMasterVersion ? vst2::kVstVersion : 0;
  }
  return context->Handle(opcode, index, value, ptr, opt);
}

void HostContext::BeginBlock(int64_t blockStart, int32_t frames) {
  blockStart_ = blockStart;
  blockFrames_ = frames;
  lastDelta_ = 0;
  inBlock_ = true;
}

int HostContext::CloseSoundingNotes(int64_t time) {
  int closed = 0;
  for (size_t key = 0; key < sounding_.size(); ++key) {
    if (!sounding_.test(key)) continue;
    HostMidiEvent off;
    off.sampleTime = time;
    off.blockStart = time;
    off.status = static_cast<uint8_t>(0x80 | key / 128);
    off.data1 = static_cast<uint8_t>(key % 128);
    observer_.OnMidiEvent(off);
    ++closed;
  }
  sounding_.reset();
  return closed;
}

void HostContext::EndBlock() {
  inBlock_ = false;
}

intptr_t HostContext::Handle(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  (void)value;
  switch (opcode) {
    case vst2::audioMasterAutomate:
      ++automationCount_;
      observer_.OnAutomation(index, opt);
      return 1;
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterWantMidi:
      ++wantMidiCount_;
      return 1;
    case vst2::audioMasterGetTime:
      timeInfo_ = transport_.TimeInfo();
      return reinterpret_cast<intptr_t>(&timeInfo_);
    case vst2::audioMasterProcessEvents:
      return ProcessEvents(static_cast<const vst2::VstEvents*>(ptr));
    case vst2::audioMasterGetSampleRate:
      return static_cast<intptr_t>(transport_.SampleRate());
    case vst2::audioMasterGetBlockSize:
      return blockSize_;
    case vst2::audioMasterGetCurrentProcessLevel:
      return inBlock_ ? 2 : 1;  // real-time inside processing, user thread otherwise
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

intptr_t HostContext::ProcessEvents(const vst2::VstEvents* events) {
  if (events == nullptr || events->numEvents < 0) return 0;
  const int64_t base = inBlock_ ? blockStart_ : transport_.SamplePosition();
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const vst2::VstEvent* event = events->events[i];
    if (event == nullptr) continue;
    const int32_t delta = event->deltaFrames;
    if (!inBlock_ || delta < 0 || delta >= blockFrames_) {
      ++delivery_.outsideCall;
    } else if (delta < lastDelta_) {
      ++delivery_.outOfOrder;
    } else {
      lastDelta_ = delta;
    }
    const int64_t sampleTime = base + event->deltaFrames;
    if (event->type != vst2::kVstMidiType) {
      observer_.OnOtherEvent(event->type, sampleTime);
      continue;
    }
    const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
    HostMidiEvent out;
    out.sampleTime = sampleTime;
    out.blockStart = base;
    out.deltaFrames = midi->deltaFrames;
    out.status = static_cast<uint8_t>(midi->midiData[0]);
    out.data1 = static_cast<uint8_t>(midi->midiData[1]);
    out.data2 = static_cast<uint8_t>(midi->midiData[2]);
    if (out.IsNoteOn() || out.IsNoteOff())
      sounding_.set(static_cast<size_t>(out.Channel() * 128 + (out.data1 & 0x7F)), out.IsNoteOn());
    observer_.OnMidiEvent(out);
  }
  return 1;
}

}  // namespace host
