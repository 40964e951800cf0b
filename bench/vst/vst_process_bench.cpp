// processReplacing per block at 32, 512 and 4096 frames beside a plain float copy of the same
// buffers, and the cost of creating and opening an instance.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "plug/vst_effect.h"
#include "plug/vst_entry.h"

namespace {

constexpr double kSampleRate = 44100.0;

// A host whose transport plays: the instrument does its full work every block.
struct BenchHost {
  vst2::VstTimeInfo time{};
  long long events = 0;
};
BenchHost benchHost;

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&benchHost.time);
    case vst2::audioMasterProcessEvents:
      benchHost.events += static_cast<const vst2::VstEvents*>(ptr)->numEvents;
      return 1;
    default:
      return 0;
  }
}

struct Buffers {
  explicit Buffers(int frames) {
    for (int c = 0; c < 2; ++c) {
      in[c].assign(static_cast<size_t>(frames), 0.0f);
      out[c].assign(static_cast<size_t>(frames), 0.0f);
      for (int i = 0; i < frames; ++i)
        in[c][static_cast<size_t>(i)] = 0.001f * static_cast<float>(i % 1000);
      inputs[c] = in[c].data();
      outputs[c] = out[c].data();
    }
  }
  std::vector<float> in[2];
  std::vector<float> out[2];
  float* inputs[2];
  float* outputs[2];
};

intptr_t Dispatch(vst2::AEffect* effect, int32_t opcode, intptr_t value = 0, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
}

void BM_ProcessReplacing(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  benchHost.time = {};
  benchHost.time.sampleRate = kSampleRate;
  benchHost.time.tempo = 120.0;
  benchHost.time.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
  IVstEffect* plugin = CreateEffectInstance(HostCallback);
  vst2::AEffect* effect = plugin->Effect();
  Dispatch(effect, vst2::effOpen);
  Dispatch(effect, vst2::effSetSampleRate, 0, static_cast<float>(kSampleRate));
  Dispatch(effect, vst2::effSetBlockSize, frames);
  Dispatch(effect, vst2::effMainsChanged, 1);
  Buffers buffers(frames);
  benchHost.events = 0;
  for (auto _ : state) {
    effect->processReplacing(effect, buffers.inputs, buffers.outputs, frames);
    benchHost.time.samplePos += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["events"] = static_cast<double>(benchHost.events);
  Dispatch(effect, vst2::effClose);
}
BENCHMARK(BM_ProcessReplacing)->Arg(32)->Arg(512)->Arg(4096);

// The floor: what moving the same samples costs with nothing else to do.
void BM_FloatCopy(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Buffers buffers(frames);
  for (auto _ : state) {
    for (int c = 0; c < 2; ++c) std::copy_n(buffers.inputs[c], frames, buffers.outputs[c]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_FloatCopy)->Arg(32)->Arg(512)->Arg(4096);

// VSTPluginMain of the built module up to the end of effOpen.
void BM_InstanceCreation(benchmark::State& state) {
  void* module = dlopen(BENCH_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    state.SkipWithError("module not loadable");
    return;
  }
  auto entry = reinterpret_cast<vst2::EntryProc>(dlsym(module, "VSTPluginMain"));
  for (auto _ : state) {
    vst2::AEffect* effect = entry(HostCallback);
    Dispatch(effect, vst2::effOpen);
    state.PauseTiming();
    Dispatch(effect, vst2::effClose);
    state.ResumeTiming();
  }
  dlclose(module);
}
BENCHMARK(BM_InstanceCreation);

}  // namespace
