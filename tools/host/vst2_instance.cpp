// One hosted VST 2 instance: creation checks, dispatcher calls and block processing.
#include "tools/host/vst2_instance.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "plug/vst2_abi.h"
#include "tools/host/vst2_host_context.h"
#include "tools/host/vst2_library.h"

namespace host {

namespace {

// Hosts pass generous text buffers; plug-ins that write past the conventional sizes still fit.
constexpr size_t kTextBufferSize = 256;
// More channels than this is a broken record rather than a real plug-in.
constexpr int32_t kMaxChannels = 256;
constexpr int32_t kBankChunk = 0;

std::string Hex(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string FourCharacters(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '.';
  }
  return text;
}

class Vst2Instance : public PluginInstance {
 public:
  // Takes the effect over: from here on the destructor closes it.
  Vst2Instance(std::unique_ptr<Vst2Library> library, std::unique_ptr<Vst2HostContext> context,
               vst2::AEffect* effect, PluginHost& host)
      : library_(std::move(library)), context_(std::move(context)), effect_(effect), host_(host) {
    effect_->user = context_.get();
  }
  // Sends effClose, after which the plug-in has freed itself.
  ~Vst2Instance() override {
    if (started_) Stop();
    Dispatch(vst2::effClose);
  }

  PluginIdentity Identity() override {
    PluginIdentity identity;
    identity.name = ReadText(vst2::effGetEffectName, 0);
    identity.vendor = ReadText(vst2::effGetVendorString, 0);
    identity.id = FourCharacters(effect_->uniqueID);
    identity.version = std::to_string(effect_->version);
    return identity;
  }

  // The usual start-up of a DAW: open, sample rate, block size.
  void Open() override {
    blockSize_ = host_.MaxBlockSize();
    // At least stereo: some plug-ins touch two channels whatever they declare.
    const size_t frames = static_cast<size_t>(blockSize_);
    inputs_.assign(static_cast<size_t>(std::max(effect_->numInputs, 2)),
                   std::vector<float>(frames, 0.0f));
    outputs_.assign(static_cast<size_t>(std::max(effect_->numOutputs, 2)),
                    std::vector<float>(frames, 0.0f));
    inputPointers_.clear();
    outputPointers_.clear();
    for (auto& channel : inputs_) inputPointers_.push_back(channel.data());
    for (auto& channel : outputs_) outputPointers_.push_back(channel.data());

    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(host_.SampleRate()));
    Dispatch(vst2::effSetBlockSize, 0, blockSize_);
  }

  // Mains on and start process; the reverse on Stop.
  void Start() override {
    Dispatch(vst2::effMainsChanged, 0, 1);
    Dispatch(vst2::effStartProcess);
    started_ = true;
  }

  void Stop() override {
    Dispatch(vst2::effStopProcess);
    Dispatch(vst2::effMainsChanged, 0, 0);
    started_ = false;
  }

  int32_t ParameterCount() override { return effect_->numParams; }
  std::string ParameterName(int32_t index) override {
    return ReadText(vst2::effGetParamName, index);
  }
  std::string ParameterLabel(int32_t index) override {
    return ReadText(vst2::effGetParamLabel, index);
  }
  std::string ParameterDisplay(int32_t index) override {
    return ReadText(vst2::effGetParamDisplay, index);
  }
  std::string DisplayOf(int32_t index, double normalized) override {
    SetNormalized(index, normalized);
    return ParameterDisplay(index);
  }
  double GetNormalized(int32_t index) override {
    return effect_->getParameter != nullptr ? effect_->getParameter(effect_, index) : 0.0;
  }
  void SetNormalized(int32_t index, double normalized) override {
    if (effect_->setParameter != nullptr)
      effect_->setParameter(effect_, index, static_cast<float>(normalized));
  }

  int32_t ProgramCount() override { return effect_->numPrograms; }
  void SetProgram(int32_t program) override { Dispatch(vst2::effSetProgram, 0, program); }

  bool GetState(std::vector<uint8_t>& bytes) override {
    void* data = nullptr;
    const intptr_t size = Dispatch(vst2::effGetChunk, kBankChunk, 0, &data);
    if (size <= 0 || data == nullptr) return false;
    const auto* first = static_cast<const uint8_t*>(data);
    bytes.assign(first, first + size);
    return true;
  }

  bool SetState(std::span<const uint8_t> bytes) override {
    // The call takes a writable pointer; the caller's bytes stay untouched.
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    return Dispatch(vst2::effSetChunk, kBankChunk, static_cast<intptr_t>(copy.size()),
                    copy.data()) != 0;
  }

