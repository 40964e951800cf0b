// The LV2 run call per block at 32, 512 and 4096 frames, as Ardour drives it: a time:Position at
// the start of every call and the output sequence's capacity set anew. Compare with
// BM_ProcessReplacing in vst_process_bench.
#include <benchmark/benchmark.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plug/lv2/plugin_adapter.h"

namespace {

std::map<std::string, LV2_URID> ids;

LV2_URID Map(LV2_URID_Map_Handle, const char* uri) {
  return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
}

void BM_Lv2Run(benchmark::State& state) {
  const auto frames = static_cast<uint32_t>(state.range(0));
  LV2_URID_Map map{nullptr, &Map};
  const LV2_Feature mapFeature{LV2_URID__map, &map};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  std::unique_ptr<ILv2Effect> plugin(CreateEffectInstance(features));
  plugin->Open(44100.0);
  std::vector<float> controls;
  for (int i = 0; i < plugin->ParameterCount(); ++i)
    controls.push_back(static_cast<float>(plugin->GetParameter(i)->Value()));
  for (uint32_t i = 0; i < controls.size(); ++i) plugin->ConnectPort(i, &controls[i]);
  std::vector<float> audio[4];
  for (uint32_t c = 0; c < 4; ++c) {
    audio[c].assign(frames, 0.0f);
    for (uint32_t i = 0; i < frames; ++i) audio[c][i] = 0.001f * static_cast<float>(i % 1000);
    plugin->ConnectPort(plugin->PortOf(ILv2Effect::kAudioIn0) + c, audio[c].data());
  }
  std::vector<uint64_t> in(512);
  std::vector<uint64_t> out(8192);
  LV2_Atom_Forge forge;
  lv2_atom_forge_init(&forge, &map);
  lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(in.data()), in.size() * 8);
  LV2_Atom_Forge_Frame sequence, object;
  lv2_atom_forge_sequence_head(&forge, &sequence, 0);
  lv2_atom_forge_frame_time(&forge, 0);
  lv2_atom_forge_object(&forge, &object, 0, Map(nullptr, LV2_TIME__Position));
  lv2_atom_forge_key(&forge, Map(nullptr, LV2_TIME__speed));
  lv2_atom_forge_float(&forge, 1.0f);
  lv2_atom_forge_key(&forge, Map(nullptr, LV2_TIME__beatsPerMinute));
  lv2_atom_forge_float(&forge, 120.0f);
  lv2_atom_forge_pop(&forge, &object);
  lv2_atom_forge_pop(&forge, &sequence);
  plugin->ConnectPort(plugin->PortOf(ILv2Effect::kEventsIn), in.data());
  plugin->ConnectPort(plugin->PortOf(ILv2Effect::kMidiOut), out.data());
  plugin->Activate(true);
  auto* output = reinterpret_cast<LV2_Atom_Sequence*>(out.data());
  long long events = 0;
  for (auto _ : state) {
    output->atom.size = static_cast<uint32_t>(out.size() * 8 - sizeof(LV2_Atom));
    plugin->Run(frames);
    events += (output->atom.size - sizeof(LV2_Atom_Sequence_Body)) > 0;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["calls with events"] = static_cast<double>(events);
}
BENCHMARK(BM_Lv2Run)->Arg(32)->Arg(512)->Arg(4096);

}  // namespace
