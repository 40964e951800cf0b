// The wind engine's own cost per block: ProcessBlock beside the audio pass-through it starts with.
#include <benchmark/benchmark.h>

#include <vector>

#include "instrument/tintinna.h"

namespace {

vst2::VstTimeInfo playingTime{};
long long sentEvents = 0;

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&playingTime);
    case vst2::audioMasterProcessEvents:
      sentEvents += static_cast<const vst2::VstEvents*>(ptr)->numEvents;
      return 1;
    default:
      return 0;
  }
}

struct Rig {
  explicit Rig(int frames) : plugin(&HostCallback) {
    playingTime.sampleRate = 44100.0;
    playingTime.tempo = 120.0;
    playingTime.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
    vst2::AEffect* effect = plugin.Effect();
    effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, vst2::effSetBlockSize, 0, frames, nullptr, 0.0f);
    // Strong gusty wind: strikes, bounces and controller changes in most blocks.
    effect->setParameter(effect, Tintinna::kWindSpeed, 1.0f);
    effect->setParameter(effect, Tintinna::kWindVariation, 1.0f);
    effect->setParameter(effect, Tintinna::kSensitivity, 0.0f);
    for (int c = 0; c < 2; ++c) {
      in[c].assign(static_cast<size_t>(frames), 0.25);
      out[c].assign(static_cast<size_t>(frames), 0.0);
      inputs[c] = in[c].data();
      outputs[c] = out[c].data();
    }
    for (int i = 0; i < 2000; ++i) plugin.ProcessBlock(inputs, outputs, frames);  // wind up
  }
  Tintinna plugin;
  std::vector<double> in[2];
  std::vector<double> out[2];
  double* inputs[2];
  double* outputs[2];
};

void BM_ProcessBlock(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Rig rig(frames);
  sentEvents = 0;
  for (auto _ : state) {
    rig.plugin.ProcessBlock(rig.inputs, rig.outputs, frames);
    benchmark::ClobberMemory();
  }
  state.counters["events/block"] =
      benchmark::Counter(static_cast<double>(sentEvents) / static_cast<double>(state.iterations()));
}

void BM_PassThroughOnly(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Rig rig(frames);
  for (auto _ : state) {
    rig.plugin.PassThroughAudio(rig.inputs, rig.outputs, frames);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_ProcessBlock)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_PassThroughOnly)->Arg(32)->Arg(512)->Arg(4096);

}  // namespace
