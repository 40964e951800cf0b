// The VST 3 process call per block at 32, 512 and 4096 frames, beside the VST 2 build's
// processReplacing and a plain float copy of the same buffers, in one run. Both builds are loaded
// from their modules through their entry points, as hosts load them.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "bench/vst2_baseline.h"
#include "plug/vst3_abi.h"
#include "tests/vst3/vst3_test_host.h"

namespace {

void BM_Vst2ProcessReplacing(benchmark::State& state) {
  bench::RunVst2ProcessReplacing(state, BENCH_VST2_MODULE);
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
  vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, frames, bench::kSampleRate};
  processor->setupProcessing(setup);
  component->setActive(true);
  processor->setProcessing(true);

  vst3_test::ProcessCall call(frames);
  for (int c = 0; c < 2; ++c) bench::FillRamp(call.samples[c].data(), call.samples[c].size());
  call.context.sampleRate = bench::kSampleRate;
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
