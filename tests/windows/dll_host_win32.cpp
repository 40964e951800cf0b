// The test host's Windows half: the library is loaded and entered exactly as a Windows host does.
#include <windows.h>

#include <cstring>

#include "tests/windows/dll_host.h"

namespace {
// The host being created: during VSTPluginMain the plug-in may call back before it has a record.
DllHost* constructing = nullptr;
constexpr double kTempo = 120.0;
}  // namespace

DllHost::DllHost(const std::string& dllPath) : module_(LoadLibraryA(dllPath.c_str())) {}

DllHost::~DllHost() {
  Close();
  if (module_ != nullptr) FreeLibrary(static_cast<HMODULE>(module_));
}

void* DllHost::Export(const char* name) const {
  if (module_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

vst2::AEffect* DllHost::Create(const char* exportName) {
  auto entry = reinterpret_cast<vst2::EntryProc>(Export(exportName));
  if (entry == nullptr || effect_ != nullptr) return nullptr;
  constructing = this;
  effect_ = entry(&DllHost::Callback);
  constructing = nullptr;
  if (effect_ != nullptr) effect_->user = this;
  return effect_;
}

intptr_t DllHost::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void DllHost::Start(float sampleRate, int32_t blockSize) {
  sampleRate_ = sampleRate;
  Dispatch(vst2::effOpen);
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(vst2::effSetBlockSize, 0, blockSize);
  Dispatch(vst2::effMainsChanged, 0, 1);
}

void DllHost::Close() {
  if (effect_ == nullptr) return;
  Dispatch(vst2::effMainsChanged, 0, 0);
  Dispatch(vst2::effClose);
  effect_ = nullptr;
}

std::string DllHost::ParameterName(int32_t index) {
  char text[256] = {};
  Dispatch(vst2::effGetParamName, index, 0, text);
  return text;
}

std::string DllHost::ParameterDisplay(int32_t index) {
  char text[256] = {};
  Dispatch(vst2::effGetParamDisplay, index, 0, text);
  return text;
}

void DllHost::Process(int32_t frames) {
  float* in[2];
  float* out[2];
  for (int c = 0; c < 2; ++c) {
    inputs_[c].resize(frames);
    outputs_[c].assign(frames, -99.0f);
    for (int32_t i = 0; i < frames; ++i) {
      inputs_[c][i] = static_cast<float>((samplePosition_ + i) % 1000) / 1000.0f - 0.5f * c;
    }
    in[c] = inputs_[c].data();
    out[c] = outputs_[c].data();
  }
  effect_->processReplacing(effect_, in, out, frames);
  if (playing_) samplePosition_ += frames;
}

intptr_t DllHost::Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt) {
  DllHost* host = effect != nullptr && effect->user != nullptr ? static_cast<DllHost*>(effect->user)
                                                               : constructing;
  if (host == nullptr) return opcode == vst2::audioMasterVersion ? vst2::kVstVersion : 0;
  return host->Answer(opcode, index, value, ptr, opt);
}

intptr_t DllHost::Answer(int32_t opcode, int32_t index, intptr_t /*value*/, void* ptr, float opt) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterAutomate:
    case vst2::audioMasterBeginEdit:
    case vst2::audioMasterEndEdit:
      notices.push_back({opcode, index, opt});
      return 1;
    case vst2::audioMasterGetTime: {
      timeInfo_ = {};
      timeInfo_.samplePos = static_cast<double>(samplePosition_);
      timeInfo_.sampleRate = sampleRate_;
      timeInfo_.tempo = kTempo;
      timeInfo_.ppqPos = samplePosition_ / static_cast<double>(sampleRate_) * kTempo / 60.0;
      timeInfo_.barStartPos = static_cast<int64_t>(timeInfo_.ppqPos / 4.0) * 4.0;
      timeInfo_.timeSigNumerator = 4;
      timeInfo_.timeSigDenominator = 4;
      timeInfo_.flags = vst2::kVstTempoValid | vst2::kVstPpqPosValid | vst2::kVstBarsValid |
                        vst2::kVstTimeSigValid | (playing_ ? vst2::kVstTransportPlaying : 0);
      return reinterpret_cast<intptr_t>(&timeInfo_);
    }
    case vst2::audioMasterProcessEvents: {
      const auto* events = static_cast<const vst2::VstEvents*>(ptr);
      if (events == nullptr) return 0;
      for (int32_t i = 0; i < events->numEvents; ++i) {
        const vst2::VstEvent* event = events->events[i];
        if (event == nullptr || event->type != vst2::kVstMidiType) continue;
        const auto* m = reinterpret_cast<const vst2::VstMidiEvent*>(event);
        midi.push_back({samplePosition_ + m->deltaFrames, static_cast<uint8_t>(m->midiData[0]),
                        static_cast<uint8_t>(m->midiData[1]),
                        static_cast<uint8_t>(m->midiData[2])});
      }
      return 1;
    }
    case vst2::audioMasterSizeWindow:
      ++sizeWindowRequests;
      return 1;
    case vst2::audioMasterGetSampleRate:
      return static_cast<intptr_t>(sampleRate_);
    case vst2::audioMasterGetVendorString:
      if (ptr != nullptr) std::strcpy(static_cast<char*>(ptr), "Tintinna tests");
      return 1;
    case vst2::audioMasterGetProductString:
      if (ptr != nullptr) std::strcpy(static_cast<char*>(ptr), "Wine test host");
      return 1;
    default:
      return 0;
  }
}
