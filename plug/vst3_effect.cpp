// The VST 3 object's identity and life: interfaces, reference count, initialize and terminate,
// buses, activation, processing set-up, and the host services that are not about time.
#include "plug/vst3_effect.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/graphics_core.h"
#include "plug/vst3_text.h"
#include "plug/vst3_view.h"

using vst3::kResultFalse;
using vst3::kResultOk;

IVst3Effect::IVst3Effect(HostHandle /*host*/, int parameterCount, const char* channelIO,
                         int presetCount, const char* effectName, const char* productName,
                         const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                         int latency, bool midi, bool stateChunks, bool isInstrument)
    : IEffectBase(parameterCount, channelIO, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, midi, stateChunks, isInstrument),
      cursors_(static_cast<size_t>(ParameterCount()) + 1),
      floatInputs_(static_cast<size_t>(InputCount())),
      floatOutputs_(static_cast<size_t>(OutputCount())),
      doubleInputs_(static_cast<size_t>(InputCount())),
      doubleOutputs_(static_cast<size_t>(OutputCount())),
      heldValues_(static_cast<size_t>(ParameterCount()) + 1),
      held_(heldValues_.size()),
      unreported_(heldValues_.size()),
      gestures_(static_cast<size_t>(ParameterCount())) {
  SetInputConnections(0, InputCount(), true);
  SetOutputConnections(0, OutputCount(), true);
  SetBlockSize(1024);
}

IVst3Effect::~IVst3Effect() {
  CloseEditor();
  if (handler_) handler_->release();
  if (hostContext_) hostContext_->release();
}

void IVst3Effect::CompleteCreation() {
  ScopedLock lock(&Lock());
  EnsureOnePreset();
  defaults_.resize(static_cast<size_t>(ParameterCount()));
  for (int i = 0; i < ParameterCount(); ++i) defaults_[i] = GetParameter(i)->Normalized();
}

// ---- FUnknown ----------------------------------------------------------------------------------

vst3::tresult IVst3Effect::queryInterface(const vst3::TUID iid, void** obj) {
  if (!obj) return vst3::kInvalidArgument;
  void* found = nullptr;
  // FUnknown and IPluginBase, which the component and the controller both derive from, are
  // always answered through the component.
  if (vst3::IsIid<vst3::FUnknown>(iid) || vst3::IsIid<vst3::IPluginBase>(iid) ||
      vst3::IsIid<vst3::IComponent>(iid))
    found = static_cast<vst3::IComponent*>(this);
  else if (vst3::IsIid<vst3::IAudioProcessor>(iid))
    found = static_cast<vst3::IAudioProcessor*>(this);
  else if (vst3::IsIid<vst3::IEditController>(iid))
    found = static_cast<vst3::IEditController*>(this);
  else if (vst3::IsIid<vst3::IMidiMapping>(iid))
    found = static_cast<vst3::IMidiMapping*>(this);
  else if (vst3::IsIid<vst3::IUnitInfo>(iid))
    found = static_cast<vst3::IUnitInfo*>(this);
  else if (vst3::IsIid<vst3::IProcessContextRequirements>(iid))
    found = static_cast<vst3::IProcessContextRequirements*>(this);
  *obj = found;
  if (!found) return vst3::kNoInterface;
  addRef();
  return kResultOk;
}

uint32_t IVst3Effect::addRef() {
  return references_.fetch_add(1) + 1;
}

uint32_t IVst3Effect::release() {
  const uint32_t left = references_.fetch_sub(1) - 1;
  // Each layer's destructor stops the editor before taking anything apart.
  if (left == 0) delete this;
  return left;
}

// ---- IPluginBase -------------------------------------------------------------------------------

vst3::tresult IVst3Effect::initialize(vst3::FUnknown* context) {
  ScopedLock lock(&Lock());
  if (initializeCount_++ > 0) return kResultOk;
  windowThread_ = std::this_thread::get_id();
  if (context) {
    context->addRef();
    hostContext_ = context;
    void* found = nullptr;
    if (context->queryInterface(vst3::kIid<vst3::IHostApplication>.data(), &found) == kResultOk &&
        found) {
      auto* application = static_cast<vst3::IHostApplication*>(found);
      vst3::String128 name = {};
      char product[kString128Size] = {};
      if (application->getName(name) == kResultOk) FromString16(product, sizeof product, name);
      SetHost(product, 0);
      application->release();
    }
  }
  HostSpecificSetup();
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
  return kResultOk;
}

