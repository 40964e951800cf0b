// A minimal VST 2 host for the Windows tests: loads the plug-in DLL with LoadLibrary and
// GetProcAddress as a host does, drives one instance and records what the plug-in sends back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plug/vst2_abi.h"

struct HostMidiEvent {
  int64_t time;  // absolute sample position: block start + delta frames
  uint8_t status;
  uint8_t data1;
  uint8_t data2;
};

struct HostNotice {
  int32_t opcode;  // audioMasterAutomate, audioMasterBeginEdit or audioMasterEndEdit
  int32_t index;
  float value;  // the normalized value of an automation notice
};

// All calls on the test's thread, which plays the host's window and audio threads at once.
class DllHost {
 public:
  explicit DllHost(const std::string& dllPath);
  ~DllHost();
  DllHost(const DllHost&) = delete;
  DllHost& operator=(const DllHost&) = delete;

  bool Loaded() const noexcept { return module_ != nullptr; }
  void* Module() const noexcept { return module_; }
  // The address of an export, or null.
  void* Export(const char* name) const;

  // Creates the instance through the named export; null when the entry is missing or refuses.
  vst2::AEffect* Create(const char* exportName = "VSTPluginMain");
  vst2::AEffect* Effect() const noexcept { return effect_; }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);
  // open, sample rate, block size, mains on: what a DAW does before playing.
  void Start(float sampleRate, int32_t blockSize);
  // Closes the instance (the plug-in deletes itself); the library stays loaded.
  void Close();

  std::string ParameterName(int32_t index);
  std::string ParameterDisplay(int32_t index);

  // One processReplacing call of the given length with a ramp on the inputs; the transport
  // advances by the same length while it plays.
  void Process(int32_t frames);
  void SetPlaying(bool playing) noexcept { playing_ = playing; }
  int64_t SamplePosition() const noexcept { return samplePosition_; }

  const std::vector<float>& Input(int channel) const { return inputs_[channel]; }
  const std::vector<float>& Output(int channel) const { return outputs_[channel]; }

  std::vector<HostMidiEvent> midi;
  std::vector<HostNotice> notices;
  int32_t sizeWindowRequests = 0;

 private:
  static intptr_t Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  void* module_ = nullptr;
  vst2::AEffect* effect_ = nullptr;
  float sampleRate_ = 44100.0f;
  bool playing_ = true;
  int64_t samplePosition_ = 0;
  vst2::VstTimeInfo timeInfo_{};
  std::vector<float> inputs_[2];
  std::vector<float> outputs_[2];
};
