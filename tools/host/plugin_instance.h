// One instance of a VST 2 plug-in as the host sees it: created through the library's entry,
// driven through its dispatcher and processing entries, closed on destruction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plug/vst2_abi.h"
#include "tools/host/host_callback.h"

namespace host {

class PluginInstance {
 public:
  // Calls the entry with the context's callback and checks the record it returns. On failure
  // returns null with a one-line reason (no effect, bad magic, no processing entry).
  static std::unique_ptr<PluginInstance> Create(vst2::EntryProc entry, HostContext& context,
                                                std::string& error);
  // Sends effClose, after which the plug-in has freed itself.
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  const vst2::AEffect& Effect() const { return *effect_; }
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  // The usual start-up of a DAW: open, sample rate, block size.
  void Open(double sampleRate, int32_t blockSize);
  // Mains on and start process; the reverse on Stop.
  void Start();
  void Stop();

  int32_t ParameterCount() const { return effect_->numParams; }
  std::string ParameterName(int32_t index);
  std::string ParameterDisplay(int32_t index);
  std::string ParameterLabel(int32_t index);
  float GetParameter(int32_t index);
  void SetParameter(int32_t index, float value);
  std::string EffectName();
  std::string VendorName();

  // One block through processReplacing (or the accumulating entry over cleared outputs when
  // the plug-in offers no other), with silent inputs. frames must not exceed the block size.
  void Process(int32_t frames);

 private:
  PluginInstance(vst2::AEffect* effect, HostContext& context);
  std::string ReadText(int32_t opcode, int32_t index);

  vst2::AEffect* effect_;
  HostContext& context_;
  int32_t blockSize_ = 0;
  bool started_ = false;
  std::vector<std::vector<float>> inputs_;
  std::vector<std::vector<float>> outputs_;
  std::vector<float*> inputPointers_;
  std::vector<float*> outputPointers_;
};

}  // namespace host