vst3::tresult IVst3Effect::terminate() {
  ScopedLock lock(&Lock());
  if (initializeCount_ == 0 || --initializeCount_ > 0) return kResultOk;
  if (handler_) handler_->release();
  handler_ = nullptr;
  if (hostContext_) hostContext_->release();
  hostContext_ = nullptr;
  return kResultOk;
}

// ---- IComponent --------------------------------------------------------------------------------

vst3::tresult IVst3Effect::getControllerClassId(vst3::TUID /*classId*/) {
  return kResultFalse;
}

vst3::tresult IVst3Effect::setIoMode(vst3::IoMode /*mode*/) {
  return kResultOk;
}

int32_t IVst3Effect::getBusCount(vst3::MediaType type, vst3::BusDirection dir) {
  if (type == vst3::kEvent) return dir == vst3::kInput || dir == vst3::kOutput ? 1 : 0;
  if (type != vst3::kAudio) return 0;
  if (dir == vst3::kInput) return InputCount() > 0 ? 1 : 0;
  return dir == vst3::kOutput && OutputCount() > 0 ? 1 : 0;
}

vst3::tresult IVst3Effect::getBusInfo(vst3::MediaType type, vst3::BusDirection dir, int32_t index,
                                      vst3::BusInfo& bus) {
  if (index < 0 || index >= getBusCount(type, dir)) return vst3::kInvalidArgument;
  bus = {};
  bus.mediaType = type;
  bus.direction = dir;
  bus.busType = vst3::kMain;
  bus.flags = vst3::BusInfo::kDefaultActive;
  const bool input = dir == vst3::kInput;
  if (type == vst3::kEvent) {
    bus.channelCount = 16;
    ToString16(bus.name, kString128Size, input ? "MIDI In" : "MIDI Out");
  } else {
    bus.channelCount = input ? InputCount() : OutputCount();
    ToString16(bus.name, kString128Size, input ? "Input" : "Output");
  }
  return kResultOk;
}

vst3::tresult IVst3Effect::getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&) {
  return vst3::kNotImplemented;
}

vst3::tresult IVst3Effect::activateBus(vst3::MediaType type, vst3::BusDirection dir, int32_t index,
                                       vst3::TBool /*state*/) {
  // Every call sizes its work from the channels it is given, so there is nothing to switch.
  return index >= 0 && index < getBusCount(type, dir) ? kResultOk : vst3::kInvalidArgument;
}

vst3::tresult IVst3Effect::setActive(vst3::TBool state) {
  ScopedLock lock(&Lock());
  ActivationChanged(state != 0);
  if (!state) ResetProcessing();
  return kResultOk;
}

// ---- IAudioProcessor ---------------------------------------------------------------------------

vst3::SpeakerArrangement IVst3Effect::Arrangement(int channels) const noexcept {
  return channels == 1 ? vst3::kArrMono : channels == 2 ? vst3::kArrStereo : vst3::kArrEmpty;
}

vst3::tresult IVst3Effect::setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t numIns,
                                              vst3::SpeakerArrangement* outputs, int32_t numOuts) {
  // The declared layout or nothing: a host asking for another keeps getting the declared one.
  const bool same = numIns == getBusCount(vst3::kAudio, vst3::kInput) &&
                    numOuts == getBusCount(vst3::kAudio, vst3::kOutput) &&
                    (numIns == 0 || (inputs && inputs[0] == Arrangement(InputCount()))) &&
                    (numOuts == 0 || (outputs && outputs[0] == Arrangement(OutputCount())));
  return same ? kResultOk : kResultFalse;
}

vst3::tresult IVst3Effect::getBusArrangement(vst3::BusDirection dir, int32_t index,
                                             vst3::SpeakerArrangement& arr) {
  if (index < 0 || index >= getBusCount(vst3::kAudio, dir)) return vst3::kInvalidArgument;
  arr = Arrangement(dir == vst3::kInput ? InputCount() : OutputCount());
  return kResultOk;
}

