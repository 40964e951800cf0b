// One hosted VST 3 instance: creation in Ardour's order, parameters and programs through the
// controller, state through a stream of the host's, and block processing with events, parameter
// points and the transport.
#include "tools/host/vst3_instance.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/host/vst3_host_objects.h"
#include "tools/host/vst3_midi.h"
#include "tools/host/vst3_module.h"

namespace host {

namespace {

using vst3::kResultOk;

constexpr char16_t kHostName[] = u"tintinna-host";

template <class Interface>
Interface* Query(vst3::FUnknown* object) {
  void* found = nullptr;
  if (!object || object->queryInterface(vst3::kIid<Interface>.data(), &found) != kResultOk)
    return nullptr;
  return static_cast<Interface*>(found);
}

// A text of up to capacity UTF-16 units (stopping at the first NUL) as UTF-8.
std::string Utf8(const char16_t* text, size_t capacity) {
  std::string out;
  for (size_t i = 0; i < capacity && text[i] != u'\0'; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < capacity && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // half a pair
    }
    const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out +=
        static_cast<char>(extra == 0 ? c : ((0xFF00 >> (extra + 1)) & 0xFF) | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  }
  return out;
}

template <size_t N>
std::string Text(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

// The class ID's text, the same on every system whatever the byte order of its 16 bytes.
std::string ClassIdText(const vst3::TUID cid) {
  uint8_t bytes[16];
  std::memcpy(bytes, cid, sizeof bytes);
  if (vst3::kNativeUidLayout == vst3::UidLayout::kComGuid) {
    std::reverse(bytes, bytes + 4);
    std::reverse(bytes + 4, bytes + 6);
    std::reverse(bytes + 6, bytes + 8);
  }
  std::string text;
  for (uint8_t b : bytes) text += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  return text;
}

class HostApplication final : public Vst3HostObject<vst3::IHostApplication> {
 public:
  vst3::tresult getName(vst3::String128 name) override {
    if (!name) return vst3::kInvalidArgument;
    std::memcpy(name, kHostName, sizeof kHostName);
    return kResultOk;
  }
  // No messages: a single object that is its own controller needs none.
  vst3::tresult createInstance(vst3::TUID, vst3::TUID, void** obj) override {
    if (obj) *obj = nullptr;
    return vst3::kResultFalse;
  }
};

struct Parameter {
  vst3::ParamID id = 0;
  std::string name;
  std::string units;
};

// Edits the plug-in reports are automation notices to the host.
class ComponentHandler final : public Vst3HostObject<vst3::IComponentHandler> {
 public:
  ComponentHandler(PluginHost& host, const std::vector<Parameter>& parameters)
      : host_(host), parameters_(parameters) {}
  vst3::tresult beginEdit(vst3::ParamID) override { return kResultOk; }
  vst3::tresult performEdit(vst3::ParamID id, vst3::ParamValue value) override {
    Notify(id, value);
    return kResultOk;
  }
  vst3::tresult endEdit(vst3::ParamID) override { return kResultOk; }
  vst3::tresult restartComponent(int32_t) override { return kResultOk; }

  // Unlisted parameters are the plug-in's own business, as in Ardour.
  void Notify(vst3::ParamID id, double value) {
    for (size_t i = 0; i < parameters_.size(); ++i)
      if (parameters_[i].id == id) host_.OnAutomation(static_cast<int32_t>(i), value);
  }

 private:
  PluginHost& host_;
  const std::vector<Parameter>& parameters_;
};

struct ClassFound {
  vst3::UidBytes cid{};
  PluginIdentity shown;
};

class Vst3Instance : public PluginInstance {
 public:
  Vst3Instance(std::unique_ptr<Vst3Module> module, vst3::IComponent* component,
               const ClassFound& found, PluginHost& host)
      : module_(std::move(module)),
        identity_(found.shown),
        host_(host),
        handler_(host, parameters_),
        component_(component) {}

  // Ardour's teardown: processing off, handler gone, both sides terminated and released.
  ~Vst3Instance() override {
    if (started_) Stop();
    if (processor_) processor_->release();
    if (mapping_) mapping_->release();
    if (controller_) {
      controller_->setComponentHandler(nullptr);
      controller_->terminate();
      controller_->release();
    }
    if (initialized_) component_->terminate();
    component_->release();
  }

  // Creation up to the parameter list; false with the reason in error.
  bool Initialize(std::string& error) {
    if (component_->initialize(&application_) != kResultOk) {
      error = "the plug-in refused to initialize";
      return false;
    }
    initialized_ = true;
    controller_ = Query<vst3::IEditController>(component_);
    if (!controller_) {
      error = "its controller is a class of its own, which tintinna-host does not host";
      return false;
    }
    // Ardour initializes the controller even when it is the component: the plug-in counts.
    controller_->initialize(&application_);
    if (controller_->setComponentHandler(&handler_) != kResultOk) {
      error = "the controller refused the component handler";
      return false;
    }
    processor_ = Query<vst3::IAudioProcessor>(component_);
    if (!processor_ || processor_->canProcessSampleSize(vst3::kSample32) != kResultOk) {
      error = "the plug-in has no 32-bit audio processor";
      return false;
    }
    mapping_ = Query<vst3::IMidiMapping>(controller_);
    ReadBuses();
    Vst3MemoryStream state;
    if (component_->getState(&state) == kResultOk) {
      state.position = 0;
      controller_->setComponentState(&state);
    }
    ReadParameters();
    return true;
  }

  PluginIdentity Identity() override { return identity_; }

  void Open() override {
    blockSize_ = host_.MaxBlockSize();
    for (size_t c = 0; c < channels_.size(); ++c) {
      channels_[c].assign(static_cast<size_t>(blockSize_), 0.0f);
      pointers_[c] = channels_[c].data();
    }
    vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, blockSize_, host_.SampleRate()};
    processor_->setupProcessing(setup);
  }

  void Start() override {
    component_->setActive(true);
    processor_->setProcessing(true);
    started_ = true;
  }

  void Stop() override {
    processor_->setProcessing(false);
    component_->setActive(false);
    started_ = false;
  }

  int32_t ParameterCount() override { return static_cast<int32_t>(parameters_.size()); }
  std::string ParameterName(int32_t index) override { return At(index).name; }
  std::string ParameterLabel(int32_t index) override { return At(index).units; }
  std::string ParameterDisplay(int32_t index) override {
    return DisplayOf(index, GetNormalized(index));
  }
  std::string DisplayOf(int32_t index, double normalized) override {
    vst3::String128 text = {};
    if (controller_->getParamStringByValue(At(index).id, normalized, text) != kResultOk) return {};
    return Utf8(text, 128);
  }
  double GetNormalized(int32_t index) override {
    return controller_->getParamNormalized(At(index).id);
  }
  // The plug-in is its own controller, so the processor hears the value at once.
  void SetNormalized(int32_t index, double normalized) override {
    controller_->setParamNormalized(At(index).id, normalized);
  }

  int32_t ProgramCount() override { return programCount_; }
  // Through the program-change parameter, as a host's preset menu does.
  void SetProgram(int32_t program) override {
    if (program < 0 || program >= programCount_) return;
    const double steps = std::max(programSteps_, 1);
    controller_->setParamNormalized(programId_, std::min(program / steps, 1.0));
  }

  bool GetState(std::vector<uint8_t>& bytes) override {
    Vst3MemoryStream stream;
    if (component_->getState(&stream) != kResultOk) return false;
    bytes = std::move(stream.bytes);
    return true;
  }

  // As Ardour loads a state: the component's, then the same bytes to the controller.
  bool SetState(std::span<const uint8_t> bytes) override {
    Vst3MemoryStream stream;
    stream.bytes.assign(bytes.begin(), bytes.end());
    if (component_->setState(&stream) != kResultOk) return false;
    stream.position = 0;
    controller_->setComponentState(&stream);
    return true;
  }

  // Automation as points at frame 0; notes as events and controllers through the MIDI mapping at
  // their frames; the plug-in's events turned into bytes as Ardour turns them.
  void Process(const ProcessCall& call, MidiSink& out) override {
    inEvents_.events.clear();
    outEvents_.events.clear();
    inChanges_.queues.clear();
    outChanges_.queues.clear();
    for (const ParameterChange& change : call.parameters)
      inChanges_.Add(At(change.index).id, 0, change.normalized);
    for (const MidiMessage& message : call.midiIn) Deliver(message, call.transport.ppqPosition);
    context_ = ContextOf(call);
    for (auto& channel : channels_) std::fill(channel.begin(), channel.end(), 0.0f);
    data_.numSamples = std::clamp(call.frames, 0, blockSize_);
    processor_->process(data_);
    for (Vst3ValueQueue& queue : outChanges_.queues) {
      for (const auto& point : queue.points) handler_.Notify(queue.id, point.second);
    }
    for (const vst3::Event& event : outEvents_.events) {
      MidiMessage message;
      if (event.busIndex == 0 && FromVst3Event(event, message)) {
        out.OnMidi(message);
      } else {
        out.OnOtherEvent(event.type, event.sampleOffset);
      }
    }
  }

 private:
  const Parameter& At(int32_t index) const { return parameters_[static_cast<size_t>(index)]; }

  // Every main bus on, audio buses with silent inputs and scratch outputs of their channels.
  void ReadBuses() {
    for (const vst3::BusDirection dir : {vst3::kInput, vst3::kOutput}) {
      auto& buses = dir == vst3::kInput ? inputs_ : outputs_;
      const int32_t count = std::max(component_->getBusCount(vst3::kAudio, dir), 0);
      for (int32_t i = 0; i < count; ++i) {
        vst3::BusInfo info{};
        const bool known = component_->getBusInfo(vst3::kAudio, dir, i, info) == kResultOk;
        buses.push_back({known ? std::clamp(info.channelCount, 0, 64) : 0, 0, {nullptr}});
        component_->activateBus(vst3::kAudio, dir, i, true);
      }
      for (int32_t i = 0; i < component_->getBusCount(vst3::kEvent, dir); ++i)
        component_->activateBus(vst3::kEvent, dir, i, true);
    }
    size_t total = 0;
    for (const auto& bus : inputs_) total += static_cast<size_t>(bus.numChannels);
    for (const auto& bus : outputs_) total += static_cast<size_t>(bus.numChannels);
    channels_.resize(total);
    pointers_.resize(total);
    size_t next = 0;
    for (auto* buses : {&inputs_, &outputs_}) {
      for (auto& bus : *buses) {
        bus.channelBuffers32 = pointers_.data() + next;
        next += static_cast<size_t>(bus.numChannels);
      }
    }
    data_ = {vst3::kRealtime,
             vst3::kSample32,
             0,
             static_cast<int32_t>(inputs_.size()),
             static_cast<int32_t>(outputs_.size()),
             inputs_.empty() ? nullptr : inputs_.data(),
             outputs_.empty() ? nullptr : outputs_.data(),
             &inChanges_,
             &outChanges_,
             &inEvents_,
             &outEvents_,
             &context_};
  }

  // The automatable parameters in the plug-in's order, as Ardour lists them; the program-change
  // parameter apart, with the length of its unit's program list when the plug-in names one.
  void ReadParameters() {
    const int32_t count = controller_->getParameterCount();
    vst3::UnitID programUnit = vst3::kRootUnitId;
    for (int32_t i = 0; i < count; ++i) {
      vst3::ParameterInfo info{};
      if (controller_->getParameterInfo(i, info) != kResultOk) continue;
      if ((info.flags & vst3::ParameterInfo::kIsProgramChange) && programId_ == vst3::kNoParamId) {
        programId_ = info.id;
        programSteps_ = std::max(info.stepCount, 0);
        programUnit = info.unitId;
        programCount_ = programSteps_ + 1;
      } else if (info.flags & vst3::ParameterInfo::kCanAutomate) {
        parameters_.push_back({info.id, Utf8(info.title, 128), Utf8(info.units, 128)});
      }
    }
    vst3::IUnitInfo* units = Query<vst3::IUnitInfo>(controller_);
    if (!units || programId_ == vst3::kNoParamId) {
      if (units) units->release();
      return;
    }
    for (int32_t u = 0; u < units->getUnitCount(); ++u) {
      vst3::UnitInfo unit{};
      if (units->getUnitInfo(u, unit) != kResultOk || unit.id != programUnit) continue;
      for (int32_t l = 0; l < units->getProgramListCount(); ++l) {
        vst3::ProgramListInfo list{};
        if (units->getProgramListInfo(l, list) == kResultOk && list.id == unit.programListId &&
            list.programCount > 0)
          programCount_ = std::min(list.programCount, programSteps_ + 1);
      }
    }
    units->release();
  }

  void Deliver(const MidiMessage& message, double ppq) {
    vst3::Event event;
    if (ToVst3Event(message, ppq, event)) {
      inEvents_.events.push_back(event);
      return;
    }
    vst3::CtrlNumber controller = 0;
    double value = 0.0;
    vst3::ParamID id = 0;
    if (mapping_ && ToVst3Controller(message, controller, value) &&
        mapping_->getMidiControllerAssignment(0, static_cast<int16_t>(message.status & 0x0F),
                                              controller, id) == kResultOk)
      inChanges_.Add(id, message.offset, value);
  }

  static vst3::ProcessContext ContextOf(const ProcessCall& call) {
    using Context = vst3::ProcessContext;
    const TransportState& t = call.transport;
    vst3::ProcessContext c{};
    c.state = Context::kSystemTimeValid | Context::kProjectTimeMusicValid | Context::kTempoValid |
              Context::kBarPositionValid | Context::kTimeSigValid | Context::kContTimeValid;
    if (t.playing) c.state |= Context::kPlaying;
    c.sampleRate = t.sampleRate;
    c.projectTimeSamples = t.samplePosition;
    c.systemTime = static_cast<int64_t>(static_cast<double>(t.samplePosition) / t.sampleRate * 1e9);
    c.continousTimeSamples = call.start;
    c.projectTimeMusic = t.ppqPosition;
    c.barPositionMusic = t.barStart;
    c.tempo = t.tempo;
    c.timeSigNumerator = t.numerator;
    c.timeSigDenominator = t.denominator;
    return c;
  }

  // The module unloads last, after the objects the plug-in may still hold are released.
  std::unique_ptr<Vst3Module> module_;
  PluginIdentity identity_;
  PluginHost& host_;
  std::vector<Parameter> parameters_;
  HostApplication application_;
  ComponentHandler handler_;
  vst3::IComponent* component_;
  vst3::IEditController* controller_ = nullptr;
  vst3::IAudioProcessor* processor_ = nullptr;
  vst3::IMidiMapping* mapping_ = nullptr;
  bool initialized_ = false;
  bool started_ = false;
  vst3::ParamID programId_ = vst3::kNoParamId;
  int32_t programSteps_ = 0;
  int32_t programCount_ = 0;
  int32_t blockSize_ = 0;
  std::vector<vst3::AudioBusBuffers> inputs_;
  std::vector<vst3::AudioBusBuffers> outputs_;
  std::vector<std::vector<float>> channels_;
  std::vector<float*> pointers_;
  Vst3EventList inEvents_, outEvents_;
  Vst3ParameterChanges inChanges_, outChanges_;
  vst3::ProcessContext context_{};
  vst3::ProcessData data_{};
};

// The first audio class the factory offers, with what the summary shows of it.
bool FindAudioClass(vst3::IPluginFactory& factory, ClassFound& identity) {
  vst3::PFactoryInfo factoryInfo{};
  const bool hasFactoryInfo = factory.getFactoryInfo(&factoryInfo) == kResultOk;
  auto* factory2 = Query<vst3::IPluginFactory2>(&factory);
  bool found = false;
  for (int32_t i = 0; !found && i < factory.countClasses(); ++i) {
    vst3::PClassInfo info{};
    if (factory.getClassInfo(i, &info) != kResultOk ||
        Text(info.category) != vst3::kAudioModuleClass)
      continue;
    found = true;
    std::memcpy(identity.cid.data(), info.cid, sizeof info.cid);
    identity.shown.name = Text(info.name);
    identity.shown.id = ClassIdText(info.cid);
    if (hasFactoryInfo) identity.shown.vendor = Text(factoryInfo.vendor);
    vst3::PClassInfo2 info2{};
    if (factory2 && factory2->getClassInfo2(i, &info2) == kResultOk) {
      if (info2.vendor[0] != '\0') identity.shown.vendor = Text(info2.vendor);
      identity.shown.version = Text(info2.version);
    }
  }
  if (factory2) factory2->release();
  return found;
}

}  // namespace

std::unique_ptr<PluginInstance> LoadVst3(const std::string& path, PluginHost& host,
                                         std::string& error) {
  auto module = Vst3Module::Load(path, error);
  if (!module) return nullptr;
  ClassFound identity;
  if (!FindAudioClass(module->Factory(), identity)) {
    error = path + ": the VST 3 module offers no audio class";
    return nullptr;
  }
  void* object = nullptr;
  if (module->Factory().createInstance(identity.cid.data(), vst3::kIid<vst3::IComponent>.data(),
                                       &object) != kResultOk ||
      !object) {
    error = path + ": the module could not create its audio class";
    return nullptr;
  }
  auto instance = std::make_unique<Vst3Instance>(
      std::move(module), static_cast<vst3::IComponent*>(object), identity, host);
  if (!instance->Initialize(error)) {
    error = path + ": " + error;
    return nullptr;  // the destructor takes apart what was made
  }
  return instance;
}

}  // namespace host
