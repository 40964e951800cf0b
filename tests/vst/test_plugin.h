// A small plug-in on the VST 2 adapter for tests: four parameters, pass-through audio, and
// records of what the adapter asked of it.
#pragma once

#include <array>
#include <vector>

#include "plug/vst_effect.h"

struct TestPluginOptions {
  int presets = 3;
  const char* channelIO = "1-1 2-2";
  bool midi = true;
  bool stateChunks = false;
  bool isInstrument = true;
  const char* effectName = "Test Effect";
  const char* makerName = "Test Maker";
};

class TestPlugin : public IVstEffect {
 public:
  static constexpr int kParameters = 4;
  static constexpr int kRecordedBlocks = 64;
  enum Index { kSpeed, kEnabled, kCount, kLevel };

  explicit TestPlugin(vst2::HostCallback hostCallback, const TestPluginOptions& options = {});
  ~TestPlugin() override;

  void ResetProcessing() override { ++resets; }
  void ParameterChanged(int index) override;
  void ActivationChanged(bool active) override { activations.push_back(active); }
  // [audio] Passes audio through and, when asked, marks each block's first and last frame with
  // a note-on and a note-off.
  void ProcessBlock(double** inputs, double** outputs, int frames) override;
  bool GetMidiNoteText(int key, char* text, int capacity) override;

  bool markBlocks = false;
  int blockCount = 0;
  std::array<int, kRecordedBlocks> blockFrames{};
  std::array<int, kParameters> changes{};
  int resets = 0;
  std::vector<bool> activations;
  bool* destroyed = nullptr;
};