vst3::tresult IVst3Effect::canProcessSampleSize(int32_t symbolicSampleSize) {
  return symbolicSampleSize == vst3::kSample32 || symbolicSampleSize == vst3::kSample64
             ? kResultOk
             : kResultFalse;
}

uint32_t IVst3Effect::getLatencySamples() {
  return static_cast<uint32_t>(std::max(GetLatency(), 0));
}

vst3::tresult IVst3Effect::setupProcessing(vst3::ProcessSetup& setup) {
  // A rate that is no rate, or a block size no scratch buffer should hold, is refused.
  if (!std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0 ||
      setup.maxSamplesPerBlock <= 0 || setup.maxSamplesPerBlock > kMaxBlockSize ||
      canProcessSampleSize(setup.symbolicSampleSize) != kResultOk)
    return vst3::kInvalidArgument;
  ScopedLock lock(&Lock());
  SetSampleRate(setup.sampleRate);
  SetBlockSize(setup.maxSamplesPerBlock);
  ResetProcessing();
  return GetBlockSize() == setup.maxSamplesPerBlock ? kResultOk : vst3::kOutOfMemory;
}

vst3::tresult IVst3Effect::setProcessing(vst3::TBool /*state*/) {
  return kResultOk;
}

uint32_t IVst3Effect::getTailSamples() {
  return vst3::kNoTail;
}

uint32_t IVst3Effect::getProcessContextRequirements() {
  using Needs = vst3::IProcessContextRequirements;
  return Needs::kNeedTransportState | Needs::kNeedTempo | Needs::kNeedTimeSignature |
         Needs::kNeedProjectTimeMusic | Needs::kNeedBarPositionMusic | Needs::kNeedCycleMusic;
}

// ---- Host services -----------------------------------------------------------------------------

bool IVst3Effect::MayCallHandler() const noexcept {
  return handler_ && call_ == nullptr && OnWindowThread();
}

void IVst3Effect::BeginParameterGesture(int index) {
  if (!handler_ || !OnWindowThread() || index < 0 || index >= ParameterCount()) return;
  if (std::exchange(gestures_[static_cast<size_t>(index)], 1)) return;
  handler_->beginEdit(static_cast<ParamID>(index));
}

void IVst3Effect::EndParameterGesture(int index) {
  if (!handler_ || !OnWindowThread() || index < 0 || index >= ParameterCount()) return;
  if (!std::exchange(gestures_[static_cast<size_t>(index)], 0)) return;
  handler_->endEdit(static_cast<ParamID>(index));
}

void IVst3Effect::InformHostOfParameter(int index, double normalized) {
  if (index < 0 || index >= ParameterCount()) return;
  if (!MayCallHandler()) {
    ReportToHost(static_cast<ParamID>(index), normalized);
    return;
  }
  // The editor sets a value on a press before it opens the press's gesture, and moves tones
  // with no gesture of their own: such an edit is a gesture by itself, so that every edit a
  // host hears of is bracketed.
  const auto id = static_cast<ParamID>(index);
  const bool alone = !gestures_[static_cast<size_t>(index)];
  if (alone) handler_->beginEdit(id);
  handler_->performEdit(id, normalized);
  if (alone) handler_->endEdit(id);
}

void IVst3Effect::ParametersReloaded() {
  if (MayCallHandler()) {
    handler_->restartComponent(vst3::kParamValuesChanged);
    return;
  }
  for (int i = 0; i < ParameterCount(); ++i)
    ReportToHost(static_cast<ParamID>(i), GetParameter(i)->Normalized());
}

void IVst3Effect::EditorResized(int /*width*/, int /*height*/) {
  if (openView_ && OnWindowThread()) openView_->FollowEditorSize();
}

// ---- The view ----------------------------------------------------------------------------------

bool IVst3Effect::AttachView(Vst3View* view, void* parent) {
  // Unlocked: the window talks to the display server, which processing must never wait for. Only
  // the window thread opens and closes views.
  if (!GetEditor() || openView_) return false;
  openView_ = view;
  if (!GetEditor()->OpenEditorWindow(parent)) {
    openView_ = nullptr;
    return false;
  }
  EditorOpened();
  return true;
}

void IVst3Effect::DetachView(Vst3View* view) {
  if (!GetEditor() || openView_ != view) return;
  EditorClosed();
  GetEditor()->CloseEditorWindow();
  openView_ = nullptr;
}
