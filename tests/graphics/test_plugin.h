// A small plug-in for editor tests: five parameters and host services that record what the
// editor tells the host.
#pragma once

#include <mutex>
#include <vector>

#include "plug/effect_base.h"

class TestPlugin : public IEffectBase {
 public:
  enum Index { kGain = 0, kNote = 1, kEnabled = 2, kAmount = 3, kOffset = 4, kCount = 5 };

  struct Gesture {
    bool begin;
    int index;
    bool operator==(const Gesture&) const = default;
  };
  struct Inform {
    int index;
    double normalized;
  };

  TestPlugin()
      : IEffectBase(kCount, "1-1", 1, "Test", "Test", "Test", 0x10000, FourCC("test"),
                    FourCC("test"), 0, true, true, false) {
    GetParameter(kGain)->DefineContinuous("Gain", 5.0, 0.0, 10.0, 0.01, "dB");
    GetParameter(kNote)->DefineInteger("Note", 60, 0, 127, "");
    GetParameter(kEnabled)->DefineBool("Enabled", false);
    GetParameter(kAmount)->DefineContinuous("Amount", 0.5, 0.0, 1.0, 0.01, "%");
    GetParameter(kOffset)->DefineContinuous("Offset", 0.0, -100.0, 100.0, 0.001, "");
  }

  void BeginParameterGesture(int index) override { gestures.push_back({true, index}); }
  void EndParameterGesture(int index) override { gestures.push_back({false, index}); }
  void InformHostOfParameter(int index, double normalized) override {
    std::lock_guard lock(informMutex_);
    informs.push_back({index, normalized});
  }
  int GetSamplePosition() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSignature(int* numerator, int* denominator) override {
    *numerator = 4;
    *denominator = 4;
  }
  void GetTransportInfo(ITransportInfo*) override {}
  void EditorResized(int width, int height) override {
    resizedWidth = width;
    resizedHeight = height;
  }
  void HostSpecificSetup() override {}
  bool SendMidiMessage(const IMidiMessage&) override { return true; }
  bool SendMidiMessages(const HeapBuffer&) override { return true; }

  std::vector<Gesture> gestures;
  std::vector<Inform> informs;
  int resizedWidth = -1;
  int resizedHeight = -1;

 private:
  std::mutex informMutex_;
};
