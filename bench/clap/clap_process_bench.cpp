// The CLAP process call per block at 32, 512 and 4096 frames beside the VST 2 build's
// processReplacing, in one run, with a playing transport and both builds loaded from their files
// as hosts load them. The CLAP call's output list is cleared between calls, as a host does.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <vector>

#include "plug/vst2_abi.h"
#include "tools/host/clap_events.h"
#include "tools/host/clap_host_context.h"
#include "tools/host/clap_library.h"

namespace {

constexpr double kSampleRate = 44100.0;

// Stereo in and out, the input a ramp.
struct Buffers {
  explicit Buffers(int frames) : samples(4, std::vector<float>(static_cast<size_t>(frames))) {
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < samples[c].size(); ++i)
        samples[c][i] = 0.001f * static_cast<float>(i % 1000);
    for (int c = 0; c < 4; ++c) pointers[c] = samples[c].data();
  }
  std::vector<std::vector<float>> samples;
  float* pointers[4];
};

vst2::VstTimeInfo vst2Time{};

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  if (opcode == vst2::audioMasterVersion) return vst2::kVstVersion;
  if (opcode == vst2::audioMasterGetTime) return reinterpret_cast<intptr_t>(&vst2Time);
  return opcode == vst2::audioMasterProcessEvents ? 1 : 0;
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
  Buffers buffers(frames);
  for (auto _ : state) {
    effect->processReplacing(effect, buffers.pointers, buffers.pointers + 2, frames);
    vst2Time.samplePos += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  dispatch(vst2::effClose, 0, 0.0f);
  dlclose(module);
}
BENCHMARK(BM_Vst2ProcessReplacing)->Arg(32)->Arg(512)->Arg(4096);

void BM_ClapProcess(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  std::string error;
  auto library = host::ClapLibrary::Load(BENCH_CLAP_MODULE, error);
  const auto* factory =
      library ? static_cast<const clap::PluginFactory*>(library->Factory(clap::kPluginFactoryId))
              : nullptr;
  if (!factory) return state.SkipWithError(error.c_str());
  host::ClapHostContext context;
  const clap::Plugin* plugin = factory->create_plugin(
      factory, context.Record(), factory->get_plugin_descriptor(factory, 0)->id);
  plugin->init(plugin);
  plugin->activate(plugin, kSampleRate, 1, static_cast<uint32_t>(frames));
  plugin->start_processing(plugin);
  Buffers buffers(frames);
  clap::AudioBuffer in{buffers.pointers, nullptr, 2, 0, 0};
  clap::AudioBuffer out{buffers.pointers + 2, nullptr, 2, 0, 0};
  host::ClapEventList inEvents;
  host::ClapEventList outEvents;
  outEvents.Reserve(4096);
  clap::EventTransport transport{};
  transport.header = {sizeof transport, 0, 0, clap::kEventTransport, 0};
  transport.flags = clap::kTransportIsPlaying | clap::kTransportHasTempo;
  transport.tempo = 120.0;
  clap::Process process{0,
                        static_cast<uint32_t>(frames),
                        &transport,
                        &in,
                        &out,
                        1,
                        1,
                        inEvents.In(),
                        outEvents.Out()};
  for (auto _ : state) {
    outEvents.Clear();
    plugin->process(plugin, &process);
    process.steady_time += frames;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  plugin->stop_processing(plugin);
  plugin->deactivate(plugin);
  plugin->destroy(plugin);
}
BENCHMARK(BM_ClapProcess)->Arg(32)->Arg(512)->Arg(4096);

}  // namespace