  // Automation through setParameter and incoming MIDI through effProcessEvents, both right
  // before processReplacing (or the accumulating entry over cleared outputs when the plug-in
  // offers no other).
  void Process(const ProcessCall& call, MidiSink& out) override {
    context_->BeginCall(call.transport, out);
    for (const ParameterChange& change : call.parameters) {
      SetNormalized(change.index, change.normalized);
    }
    if (!call.midiIn.empty()) Dispatch(vst2::effProcessEvents, 0, 0, EventList(call.midiIn));
    const int32_t frames = std::clamp(call.frames, 0, blockSize_);
    const size_t count = static_cast<size_t>(frames);
    // Inputs are silence every block, even if the plug-in scribbled on them.
    for (auto& channel : inputs_) std::fill_n(channel.begin(), count, 0.0f);
    if (effect_->processReplacing != nullptr) {
      effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), frames);
    } else {
      for (auto& channel : outputs_) std::fill_n(channel.begin(), count, 0.0f);
      effect_->process(effect_, inputPointers_.data(), outputPointers_.data(), frames);
    }
    context_->EndCall();
  }

 private:
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }

  std::string ReadText(int32_t opcode, int32_t index) {
    char text[kTextBufferSize] = {};
    Dispatch(opcode, index, 0, text);
    text[kTextBufferSize - 1] = '\0';
    return text;
  }

  // The messages as a VstEvents list, valid until the next call.
  vst2::VstEvents* EventList(std::span<const MidiMessage> messages) {
    midiEvents_.assign(messages.size(), vst2::VstMidiEvent{});
    // VstEvents declares two pointers; the list holds as many as there are events.
    const size_t bytes = sizeof(vst2::VstEvents) + messages.size() * sizeof(vst2::VstEvent*);
    listStorage_.assign(bytes / sizeof(uintptr_t) + 1, 0);
    auto* list = reinterpret_cast<vst2::VstEvents*>(listStorage_.data());
    vst2::VstEvent** pointers = &list->events[0];
    for (size_t i = 0; i < messages.size(); ++i) {
      vst2::VstMidiEvent& event = midiEvents_[i];
      event.type = vst2::kVstMidiType;
      event.byteSize = sizeof(event);
      event.deltaFrames = messages[i].offset;
      event.midiData[0] = static_cast<char>(messages[i].status);
      event.midiData[1] = static_cast<char>(messages[i].data1);
      event.midiData[2] = static_cast<char>(messages[i].data2);
      pointers[i] = reinterpret_cast<vst2::VstEvent*>(&event);
    }
    list->numEvents = static_cast<int32_t>(messages.size());
    return list;
  }

  // Destroyed in reverse: the effect is closed (in the destructor's body) before its context
  // goes, and the library unloads last.
  std::unique_ptr<Vst2Library> library_;
  std::unique_ptr<Vst2HostContext> context_;
  vst2::AEffect* effect_;
  PluginHost& host_;
  int32_t blockSize_ = 0;
  bool started_ = false;
  std::vector<std::vector<float>> inputs_;
  std::vector<std::vector<float>> outputs_;
  std::vector<float*> inputPointers_;
  std::vector<float*> outputPointers_;
  std::vector<vst2::VstMidiEvent> midiEvents_;
  std::vector<uintptr_t> listStorage_;
};

}  // namespace

std::unique_ptr<PluginInstance> LoadVst2(const std::string& path, PluginHost& host,
                                         std::string& error) {
  auto library = Vst2Library::Load(path, error);
  if (!library) return nullptr;
  auto context = std::make_unique<Vst2HostContext>(host);
  vst2::AEffect* effect = nullptr;
  {
    Vst2HostContext::CreationScope scope(*context);
    effect = library->Entry()(&Vst2HostContext::Callback);
  }
  if (effect == nullptr) {
    error = path + ": not a VST 2 plug-in: its entry returned no effect";
    return nullptr;
  }
  // With a wrong magic nothing else in the record can be trusted, not even the close call.
  if (effect->magic != vst2::kEffectMagic) {
    error = path + ": not a VST 2 plug-in: bad magic " + Hex(effect->magic);
    return nullptr;
  }
  if (effect->dispatcher == nullptr) {
    error = path + ": not a VST 2 plug-in: the effect has no dispatcher";
    return nullptr;
  }
  auto instance =
      std::make_unique<Vst2Instance>(std::move(library), std::move(context), effect, host);
  if (effect->processReplacing == nullptr && effect->process == nullptr) {
    error = path + ": the plug-in has no processing entry";
    return nullptr;  // the destructor closes it
  }
  if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 0 ||
      effect->numOutputs > kMaxChannels || effect->numParams < 0 || effect->numPrograms < 0) {
    error = path + ": the plug-in declares impossible channel, parameter or program counts";
    return nullptr;
  }
  return instance;
}

}  // namespace host
