// The cost of drawing the instrument's editor: the whole surface, and a typical timer tick in
// which the meter and a few lamps moved, beside a plain copy of an 800 x 400 surface (the floor).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/graphics_core.h"
#include "instrument/tintinna.h"
#include "plug/vst2_abi.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr int kMeter = 1;
constexpr int kFirstLamp = 17;

intptr_t HostCallback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == vst2::audioMasterVersion ? vst2::kVstVersion : 0;
}

// One opened instance for the whole run; its editor exists from construction on.
struct Instance {
  Instance() : plugin(new Tintinna(&HostCallback)) {
    vst2::AEffect* effect = plugin->Effect();
    effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
    editor = plugin->GetEditor();
    IBounds area;
    if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
  }
  ~Instance() {
    vst2::AEffect* effect = plugin->Effect();
    effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  }
  Tintinna* plugin;
  IGraphicsCore* editor = nullptr;
};

Instance& Shared() {
  static Instance instance;
  return instance;
}

void BM_SurfaceCopy(benchmark::State& state) {
  std::vector<uint32_t> from(kWidth * kHeight, 0xFF102030u), to(kWidth * kHeight);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size() * 4));
}
BENCHMARK(BM_SurfaceCopy);

void BM_FullDrawPass(benchmark::State& state) {
  IGraphicsCore* editor = Shared().editor;
  for (auto _ : state) {
    editor->MarkAllControlsDirty();
    IBounds area;
    editor->CollectDirtyArea(area);
    editor->DrawArea(area);
    benchmark::DoNotOptimize(editor->GetSurfacePixels());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_FullDrawPass);

// The meter and three lamps changed since the last tick, as in a lively wind.
void BM_TypicalTick(benchmark::State& state) {
  IGraphicsCore* editor = Shared().editor;
  int tick = 0;
  for (auto _ : state) {
    ++tick;
    editor->SetControlFromPlugin(kMeter, (tick % 128) / 127.0);
    for (int lamp = 0; lamp < 3; ++lamp)
      editor->SetControlFromPlugin(kFirstLamp + (tick + lamp * 3) % 8,
                                   ((tick * 7 + lamp) % 128) / 127.0);
    IBounds area;
    if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
    benchmark::DoNotOptimize(editor->GetSurfacePixels());
  }
}
BENCHMARK(BM_TypicalTick);

// Only the meter moved: the smallest tick that draws anything.
void BM_MeterOnlyTick(benchmark::State& state) {
  IGraphicsCore* editor = Shared().editor;
  int tick = 0;
  for (auto _ : state) {
    editor->SetControlFromPlugin(kMeter, (++tick % 128) / 127.0);
    IBounds area;
    if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
    benchmark::DoNotOptimize(editor->GetSurfacePixels());
  }
}
BENCHMARK(BM_MeterOnlyTick);

}  // namespace
