// The CLAP process call per block at 32, 512 and 4096 frames beside the VST 2 build's
// processReplacing, in one run, with a playing transport and both builds loaded from their files
// as hosts load them. The CLAP call's output list is cleared between calls, as a host does.
#include <benchmark/benchmark.h>

#include "bench/vst2_baseline.h"
#include "tools/host/clap_events.h"
#include "tools/host/clap_host_context.h"
#include "tools/host/clap_library.h"

namespace {

void BM_Vst2ProcessReplacing(benchmark::State& state) {
  bench::RunVst2ProcessReplacing(state, BENCH_VST2_MODULE);
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
  plugin->activate(plugin, bench::kSampleRate, 1, static_cast<uint32_t>(frames));
  plugin->start_processing(plugin);
  bench::StereoBuffers buffers(frames);
  clap::AudioBuffer in{buffers.In(), nullptr, 2, 0, 0};
  clap::AudioBuffer out{buffers.Out(), nullptr, 2, 0, 0};
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
