// The audio and parameter entries of the effect record.
#include <algorithm>
#include <cmath>

#include "graphics/graphics_core.h"
#include "plug/vst_effect.h"

void IVstEffect::VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs,
                            int32_t frames) {
  IVstEffect* plugin = FromEffect(effect);
  if (!plugin || frames <= 0) return;
  ScopedLock lock(&plugin->Lock());
  plugin->ProcessFloat(inputs, outputs, frames, FloatMode::kAccumulating);
}

void IVstEffect::VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                     int32_t frames) {
  IVstEffect* plugin = FromEffect(effect);
  if (!plugin || frames <= 0) return;
  ScopedLock lock(&plugin->Lock());
  plugin->ProcessFloat(inputs, outputs, frames, FloatMode::kReplacing);
}

void IVstEffect::VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                           int32_t frames) {
  IVstEffect* plugin = FromEffect(effect);
  if (!plugin || frames <= 0) return;
  ScopedLock lock(&plugin->Lock());
  plugin->ProcessDouble(inputs, outputs, frames);
}

// A host may pass more frames than the block size it announced; the scratch buffers hold only a
// block, so such a call runs as consecutive slices, each seen by the instrument as one block.
// The events of all slices reach the host together, as the one list of this call.
void IVstEffect::ProcessFloat(float** inputs, float** outputs, int32_t frames, FloatMode mode) {
  if (midi_) CallHost(vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);
  const int block = GetBlockSize();
  if (block <= 0 || floatInputViews_.size() < static_cast<size_t>(InputCount()) ||
      floatOutputViews_.size() < static_cast<size_t>(OutputCount())) {
    DeliverEvents(frames);
    return;
  }

  processing_ = true;
  for (int32_t start = 0; start < frames; start += block) {
    const int32_t count = std::min(block, frames - start);
    for (int i = 0; i < InputCount(); ++i) {
      float* host = inputs ? inputs[i] : nullptr;
      floatInputViews_[i] = host ? host + start : silentFloat_.data();
    }
    for (int i = 0; i < OutputCount(); ++i) {
      float* host = outputs ? outputs[i] : nullptr;
      floatOutputViews_[i] = host ? host + start : ignoredFloat_.data();
    }
    sliceOffset_ = start;
    AttachInputs(floatInputViews_.data(), count);
    AttachOutputs(floatOutputViews_.data());
    if (mode == FloatMode::kReplacing)
      RunBlock(count);
    else
      RunBlockAccumulating(count);
  }
  DeliverEvents(frames);
}

void IVstEffect::ProcessDouble(double** inputs, double** outputs, int32_t frames) {
  if (midi_) CallHost(vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);
  // Unconnected channels point at block-size scratch, so double calls are sliced as well.
  const int block = GetBlockSize();
  if (block <= 0 || doubleInputViews_.size() < static_cast<size_t>(InputCount()) ||
      doubleOutputViews_.size() < static_cast<size_t>(OutputCount())) {
    DeliverEvents(frames);
    return;
  }

  processing_ = true;
  for (int32_t start = 0; start < frames; start += block) {
    const int32_t count = std::min(block, frames - start);
    bool silenceShared = false;
    for (int i = 0; i < InputCount(); ++i) {
      double* host = inputs ? inputs[i] : nullptr;
      silenceShared = silenceShared || !host;
      doubleInputViews_[i] = host ? host + start : silentDouble_.data();
    }
    for (int i = 0; i < OutputCount(); ++i) {
      double* host = outputs ? outputs[i] : nullptr;
      doubleOutputViews_[i] = host ? host + start : ignoredDouble_.data();
    }
    sliceOffset_ = start;
    AttachInputs(doubleInputViews_.data());
    AttachOutputs(doubleOutputViews_.data());
    RunBlockDouble(count);
    // The instrument sees the stand-in directly; keep it silent for the next slice.
    if (silenceShared) std::fill_n(silentDouble_.begin(), count, 0.0);
  }
  DeliverEvents(frames);
}

float IVstEffect::VSTGetParameter(vst2::AEffect* effect, int32_t index) {
  IVstEffect* plugin = FromEffect(effect);
  if (!plugin) return 0.0f;
  ScopedLock lock(&plugin->Lock());
  const IParameter* parameter = plugin->GetParameter(index);
  return parameter ? static_cast<float>(parameter->Normalized()) : 0.0f;
}

void IVstEffect::VSTSetParameter(vst2::AEffect* effect, int32_t index, float value) {
  IVstEffect* plugin = FromEffect(effect);
  // A NaN has no place in the range; values outside 0..1 are held to its ends, so an integer
  // parameter never lands below its minimum.
  if (!plugin || std::isnan(value)) return;
  ScopedLock lock(&plugin->Lock());
  IParameter* parameter = plugin->GetParameter(index);
  if (!parameter) return;
  const double normalized = std::clamp(static_cast<double>(value), 0.0, 1.0);
  if (IGraphicsCore* editor = plugin->GetEditor())
    editor->SetParameterFromPlugin(index, normalized, true);
  parameter->SetFromNormalized(normalized);
  plugin->ParameterChanged(index);
}
