// The editor under load from three threads at once: processing, host automation (values and
// changes of look, through the adapter's own entry) and redraws with user edits. Run under the
// thread sanitizer too, where any unguarded access between them is reported. It ends on the
// screen: two ticks after the threads stop, the surface must equal a fresh draw of the final
// state, pixel for pixel.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "controls/control.h"
#include "graphics/graphics_core.h"
#include "instrument/tintinna.h"
#include "plug/mutex.h"
#include "plug/parameter.h"
#include "plug/vst2_abi.h"

namespace {

constexpr int kBlock = 512;
constexpr double kSampleRate = 44100.0;
constexpr auto kRunTime = std::chrono::seconds(3);
constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr int kMeterControl = 1;
constexpr int kFirstLampControl = 17;
constexpr int kLampCount = 8;

std::atomic<int64_t> gNotes{0};
vst2::VstTimeInfo gTime{};  // written before the threads start, read-only afterwards

intptr_t Callback(vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterAutomate:
      return 1;
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&gTime);
    case vst2::audioMasterProcessEvents: {
      const auto* list = static_cast<const vst2::VstEvents*>(ptr);
      if (list) gNotes.fetch_add(list->numEvents);
      return 1;
    }
    default:
      return 0;
  }
}

struct Instance {
  Instance() : plugin(new Tintinna(&Callback)), effect(plugin->Effect()) {
    effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, vst2::effSetSampleRate, 0, 0, nullptr,
                       static_cast<float>(kSampleRate));
    effect->dispatcher(effect, vst2::effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect->dispatcher(effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  }
  ~Instance() { effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f); }
  IGraphicsCore& Editor() { return *plugin->GetEditor(); }
  void Tick() {
    IBounds area;
    if (Editor().CollectDirtyArea(area)) Editor().DrawArea(area);
  }
  std::vector<uint32_t> Screen() {
    const uint32_t* pixels = Editor().GetSurfacePixels();
    return {pixels, pixels + kWidth * kHeight};
  }
  void Set(int32_t index, float value) { effect->setParameter(effect, index, value); }

  Tintinna* plugin;  // freed by effClose
  vst2::AEffect* effect;
};

