// The editor under load from three threads at once: processing, host automation and redraws.
// Meant for the thread sanitizer build, where any unguarded access between them is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "controls/control.h"
#include "graphics/graphics_core.h"
#include "instrument/tintinna.h"
#include "plug/vst2_abi.h"

namespace {

constexpr int kBlock = 512;
constexpr double kSampleRate = 44100.0;
constexpr auto kRunTime = std::chrono::seconds(3);

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

TEST(EditorThreads, ProcessingAutomationAndRedrawsRunSideBySide) {
  gTime = {};
  gTime.sampleRate = kSampleRate;
  gTime.tempo = 120.0;
  gTime.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;

  auto* plugin = new Tintinna(&Callback);
  vst2::AEffect* effect = plugin->Effect();
  effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst2::effSetSampleRate, 0, 0, nullptr,
                     static_cast<float>(kSampleRate));
  effect->dispatcher(effect, vst2::effSetBlockSize, 0, kBlock, nullptr, 0.0f);
  effect->dispatcher(effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  effect->setParameter(effect, Tintinna::kWindSpeed, 1.0f);  // strong wind: lamps and meter move
  effect->setParameter(effect, Tintinna::kSensitivity, 0.0f);
  IGraphicsCore* editor = plugin->GetEditor();
  ASSERT_NE(editor, nullptr);

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

  std::thread automation([&] {
    int step = 0;
    while (!stop.load()) {
      switch (step++ % 6) {
        case 0:
          effect->setParameter(effect, Tintinna::kToneCount, (step % 8) / 7.0f);
          break;
        case 1:
          effect->setParameter(effect, Tintinna::kTone1 + step % 8, (40 + step % 40) / 127.0f);
          break;
        case 2:
          effect->setParameter(effect, step % 2 ? Tintinna::kTransposeUp : Tintinna::kTransposeDown,
                               1.0f);
          break;
        case 3:
          effect->setParameter(effect, Tintinna::kTransposeUp, 0.0f);
          effect->setParameter(effect, Tintinna::kTransposeDown, 0.0f);
          break;
        case 4:
          effect->setParameter(effect, Tintinna::kActiveA, static_cast<float>(step % 2));
          break;
        default:
          effect->setParameter(effect, Tintinna::kWindSpeed, 0.5f + (step % 10) / 20.0f);
          break;
      }
      changes.fetch_add(1);
      std::this_thread::yield();
    }
  });

  std::thread redraw([&] {
    int pass = 0;
    while (!stop.load()) {
      IBounds area;
      if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
      // Now and then a user edit too, which takes the plug-in's lock from this thread.
      if (++pass % 50 == 0) editor->HandleMouseWheel(470, 110, {}, pass % 100 ? 1 : -1);
      passes.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
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

  // Whatever landed during the last pass is drawn by the next ones; a requested redraw takes one
  // more pass. Then nothing is left behind.
  for (int pass = 0; pass < 2; ++pass) {
    IBounds area;
    if (editor->CollectDirtyArea(area)) editor->DrawArea(area);
  }
  for (int i = 0; i < editor->ControlCount(); ++i)
    EXPECT_FALSE(editor->GetControl(i)->IsDirty()) << i;
  EXPECT_DOUBLE_EQ(editor->GetControl(1)->Value(), plugin->Wind().lastMeter / 127.0);

  effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
