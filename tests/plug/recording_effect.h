// A plug-in base for tests: host services that record what the base asks of the host, and a
// check of whether the calling thread holds the plug-in's lock.
#pragma once

#include <functional>
#include <future>
#include <utility>
#include <vector>

#include "plug/effect_base.h"

class RecordingEffect : public IEffectBase {
 public:
  explicit RecordingEffect(int parameterCount = 4, const char* channelIO = "1-1 2-2",
                           int presetCount = 6, const char* effectName = "Tintinna")
      : IEffectBase(parameterCount, channelIO, presetCount, effectName, "", "Orrinvale", 0x10000,
                    FourCC("tnta"), FourCC("orvl"), 0, true, false, true) {}

  // True when this thread holds the lock: another thread cannot take it.
  bool LockHeldHere() {
    return !std::async(std::launch::async, [this] {
              const bool taken = Lock().TryLock();
              if (taken) Lock().Unlock();
              return taken;
            }).get();
  }

  void ParameterChanged(int index) override {
    events.push_back({'c', index});
    changedUnderLock.push_back(LockHeldHere());
    IEffectBase::ParameterChanged(index);
  }
  void ProcessBlock(double** inputs, double** outputs, int frames) override {
    blockFrames.push_back(frames);
    if (process)
      process(inputs, outputs, frames);
    else
      IEffectBase::ProcessBlock(inputs, outputs, frames);
  }

  void BeginParameterGesture(int) override {}
  void InformHostOfParameter(int index, double normalized) override {
    events.push_back({'i', index});
    informed.push_back({index, normalized});
  }
  void EndParameterGesture(int) override {}
  int GetSamplePosition() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSignature(int* numerator, int* denominator) override {
    *numerator = 4;
    *denominator = 4;
  }
  void GetTransportInfo(ITransportInfo*) override {}
  void EditorResized(int, int) override {}
  void HostSpecificSetup() override {}
  bool SendMidiMessage(const IMidiMessage& message) override {
    sent.push_back(message);
    return true;
  }
  bool SendMidiMessages(const HeapBuffer&) override { return true; }

  // Host and instrument calls in order: 'i' informed the host, 'c' ParameterChanged.
  std::vector<std::pair<char, int>> events;
  std::vector<bool> changedUnderLock;
  std::vector<std::pair<int, double>> informed;
  std::vector<IMidiMessage> sent;
  std::vector<int> blockFrames;
  std::function<void(double**, double**, int)> process;
};
