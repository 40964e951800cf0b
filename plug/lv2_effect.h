// The LV2 adapter: ports, the run call, transport from time:Position, state, and the notices the
// plug-in leaves for its UI.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "plug/effect_base.h"

// Threads. Instantiation, activation, restore and cleanup come from the host's instantiation
// class and never overlap run; run and connect_port come from its audio thread; save may run
// beside run and takes the plug-in's lock. The editor and the UI reach the plug-in through
// instance-access, from the host's UI thread or the editor's own.
//
// Control ports vs state. The host owns the control ports; the plug-in applies a port's value at
// the start of a run only when it differs from the value that port held at the previous run (and
// from the parameter's own value as a float, so a double the plug-in already holds, restored or
// edited, is not cut to a float). So a restored state is what the plug-in plays until the host
// writes a different value; a UI, when open, writes the restored values back to the host.
class ILv2Effect : public IEffectBase {
 public:
  // What the instrument's constructor receives: the host's feature list.
  using HostHandle = const LV2_Feature* const*;

  // Ports after the controls, in this order.
  enum AudioAndEventPort : uint32_t {
    kAudioIn0,
    kAudioIn1,
    kAudioOut0,
    kAudioOut1,
    kEventsIn,
    kMidiOut
  };
  static constexpr uint32_t kAudioChannels = 2;
  // A call's time:Position objects past this many are read at the call's start.
  static constexpr int kMaxPositionsPerCall = 64;

  ILv2Effect(HostHandle features, int parameterCount, const char* channelIO, int presetCount,
             const char* effectName, const char* productName, const char* makerName,
             int32_t version, int32_t uniqueId, int32_t makerId, int latency, bool midi,
             bool stateChunks, bool isInstrument);
  ~ILv2Effect() override;

  // The host gave a URID map; without one the plug-in is refused.
  bool HasUridMap() const noexcept { return map_ != nullptr; }
  uint32_t PortOf(AudioAndEventPort port) const noexcept { return firstOtherPort_ + port; }

  // [instantiation] The rest of the VST 2 open: sample rate, block size, every parameter notified.
  void Open(double sampleRate);
  // [instantiation] Activation; deactivation restarts the engine and suspends the queue, as
  // mains-off does in VST 2.
  void Activate(bool active);
  // [audio] Data may be null; an unknown port is ignored.
  void ConnectPort(uint32_t port, void* data) noexcept;
  // [audio, locked] One run call.
  void Run(uint32_t frames);
  // [save: any thread, locked; restore: instantiation] The chunk bytes of VST 2's bank chunk.
  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // ---- Notices for the UI -------------------------------------------------------------------
  // The UI collects, on its own thread, what the plug-in wants the host to hear: a gesture's
  // start, a new plain value, a gesture's end, per parameter. Only the newest value is kept.
  struct Notice {
    bool begin = false;
    bool value = false;
    bool end = false;
    float plain = 0.0f;
  };
  // [UI thread] Takes and clears the notices of index.
  Notice TakeNotice(int index) noexcept;

  // ---- Base overrides: host services -------------------------------------------------------
  void BeginParameterGesture(int index) override;
  void InformHostOfParameter(int index, double normalized) override;
  void EndParameterGesture(int index) override;
  // [audio] From the last time:Position the host sent; a host that sent none counts as playing.
  bool IsTransportRunning() override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  void EditorResized(int width, int height) override;
  void HostSpecificSetup() override {}
  int32_t ApplyHostChangesAt(int32_t frame) override;

 private:
  struct Uris {
    LV2_URID atomBlank, atomObject, atomSequence, atomChunk, atomFloat, atomDouble, atomInt,
        atomLong, midiEvent, timePosition, timeFrame, timeSpeed, timeBpm, timeBarBeat,
        timeBeatsPerBar, timeBeatUnit, timeBar, bufMaxBlock, bufNominalBlock, stateKey;
  };
  struct Transport {
    bool known = false;  // a position has arrived
    double speed = 1.0;
    double frame = 0.0;  // at the call's first sample
    double bpm = 120.0;
    double beatsPerBar = 4.0;
    int32_t beatUnit = 4;
    double barBeat = 0.0;
    int64_t bar = 0;
  };
  struct PendingNotice {
    std::atomic<uint32_t> flags{0};
    std::atomic<float> plain{0.0f};
  };

  void MapUris(LV2_URID_Map* map);
  void ApplyControlPorts();
  // MIDI in goes to ProcessMidiMessage, SysEx to the queue, positions are noted for the slices.
  void ReadEvents(uint32_t frames);
  // A position at offset frames into the call.
  void ReadPosition(const LV2_Atom_Object* object, int32_t offset);
  void WriteEvents(uint32_t frames);
  void Notify(int index, uint32_t flags, double normalized);

  LV2_URID_Map* map_ = nullptr;
  Uris uris_{};
  uint32_t firstOtherPort_ = 0;
  std::vector<const float*> controls_;
  std::vector<float> lastSeen_;
  float* audio_[2 * kAudioChannels] = {};
  const LV2_Atom_Sequence* eventsIn_ = nullptr;
  LV2_Atom_Sequence* midiOut_ = nullptr;
  int32_t maxBlock_ = 4096;

  Transport transport_;
  // The positions of the call under way, with their frames; the next one to apply.
  const LV2_Atom_Object* positions_[kMaxPositionsPerCall] = {};
  int32_t positionFrames_[kMaxPositionsPerCall] = {};
  int positionCount_ = 0;
  int nextPosition_ = 0;

  std::unique_ptr<PendingNotice[]> notices_;
  int64_t droppedOutput_ = 0;
};
