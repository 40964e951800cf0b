// The VST 2 adapter: fills the effect record the host keeps, answers the dispatcher and the
// processing and parameter entries, and carries every call back to the host.
#pragma once

#include <cstdint>

#include "plug/effect_base.h"
#include "plug/state_chunk.h"
#include "plug/vst2_abi.h"

class IVstEffect : public IEffectBase {
 public:
  IVstEffect(vst2::HostCallback hostCallback, int parameterCount, const char* channelIO,
             int presetCount, const char* effectName, const char* productName,
             const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
             int latency, bool midi, bool stateChunks, bool isInstrument);
  ~IVstEffect() override;

  vst2::AEffect* Effect() noexcept { return &effect_; }
  static IVstEffect* FromEffect(vst2::AEffect* effect) noexcept;

  // ---- Base overrides: host services ---------------------------------------------------------
  void BeginParameterGesture(int index) override;
  void InformHostOfParameter(int index, double normalized) override;
  void EndParameterGesture(int index) override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  int GetHostType() override;
  void EditorResized(int width, int height) override;
  void HostSpecificSetup() override;
  void AttachEditor(IGraphicsCore* graphics) override;
  void SetLatency(int samples) override;
  bool SendMidiMessage(const IMidiMessage& message) override;
  bool SendMidiMessages(const HeapBuffer& messages) override;

  // [audio] False only when the host reports valid time information with playing clear.
  bool IsTransportRunning();
  // Sends a host event unchanged in a list of one; true when the host took it.
  bool ForwardHostEvent(vst2::VstEvent* event);

  // ---- Host-facing entries (installed in the effect record) ---------------------------------
  static intptr_t VSTDispatcher(vst2::AEffect* effect, int32_t opcode, int32_t index,
                                intptr_t value, void* ptr, float opt);
  static void VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs, int32_t frames);
  static void VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                  int32_t frames);
  static void VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                        int32_t frames);
  static float VSTGetParameter(vst2::AEffect* effect, int32_t index);
  static void VSTSetParameter(vst2::AEffect* effect, int32_t index, float value);

  // Chunk header: the magic 'pfft' (bytes "tffp") and the version, little-endian.
  static constexpr int32_t kChunkMagic = 0x70666674;
  static constexpr int32_t kChunkVersion = 0x10000;
  static void WriteChunkHeader(IStateChunk& chunk);
  static int32_t ReadChunkHeader(const IStateChunk& chunk, int32_t* position);

  const vst2::ERect& EditorRect() const noexcept { return editorRect_; }
  int32_t HostExtensionFlags() const noexcept { return hostExtensionFlags_; }

 protected:
  intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  intptr_t CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

 private:
  vst2::ERect editorRect_{};
  vst2::HostCallback hostCallback_;
  vst2::VstSpeakerArrangement inputArrangement_{};
  vst2::VstSpeakerArrangement outputArrangement_{};
  bool hostSetupDone_ = false;
  bool midi_;
  int32_t hostExtensionFlags_ = 0;
  IStateChunk programChunk_;
  IStateChunk bankChunk_;
  vst2::AEffect effect_{};
};
