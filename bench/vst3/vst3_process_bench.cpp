// The VST 3 process call per block at 32, 512 and 4096 frames, beside the VST 2 build's
// processReplacing and a plain float copy of the same buffers, in one run. Both builds are loaded
// from their modules through their entry points, as hosts load them.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "plug/vst2_abi.h"
#include "plug/vst3_abi.h"
#include "tests/vst3/vst3_test_host.h"

namespace {

constexpr double kSampleRate = 44100.0;

// The same input in every benchmark: a ramp on both channels.
void FillInput(std::vector<float>& channel) {
  for (size_t i = 0; i < channel.size(); ++i) channel[i] = 0.001f * static_cast<float>(i % 1000);
}

// A VST 2 host whose transport plays: the instrument does its full work every block.
vst2::VstTimeInfo vst2Time{};
long long vst2Events = 0;

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&vst2Time);
    case vst2::audioMasterProcessEvents:
      vst2Events += static_cast<const vst2::VstEvents*>(ptr)->numEvents;
      return 1;
    default:
      return 0;
  }
}

void BM_Vst2ProcessReplacing(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  void* module = dlopen(BENCH_VST2_MODULE, RTLD_NOW | RTLD_LOCAL);
  auto entry = module ? reinterpret_cast<vst2::EntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
  if (!entry) return state.SkipWithError("VST 2 module not loadable");
  vst2Time = {};
  vst2Time.sampleRate = kSampleRate;
  vst2Time.tempo = 120.0;
  vst2Time.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
  vst2::AEffect* effect = entry(HostCallback);
  auto dispatch = [effect](int32_t opcode, intptr_t value, float opt) {
    return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
  };
  dispatch(vst2::effOpen, 0, 0.0f);
  dispatch(vst2::effSetSampleRate, 0, static_cast<float>(kSampleRate));
  dispatch(vst2::effSetBlockSize, frames, 0.0f);
  dispatch(vst2::effMainsChanged, 1, 0.0f);
  vst3_test::ProcessCall buffers(frames);
  FillInput(buffers.samples[0]);
  FillInput(buffers.samples[1]);
  vst2Events = 0;
  for (auto _ : state) {
    effect->processReplacing(effect, buffers.in, buffers.out, frames);
    vst2Time.samplePos += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["events"] = static_cast<double>(vst2Events);
  dispatch(vst2::effClose, 0, 0.0f);
  dlclose(module);
}
BENCHMARK(BM_Vst2ProcessReplacing)->Arg(32)->Arg(512)->Arg(4096);

template <class Interface>
Interface* Query(vst3::FUnknown* object) {
  void* found = nullptr;
  object->queryInterface(vst3::kIid<Interface>.data(), &found);
  return static_cast<Interface*>(found);
}

void BM_Vst3Process(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  void* module = dlopen(BENCH_VST3_MODULE, RTLD_NOW | RTLD_LOCAL);
  auto entry =
      module ? reinterpret_cast<vst3::ModuleEntryProc>(dlsym(module, "ModuleEntry")) : nullptr;
  auto getFactory =
      module
          ? reinterpret_cast<vst3::GetPluginFactoryProc>(dlsym(module, vst3::kGetPluginFactoryName))
          : nullptr;
  if (!entry || !getFactory || !entry(module))
    return state.SkipWithError("VST 3 module not loadable");
  vst3::IPluginFactory* factory = getFactory();
  vst3::PClassInfo info{};
  void* object = nullptr;
  factory->getClassInfo(0, &info);
  factory->createInstance(info.cid, vst3::kIid<vst3::IComponent>.data(), &object);
  auto* component = static_cast<vst3::IComponent*>(object);
  component->initialize(nullptr);
  vst3::IAudioProcessor* processor = Query<vst3::IAudioProcessor>(component);
  vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, frames, kSampleRate};
  processor->setupProcessing(setup);
  component->setActive(true);
  processor->setProcessing(true);

  vst3_test::ProcessCall call(frames);
  FillInput(call.samples[0]);
  FillInput(call.samples[1]);
  call.context.sampleRate = kSampleRate;
  call.outEvents.events.reserve(4096);
  long long events = 0;
  for (auto _ : state) {
    call.outEvents.events.clear();
    processor->process(call.data);
    events += static_cast<long long>(call.outEvents.events.size());
    call.context.projectTimeSamples += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["events"] = static_cast<double>(events);
  processor->setProcessing(false);
  component->setActive(false);
  processor->release();
  component->terminate();
  component->release();
  factory->release();
  reinterpret_cast<vst3::ModuleExitProc>(dlsym(module, "ModuleExit"))();
  dlclose(module);
}
BENCHMARK(BM_Vst3Process)->Arg(32)->Arg(512)->Arg(4096);

// The floor: what moving the same samples costs with nothing else to do.
void BM_FloatCopy(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  vst3_test::ProcessCall buffers(frames);
  for (auto _ : state) {
    for (int c = 0; c < 2; ++c) std::copy_n(buffers.in[c], frames, buffers.out[c]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_FloatCopy)->Arg(32)->Arg(512)->Arg(4096);

}  // namespace
