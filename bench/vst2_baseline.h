// The VST 2 build's processReplacing per block: the yardstick each other format's bench runs
// beside, in the same run. The module is loaded from its file as hosts load it, the transport
// plays (so the instrument does its full work every block) and both inputs carry a ramp.
#pragma once

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstddef>
#include <vector>

#include "plug/vst2_abi.h"

namespace bench {

inline constexpr double kSampleRate = 44100.0;

// The same input in every benchmark: a ramp.
inline void FillRamp(float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) samples[i] = 0.001f * static_cast<float>(i % 1000);
}

// Stereo in and out, the input a ramp.
struct StereoBuffers {
  explicit StereoBuffers(int frames) : samples(4, std::vector<float>(static_cast<size_t>(frames))) {
    for (int c = 0; c < 4; ++c) pointers[c] = samples[c].data();
    for (int c = 0; c < 2; ++c) FillRamp(pointers[c], samples[c].size());
  }
  float** In() { return pointers; }
  float** Out() { return pointers + 2; }

  std::vector<std::vector<float>> samples;
  float* pointers[4];
};

namespace vst2_host {

inline vst2::VstTimeInfo time{};
inline long long events = 0;

inline intptr_t Callback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&time);
    case vst2::audioMasterProcessEvents:
      events += static_cast<const vst2::VstEvents*>(ptr)->numEvents;
      return 1;
    default:
      return 0;
  }
}

}  // namespace vst2_host

// The benchmark body: state.range(0) frames per call; counts the events the host was sent.
inline void RunVst2ProcessReplacing(benchmark::State& state, const char* modulePath) {
  const int frames = static_cast<int>(state.range(0));
  void* module = dlopen(modulePath, RTLD_NOW | RTLD_LOCAL);
  auto entry = module ? reinterpret_cast<vst2::EntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
  if (!entry) return state.SkipWithError("VST 2 module not loadable");
  vst2_host::time = {};
  vst2_host::time.sampleRate = kSampleRate;
  vst2_host::time.tempo = 120.0;
  vst2_host::time.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
  vst2::AEffect* effect = entry(vst2_host::Callback);
  auto dispatch = [effect](int32_t opcode, intptr_t value, float opt) {
    return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
  };
  dispatch(vst2::effOpen, 0, 0.0f);
  dispatch(vst2::effSetSampleRate, 0, static_cast<float>(kSampleRate));
  dispatch(vst2::effSetBlockSize, frames, 0.0f);
  dispatch(vst2::effMainsChanged, 1, 0.0f);
  StereoBuffers buffers(frames);
  vst2_host::events = 0;
  for (auto _ : state) {
    effect->processReplacing(effect, buffers.In(), buffers.Out(), frames);
    vst2_host::time.samplePos += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["events"] = static_cast<double>(vst2_host::events);
  dispatch(vst2::effClose, 0, 0.0f);
  dlclose(module);
}

}  // namespace bench
