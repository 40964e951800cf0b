// The CLAP adapter's life cycle: construction, init, activation, and the calls it makes on the
// host outside processing.
#include "plug/clap_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

IClapEffect::IClapEffect(const clap::Host* host, int parameterCount, const char* channelIO,
                         int presetCount, const char* effectName, const char* productName,
                         const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                         int latency, bool midi, bool stateChunks, bool isInstrument)
    : IEffectBase(parameterCount, channelIO, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, midi, stateChunks, isInstrument),
      record_(Methods()),
      host_(host),
      midi_(midi),
      defaults_(static_cast<size_t>(ParameterCount()), 0.0),
      paramEvents_(ParameterCount()),
      hostInputs_(static_cast<size_t>(InputCount())),
      hostOutputs_(static_cast<size_t>(OutputCount())) {
  record_.plugin_data = this;
  SetInputConnections(0, InputCount(), true);
  SetOutputConnections(0, OutputCount(), true);
}

IClapEffect::~IClapEffect() {
  CloseEditor();
}

const clap::Plugin* IClapEffect::Record(const clap::PluginDescriptor* descriptor) noexcept {
  record_.desc = descriptor;
  return &record_;
}

IClapEffect* IClapEffect::FromRecord(const clap::Plugin* plugin) noexcept {
  return plugin ? static_cast<IClapEffect*>(plugin->plugin_data) : nullptr;
}

template <class Table>
const Table* IClapEffect::HostExtension(const char* id) const {
  if (!host_ || !host_->get_extension) return nullptr;
  return static_cast<const Table*>(host_->get_extension(host_, id));
}

void IClapEffect::HostSpecificSetup() {
  SetHost(host_ ? host_->name : nullptr, 0);
  hostParams_ = HostExtension<clap::HostParams>(clap::kExtParams);
  hostLog_ = HostExtension<clap::HostLog>(clap::kExtLog);
  hostThreadCheck_ = HostExtension<clap::HostThreadCheck>(clap::kExtThreadCheck);
}

void IClapEffect::Log(clap::LogSeverity severity, const char* message) const {
  if (hostLog_ && hostLog_->log) hostLog_->log(host_, severity, message);
}

void IClapEffect::ExpectMainThread(const char* call) const {
  if (!hostThreadCheck_ || !hostThreadCheck_->is_main_thread ||
      hostThreadCheck_->is_main_thread(host_))
    return;
  char message[96];
  std::snprintf(message, sizeof message, "%s called off the main thread", call);
  Log(clap::kLogHostMisbehaving, message);
}

bool IClapEffect::Init() {
  ScopedLock lock(&Lock());
  HostSpecificSetup();
  for (int i = 0; i < ParameterCount(); ++i) defaults_[i] = GetParameter(i)->Value();
  // The settings follow the parameters only once told, as at a VST 2 open.
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
  return true;
}

void IClapEffect::Destroy() {
  GuiDestroy();
  delete this;
}

bool IClapEffect::Activate(double sampleRate, uint32_t /*minFrames*/, uint32_t maxFrames) {
  ExpectMainThread("activate");
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0 || maxFrames == 0) return false;
  ScopedLock lock(&Lock());
  SetSampleRate(sampleRate);
  // Longer calls than the scratch holds run in slices, so a huge maximum needs no huge buffer.
  SetBlockSize(static_cast<int>(std::min<uint32_t>(maxFrames, kMaxBlockSize)));
  if (GetBlockSize() <= 0) {
    Log(clap::kLogError, "no memory for the processing buffers");
    return false;
  }
  ResetProcessing();
  ActivationChanged(true);
  return true;
}

void IClapEffect::Deactivate() {
  ScopedLock lock(&Lock());
  ActivationChanged(false);
  ResetProcessing();
  // As a VST 2 suspend: no note from before sounds after the next activation, none stays on.
  Events().Suspend();
}

// Processing starts and stops within an activation, which holds everything it needs.
bool IClapEffect::StartProcessing() {
  return true;
}

void IClapEffect::StopProcessing() {}

void IClapEffect::Reset() {
  ScopedLock lock(&Lock());
  ResetProcessing();
}

void IClapEffect::RequestFlush() {
  if (flushRequested_ || !hostParams_ || !hostParams_->request_flush) return;
  if (hostThreadCheck_ && hostThreadCheck_->is_audio_thread &&
      hostThreadCheck_->is_audio_thread(host_))
    return;
  // Once per batch: the request stands until a process or flush takes the queue.
  flushRequested_ = true;
  hostParams_->request_flush(host_);
}

void IClapEffect::BeginParameterGesture(int index) {
  ScopedLock lock(&Lock());
  paramEvents_.Begin(index, changeFrame_);
  if (!inCall_) RequestFlush();
}

void IClapEffect::InformHostOfParameter(int index, double normalized) {
  ScopedLock lock(&Lock());
  const IParameter* parameter = GetParameter(index);
  if (!parameter) return;
  paramEvents_.Value(index, parameter->PlainValueFor(normalized), changeFrame_);
  if (!inCall_) RequestFlush();
}

void IClapEffect::EndParameterGesture(int index) {
  ScopedLock lock(&Lock());
  paramEvents_.End(index, changeFrame_);
  if (!inCall_) RequestFlush();
}

void IClapEffect::EditorResized(int /*width*/, int /*height*/) {}