TEST(EditorThreads, TwoTicksAfterProcessingAutomationAndEditsTheScreenShowsTheFinalState) {
  gTime = {};
  gTime.sampleRate = kSampleRate;
  gTime.tempo = 120.0;
  gTime.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;

  Instance played;
  played.Set(Tintinna::kWindSpeed, 1.0f);  // strong wind: lamps and meter move
  played.Set(Tintinna::kSensitivity, 0.0f);
  ASSERT_NE(played.plugin->GetEditor(), nullptr);
  ASSERT_NE(played.Editor().GetSurfacePixels(), nullptr);
  vst2::AEffect* effect = played.effect;

  std::atomic<bool> stop{false};
  std::atomic<int64_t> blocks{0}, changes{0}, passes{0};

  std::thread audio([&] {
    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c) {
      in[c].assign(kBlock, 0.0f);
      out[c].assign(kBlock, 0.0f);
    }
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    while (!stop.load()) {
      effect->processReplacing(effect, inputs, outputs, kBlock);
      blocks.fetch_add(1);
    }
  });

  // Every round leaves both transpose buttons released, so the final state is all parameters.
  std::thread automation([&] {
    int step = 0;
    while (!stop.load()) {
      switch (step++ % 6) {
        case 0:  // greys and ungreys selectors and note names, and restyles them
          played.Set(Tintinna::kToneCount, (step % 8) / 7.0f);
          break;
        case 1:  // a note at either end greys a transpose button
          played.Set(Tintinna::kTone1 + step % 8, (step % 3 == 0 ? 127 : 30 + step % 60) / 127.0f);
          break;
        case 2:
          played.Set(step % 2 ? Tintinna::kTransposeUp : Tintinna::kTransposeDown, 1.0f);
          played.Set(Tintinna::kTransposeUp, 0.0f);
          played.Set(Tintinna::kTransposeDown, 0.0f);
          break;
        case 3:
          played.Set(Tintinna::kDuration, (step % 17) / 16.0f);
          break;
        case 4:
          played.Set(Tintinna::kActiveA, static_cast<float>(step % 2));
          break;
        default:
          played.Set(Tintinna::kWindSpeed, 0.5f + (step % 10) / 20.0f);
          break;
      }
      changes.fetch_add(1);
      std::this_thread::yield();
    }
  });

  std::thread redraw([&] {
    int pass = 0;
    while (!stop.load()) {
      played.Tick();
      // Now and then a user edit of the tone count, which takes the plug-in's lock from here.
      if (++pass % 50 == 0) played.Editor().HandleMouseWheel(470, 110, {}, pass % 100 ? 1 : -1);
      passes.fetch_add(1);
      std::this_thread::yield();
    }
  });

  std::this_thread::sleep_for(kRunTime);
  stop.store(true);
  audio.join();
  automation.join();
  redraw.join();

  EXPECT_GT(blocks.load(), 0);
  EXPECT_GT(changes.load(), 0);
  EXPECT_GT(passes.load(), 0);
  EXPECT_GT(gNotes.load(), 0);

  // Last, changes land as the worst interleavings would have them. The editor ticks after the
  // host's entry pushed a value into the controls and before it set the parameter:
  const auto splitSet = [&](int32_t index, double normalized) {
    ScopedLock lock(&played.plugin->Lock());
    played.Editor().SetParameterFromPlugin(index, normalized, true);
    played.Tick();
    played.plugin->GetParameter(index)->SetFromNormalized(normalized);
    played.plugin->ParameterChanged(index);
  };
  splitSet(Tintinna::kDuration, 0.25);
  splitSet(Tintinna::kTone1 + 2, 100 / 127.0);
  splitSet(Tintinna::kToneCount, 2 / 7.0);
  // And a change of look lands between the scan and the paint, far outside the scanned area
  // (the meter's): a tone at the top greys the transpose-up button.
  for (int32_t chime = 0; chime < kLampCount; ++chime) played.Set(Tintinna::kTone1 + chime, 0.5f);
  played.Tick();
  played.Tick();
  const double meter = played.plugin->Wind().lastMeter / 127.0;
  played.Editor().SetControlFromPlugin(kMeterControl, meter > 0.5 ? 0.0 : 1.0);
  IBounds area;
  played.Editor().CollectDirtyArea(area);
  played.Set(Tintinna::kTone1, 1.0f);
  played.Editor().DrawArea(area);
  played.Editor().SetControlFromPlugin(kMeterControl, meter);

  played.Tick();
  played.Tick();
  const std::vector<uint32_t> shown = played.Screen();
  EXPECT_DOUBLE_EQ(played.Editor().GetControl(kMeterControl)->Value(),
                   played.plugin->Wind().lastMeter / 127.0);

  // A fresh editor given the final parameters through the same entry, and the meter and lamps.
  Instance fresh;
  for (int32_t i = 0; i < effect->numParams; ++i) fresh.Set(i, effect->getParameter(effect, i));
  fresh.Editor().SetControlFromPlugin(kMeterControl, played.plugin->Wind().lastMeter / 127.0);
  for (int k = 0; k < kLampCount; ++k) {
    const int lamp = kFirstLampControl + k;
    fresh.Editor().SetControlFromPlugin(lamp, played.Editor().GetControl(lamp)->Value());
  }
  fresh.Tick();
  const std::vector<uint32_t> expected = fresh.Screen();

  int differing = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const size_t i = static_cast<size_t>(y) * kWidth + x;
      if (shown[i] == expected[i]) continue;
      if (++differing <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") shows " << std::hex << shown[i]
                      << ", a fresh draw " << expected[i];
      }
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
