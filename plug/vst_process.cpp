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

void IVstEffect::ProcessFloat(float** inputs, float** outputs, int32_t frames, FloatMode mode) {
  if (midi_) CallHost(vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);
  RunFloatCall(inputs, outputs, frames, mode == FloatMode::kAccumulating);
  DeliverEvents(frames);
}

void IVstEffect::ProcessDouble(double** inputs, double** outputs, int32_t frames) {
  if (midi_) CallHost(vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);
  RunDoubleCall(inputs, outputs, frames);
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
