// The VST 2 adapter: fills the effect record the host keeps, answers the dispatcher and the
// processing and parameter entries, and carries every call back to the host.
#pragma once

#include <cstdint>

#include "plug/effect_base.h"
#include "plug/state_chunk.h"
#include "plug/vst2_abi.h"
#include "plug/vst_event_list.h"

// Threads: the dispatcher runs on the host's window thread, the processing entries on its audio
// thread, parameter get/set on any thread. Every entry takes the plug-in's lock for its whole call.
class IVstEffect : public IEffectBase {
 public:
  // What the instrument's constructor receives from the entry point.
  using HostHandle = vst2::HostCallback;

  IVstEffect(vst2::HostCallback hostCallback, int parameterCount, const char* channelIO,
             int presetCount, const char* effectName, const char* productName,
             const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId, int latency,
             bool midi, bool stateChunks, bool isInstrument);
  ~IVstEffect() override;

  vst2::AEffect* Effect() noexcept { return &effect_; }
  static IVstEffect* FromEffect(vst2::AEffect* effect) noexcept;

  // ---- Base overrides: host services ---------------------------------------------------------
  // None of these takes the lock; each is one call to the host, which may call back in.
  // [editor thread, unlocked] audioMasterBeginEdit / audioMasterEndEdit.
  void BeginParameterGesture(int index) override;
  // [locked by caller] audioMasterAutomate with the normalized value.
  void InformHostOfParameter(int index, double normalized) override;
  void EndParameterGesture(int index) override;
  // [audio] Time queries (audioMasterGetTime); values the host marks invalid, and values that
  // are no numbers, give way to the defaults.
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  // Asks the host's product text and version once; later calls return what was found.
  int GetHostType() override;
  void EditorResized(int width, int height) override;
  // [locked] Run by the first effOpen.
  void HostSpecificSetup() override;
  // [locked] Adds the has-editor flag and takes the editor's size as the rectangle.
  void AttachEditor(IGraphicsCore* graphics) override;
  void SetLatency(int samples) override;
  // [audio] False only when the host reports valid time information with playing clear.
  bool IsTransportRunning() override;
  // [locked] Queues a copy of a host event that is not MIDI for the next processing call, at its
  // own delta frames: a SysEx record whose byteSize says it is whole, or a generic record;
  // false when it was refused (see EventQueue).
  bool ForwardHostEvent(vst2::VstEvent* event);

  // ---- Host-facing entries (installed in the effect record) ---------------------------------
  // [window thread, locked] effClose releases the lock, then deletes the plug-in.
  static intptr_t VSTDispatcher(vst2::AEffect* effect, int32_t opcode, int32_t index,
                                intptr_t value, void* ptr, float opt);
  // [audio, locked] Frame counts <= 0 do nothing; longer calls than the block size run in slices.
  static void VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs, int32_t frames);
  static void VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                  int32_t frames);
  static void VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                        int32_t frames);
  // [any thread, locked] Normalized values; NaN is refused, the rest held to 0..1.
  static float VSTGetParameter(vst2::AEffect* effect, int32_t index);
  static void VSTSetParameter(vst2::AEffect* effect, int32_t index, float value);

  const vst2::ERect& EditorRect() const noexcept { return editorRect_; }
  int32_t HostExtensionFlags() const noexcept { return hostExtensionFlags_; }

 protected:
  // [locked by caller] One dispatcher call other than effClose.
  intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  // Calls the host with this plug-in's effect record; 0 when there is no callback.
  intptr_t CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

 private:
  enum class FloatMode { kReplacing, kAccumulating };

  intptr_t CanDo(const char* capability);
  intptr_t GetChunk(int32_t index, void* ptr);
  intptr_t SetChunk(int32_t index, intptr_t size, const void* ptr);
  intptr_t ProcessEvents(const vst2::VstEvents* events);
  intptr_t GetPinProperties(int32_t index, void* ptr, bool input);
  intptr_t SetSpeakerArrangement(intptr_t input, void* output);

  // [audio, locked] The processing entries: the base runs the call, then its events go out.
  void ProcessFloat(float** inputs, float** outputs, int32_t frames, FloatMode mode);
  void ProcessDouble(double** inputs, double** outputs, int32_t frames);
  // [audio] Hands the host the events due in this call of frames, as one list.
  void DeliverEvents(int32_t frames);
  void UpdateArrangements();

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
  VstEventList eventList_;
};
