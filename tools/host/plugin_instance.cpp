// One hosted plug-in instance: creation checks, dispatcher calls and block processing.
#include "tools/host/plugin_instance.h"

#include <algorithm>
#include <cstdio>

namespace host {

namespace {

// Hosts pass generous text buffers; plug-ins that write past the conventional sizes still fit.
constexpr size_t kTextBufferSize = 256;
// More channels than this is a broken record rather than a real plug-in.
constexpr int32_t kMaxChannels = 256;

std::string Hex(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

PluginInstance::PluginInstance(vst2::AEffect* effect, HostContext& context)
    : effect_(effect), context_(context) {
  effect_->user = &context_;
}

std::unique_ptr<PluginInstance> PluginInstance::Create(vst2::EntryProc entry, HostContext& context,
                                                       std::string& error) {
  vst2::AEffect* effect = nullptr;
  {
    HostContext::CreationScope scope(context);
    effect = entry(&HostContext::Callback);
  }
  if (effect == nullptr) {
    error = "not a VST 2 plug-in: its entry returned no effect";
    return nullptr;
  }
  // With a wrong magic nothing else in the record can be trusted, not even the close call.
  if (effect->magic != vst2::kEffectMagic) {
    error = "not a VST 2 plug-in: bad magic " + Hex(effect->magic);
    return nullptr;
  }
  if (effect->dispatcher == nullptr) {
    error = "not a VST 2 plug-in: the effect has no dispatcher";
    return nullptr;
  }
  std::unique_ptr<PluginInstance> instance(new PluginInstance(effect, context));
  if (effect->processReplacing == nullptr && effect->process == nullptr) {
    error = "the plug-in has no processing entry";
    return nullptr;  // the destructor closes it
  }
  if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 0 ||
      effect->numOutputs > kMaxChannels || effect->numParams < 0 || effect->numPrograms < 0) {
    error = "the plug-in declares impossible channel, parameter or program counts";
    return nullptr;
  }
  return instance;
}

PluginInstance::~PluginInstance() {
  if (started_) Stop();
  effect_->dispatcher(effect_, vst2::effClose, 0, 0, nullptr, 0.0f);
}

intptr_t PluginInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::Open(double sampleRate, int32_t blockSize) {
  blockSize_ = blockSize;
  // At least stereo: some plug-ins touch two channels whatever they declare.
  const size_t inputCount = static_cast<size_t>(std::max(effect_->numInputs, 2));
  const size_t outputCount = static_cast<size_t>(std::max(effect_->numOutputs, 2));
  const size_t frames = static_cast<size_t>(blockSize);
  inputs_.assign(inputCount, std::vector<float>(frames, 0.0f));
  outputs_.assign(outputCount, std::vector<float>(frames, 0.0f));
  inputPointers_.clear();
  outputPointers_.clear();
  for (auto& channel : inputs_) inputPointers_.push_back(channel.data());
  for (auto& channel : outputs_) outputPointers_.push_back(channel.data());

  Dispatch(vst2::effOpen);
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(vst2::effSetBlockSize, 0, blockSize);
}

void PluginInstance::Start() {
  Dispatch(vst2::effMainsChanged, 0, 1);
  Dispatch(vst2::effStartProcess);
  started_ = true;
}

void PluginInstance::Stop() {
  Dispatch(vst2::effStopProcess);
  Dispatch(vst2::effMainsChanged, 0, 0);
  started_ = false;
}

std::string PluginInstance::ReadText(int32_t opcode, int32_t index) {
  char text[kTextBufferSize] = {};
  Dispatch(opcode, index, 0, text);
  text[kTextBufferSize - 1] = '\0';
  return text;
}

std::string PluginInstance::ParameterName(int32_t index) {
  return ReadText(vst2::effGetParamName, index);
}

std::string PluginInstance::ParameterDisplay(int32_t index) {
  return ReadText(vst2::effGetParamDisplay, index);
}

std::string PluginInstance::ParameterLabel(int32_t index) {
  return ReadText(vst2::effGetParamLabel, index);
}

std::string PluginInstance::EffectName() {
  return ReadText(vst2::effGetEffectName, 0);
}

std::string PluginInstance::VendorName() {
  return ReadText(vst2::effGetVendorString, 0);
}

float PluginInstance::GetParameter(int32_t index) {
  return effect_->getParameter != nullptr ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginInstance::SetParameter(int32_t index, float value) {
  if (effect_->setParameter != nullptr) effect_->setParameter(effect_, index, value);
}

void PluginInstance::Process(int32_t frames) {
  frames = std::clamp(frames, 0, blockSize_);
  const size_t count = static_cast<size_t>(frames);
  // Inputs are silence every block, even if the plug-in scribbled on them.
  for (auto& channel : inputs_) std::fill_n(channel.begin(), count, 0.0f);
  if (effect_->processReplacing != nullptr) {
    effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), frames);
  } else {
    for (auto& channel : outputs_) std::fill_n(channel.begin(), count, 0.0f);
    effect_->process(effect_, inputPointers_.data(), outputPointers_.data(), frames);
  }
}

}  // namespace host
