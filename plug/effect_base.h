// The host-independent plug-in: parameters, presets, channel plumbing, the editor and the lock.
//
// Threads. The host adapter calls in from the host's window thread (dispatcher), its audio
// thread (processing) and any automation thread; the editor calls in from its window thread.
// Everything marked [locked] takes the plug-in's re-entrant lock itself; [audio] runs inside a
// processing call with the lock held; [host service] is implemented by the adapter and called
// with or without the lock as noted.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <variant>
#include <vector>

#include "plug/event_queue.h"
#include "plug/heap_buffer.h"
#include "plug/midi_message.h"
#include "plug/mutex.h"
#include "plug/parameter.h"
#include "plug/pointer_list.h"
#include "plug/state_chunk.h"
#include "plug/transport_info.h"

class IGraphicsCore;

// One legal pair of input and output channel counts.
struct ChannelIO {
  int32_t inputs = 0;
  int32_t outputs = 0;
};

// Scratch of one audio channel: where the plug-in reads or writes when the host's buffers are
// float, or when the host left the channel unconnected.
struct InputChannel {
  bool connected = false;
  double** slot = nullptr;  // this channel's entry in the input pointer array
  HeapBuffer scratch{HeapBuffer::kPageGranularity};
};

struct OutputChannel {
  bool connected = false;
  double** slot = nullptr;  // this channel's entry in the output pointer array
  float* destination = nullptr;
  HeapBuffer scratch{HeapBuffer::kPageGranularity};
};

class IEffectBase {
 public:
  static constexpr int kNameSize = 128;
  // Block sizes (frames) and saved states (bytes) beyond these are refused, whatever the host
  // asks.
  static constexpr int kMaxBlockSize = 1 << 20;
  static constexpr int64_t kMaxChunkSize = 1 << 20;
  // Chunk header: the magic 'pfft' (bytes "tffp") and the version, little-endian.
  static constexpr int32_t kChunkMagic = 0x70666674;
  static constexpr int32_t kChunkVersion = 0x10000;

  // Four-character codes: the first character in the most significant byte.
  static constexpr int32_t FourCC(const char (&code)[5]) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24 |
                                static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8 |
                                static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
  }

  // channelIO lists the legal "in-out" pairs separated by blanks, e.g. "1-1 2-2". It is the
  // plug-in's own constant; a malformed one stops the program.
  IEffectBase(int parameterCount, const char* channelIO, int presetCount, const char* effectName,
              const char* productName, const char* makerName, int32_t version, int32_t uniqueId,
              int32_t makerId, int latency, bool midi, bool stateChunks, bool isInstrument);
  // Destroys the editor, parameters, presets, channels and channel declarations, in that order.
  virtual ~IEffectBase();
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // ---- Implemented by the instrument -------------------------------------------------------
  // [locked] Processing restarts, or the sample rate or block size changed.
  virtual void ResetProcessing();
  // [locked] Parameter index has a new value.
  virtual void ParameterChanged(int index);
  // [audio] One block of frames; the base passes the audio through.
  virtual void ProcessBlock(double** inputs, double** outputs, int frames);
  // [host's window thread, unlocked] The editor's window opened / is about to close.
  virtual void EditorOpened() {}
  virtual void EditorClosed() {}
  virtual void SpareHookA() {}
  // [locked] The host switched processing on or off.
  virtual void ActivationChanged(bool active);
  // [locked] An incoming MIDI message; the base passes it through to the output in the next
  // processing call.
  virtual void ProcessMidiMessage(const IMidiMessage& message);
  // Writes a name for MIDI key number into text (capacity bytes); the base has none.
  virtual bool GetMidiNoteText(int key, char* text, int capacity);
  // [locked] State for the host's chunks.
  virtual bool SerializeState(IStateChunk& chunk);
  virtual int32_t UnserializeState(const IStateChunk& chunk, int32_t position);
  // Appends one double per parameter from values (an int for bool, integer and enumerated
  // parameters, a double otherwise). Missing values count as 0; returns false if any append
  // failed or the list is shorter than the parameter list.
  virtual bool SerializeValueList(IStateChunk& chunk,
                                  std::span<const std::variant<int, double>> values);

  // ---- Host services, implemented by the adapter -------------------------------------------
  // [host service, editor thread, unlocked] A user edit of parameter index begins / ends.
  virtual void BeginParameterGesture(int index) = 0;
  // [host service, locked] Tells the host that parameter index now has the normalized value.
  virtual void InformHostOfParameter(int index, double normalized) = 0;
  virtual void EndParameterGesture(int index) = 0;
  // [host service, audio] False only when the host reports a stopped transport; a host that
  // says nothing about its transport counts as playing.
  virtual bool IsTransportRunning() { return true; }
  // [host service, usually audio] Time queries.
  virtual int GetSamplePosition() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSignature(int* numerator, int* denominator) = 0;
  virtual void GetTransportInfo(ITransportInfo* info) = 0;
  // Host type from the table of SetHost; -1 until identified.
  virtual int GetHostType() { return hostType_; }
  virtual void EditorResized(int width, int height) = 0;
  virtual void SpareHookB(int32_t) {}
  // [locked] Host-specific channel set-up, run at the first open.
  virtual void HostSpecificSetup() = 0;
  // [locked] Pushes every parameter into the editor, creates its surface, takes ownership.
  virtual void AttachEditor(IGraphicsCore* graphics);
  // [locked by caller] Resizes every channel scratch to frames doubles, zero-filled, and points
  // every slot at its scratch. A negative size, or one above kMaxBlockSize, is refused; if
  // memory runs out the block size becomes 0 and nothing is processed until a size fits.
  virtual void SetBlockSize(int frames);
  virtual void SetLatency(int samples) { latency_ = samples; }
  // [audio] Queues one message for the host, which receives it in the processing call in which
  // its offset falls: inside a call the offset counts from the start of the slice being
  // processed; outside one (MIDI passed through) the message goes out in the next call. The
  // adapter hands the host the call's events, one list per call, in time order. False when
  // the queue had no room for it.
  virtual bool SendMidiMessage(const IMidiMessage& message);
  // [audio, adapter] Applies whatever the host scheduled for frames up to frame of the running
  // call and answers the frame of its next change, where the call is cut into a new slice.
  // Formats whose parameter changes arrive inside the processing call override it.
  virtual int32_t ApplyHostChangesAt(int32_t /*frame*/) {
    return std::numeric_limits<int32_t>::max();
  }
  // Queues a HeapBuffer of IMidiMessage records in order; true when every one was queued.
  virtual bool SendMidiMessages(const HeapBuffer& messages);

  // ---- Parameters ----------------------------------------------------------------------------
  IParameter* GetParameter(int index) const noexcept { return parameters_.Get(index); }
  int ParameterCount() const noexcept { return parameters_.Count(); }
  int DeclaredParameterCount() const noexcept { return declaredParameterCount_; }
  // [locked, editor thread] The editor's way to change a parameter: sets it, informs the host,
  // then ParameterChanged. A bad index or a non-finite value is ignored.
  void SetParameterFromGUI(int index, double normalized);
  // Pushes every parameter's current value to the editor, if one is attached.
  void RefreshEditorValues();

  // ---- State and presets -------------------------------------------------------------------
  // [locked] The state every format saves and loads: the chunk header, then the values. The
  // bank form also stores the values into the current preset first.
  bool WriteStateChunk(IStateChunk& chunk, bool bank = true);
  // [locked] Loads size bytes of a saved state, copied into chunk first (data may be chunk's
  // own bytes). Refused (false, nothing changes) without data or beyond kMaxChunkSize. A chunk
  // that runs out keeps the values it held and is not stored into the preset (false); a whole
  // one is stored unless it is a current bank. The editor shows the result either way.
  bool ReadStateChunk(IStateChunk& chunk, const void* data, int64_t size, bool bank = true);
  static void WriteChunkHeader(IStateChunk& chunk);
  // The version after the header at *position (which moves past it), or 0 when there is none.
  static int32_t ReadChunkHeader(const IStateChunk& chunk, int32_t* position);
  // [locked] The parameter values as little-endian doubles, in index order.
  bool SerializeParams(IStateChunk& chunk);
  // [locked] Reads values from position, clamped to each range; returns the position after the
  // last one, or -1 when the chunk ran out (the parameter where it ran out and the later ones
  // keep their values).
  // A NaN or infinite value leaves its parameter unchanged. Every parameter is notified
  // afterwards, whatever happened.
  int32_t UnserializeParams(const IStateChunk& chunk, int32_t position);
  int PresetCount() const noexcept { return presets_.Count(); }
  int CurrentPreset() const noexcept { return currentPreset_; }
  IPresetEntry* GetPreset(int index) const noexcept { return presets_.Get(index); }
  const char* GetPresetName(int index) const noexcept;  // "" when out of range
  // Called under the lock (the dispatcher holds it). A preset never applied before takes over
  // the current values and a "user preset N" name; false for a bad index.
  bool ApplyPreset(int index);
  // Writes the current values into the current preset; a name (null or "" keeps it) is cut to
  // 255 characters.
  void StorePreset(const char* name);
  // Initialises the first count unused presets with the current values, named name or "Default".
  void FillDefaultPresets(const char* name, int count);
  void EnsureOnePreset();
  void NextUserPresetName(char (&name)[IPresetEntry::kNameSize]) const;

  // ---- Channels and audio plumbing ---------------------------------------------------------
  bool LegalIO(int inputs, int outputs) const noexcept;
  int ChannelIOCount() const noexcept { return channelIO_.Count(); }
  const ChannelIO* GetChannelIO(int index) const noexcept { return channelIO_.Get(index); }
  void AddChannelIO(int inputs, int outputs);
  // Grows the channel lists (never shrinks them); new channels start unconnected with scratch
  // for the current block size.
  void PrepareChannels(int inputs, int outputs);
  int InputCount() const noexcept { return inputChannels_.Count(); }
  int OutputCount() const noexcept { return outputChannels_.Count(); }
  const InputChannel* GetInputChannel(int index) const noexcept {
    return inputChannels_.Get(index);
  }
  const OutputChannel* GetOutputChannel(int index) const noexcept {
    return outputChannels_.Get(index);
  }
  void SetInputConnections(int start, int count, bool connected);
  void SetOutputConnections(int start, int count, bool connected);
  // [audio] Attach the host's buffers for one call. Only connected channels take a host buffer,
  // in order. The float form converts at most the block size of frames into the scratch.
  // A null host buffer reads as silence (float) or falls back to the scratch (double).
  void AttachInputs(float** hostBuffers, int frames);
  void AttachInputs(double** hostBuffers);
  void AttachOutputs(float** hostBuffers);
  void AttachOutputs(double** hostBuffers);
  // [audio] ProcessBlock over at most the block size of frames, then convert the float outputs
  // (replacing or accumulating). Replacing forms write silence to frames beyond the block size.
  void RunBlock(int frames);
  void RunBlockAccumulating(int frames);
  void RunBlockDouble(int frames);
  // Copies inputs to the outputs of the same number and zero-fills outputs without one.
  void PassThroughAudio(double** inputs, double** outputs, int frames);

  // ---- One processing call, the same in every format ---------------------------------------
  // [audio, locked by caller] Runs the instrument over a host call of frames, as consecutive
  // slices of at most the block size, cut where the adapter has host changes due: each slice is
  // one block to the instrument. A null array or channel reads silence and is written nowhere.
  // Does nothing without a block size. The adapter then delivers the call's events and calls
  // EndProcessCall.
  void RunFloatCall(float** inputs, float** outputs, int32_t frames, bool accumulate);
  void RunDoubleCall(double** inputs, double** outputs, int32_t frames);
  // Where the slice being processed starts in the call.
  int32_t SliceOffset() const noexcept { return sliceOffset_; }
  // [audio] Ends the call: what is sent from now on belongs to the next one. Returns the events
  // due in this call of frames, in time order, which the adapter hands the host and then
  // releases (Events().Release()) once the host has its copy.
  std::span<const EventQueue::Event> EndProcessCall(int32_t frames);
  // The events waiting for the host, and those dropped for want of room.
  EventQueue& Events() noexcept { return events_; }
  const EventQueue& QueuedEvents() const noexcept { return events_; }
  double** InputPointers() noexcept { return static_cast<double**>(inputPointers_.Data()); }
  double** OutputPointers() noexcept { return static_cast<double**>(outputPointers_.Data()); }

  // ---- Identity, host and settings ---------------------------------------------------------
  const char* EffectName() const noexcept { return effectName_; }
  const char* ProductName() const noexcept { return productName_; }
  const char* MakerName() const noexcept { return makerName_; }
  int32_t UniqueId() const noexcept { return uniqueId_; }
  int32_t MakerId() const noexcept { return makerId_; }
  // Packed 0xMMMMmmrr, or major * 10000 + minor * 100 + revision when decimal.
  int32_t EffectVersion(bool decimal) const noexcept;
  // Identifies the host from its product text (case-insensitive, first table match wins).
  void SetHost(const char* product, int32_t packedVersion);
  int32_t HostVersion() const noexcept { return hostVersion_; }
  bool HasStateChunks() const noexcept { return stateChunks_; }
  bool IsInstrument() const noexcept { return isInstrument_; }
  // A positive, finite rate; anything else is refused and the rate kept.
  void SetSampleRate(double rate);
  double GetSampleRate() const noexcept { return sampleRate_; }
  int GetBlockSize() const noexcept { return blockSize_; }
  int GetLatency() const noexcept { return latency_; }
  IGraphicsCore* GetEditor() const noexcept { return editor_; }
  IMutex& Lock() noexcept { return lock_; }

 protected:
  // Stops the editor's window, and any thread it runs, while the object is still whole. Every
  // layer's destructor calls it first: whichever layer is most derived stops the editor before
  // anything the editor could reach is taken apart.
  void CloseEditor();

  // Host table lookup used by SetHost: 0 for a product not in the table.
  static int HostTypeFromProduct(const char* product);

  int32_t hostType_ = -1;

 private:
  // Frames a Run* call processes: never more than the scratch buffers hold.
  int FramesThisBlock(int frames) const noexcept;
  // The length of the slice that starts at start, and applies the host changes due there.
  int32_t NextSlice(int32_t start, int32_t frames, int32_t& nextChange);
  // Sizes the per-call views and stand-ins to the channel counts and block size.
  void PrepareHostViews();

  // First, so that it is destroyed last.
  IMutex lock_;
  PointerList<IParameter> parameters_;
  PointerList<IPresetEntry> presets_;
  PointerList<ChannelIO> channelIO_;
  char effectName_[kNameSize] = {};
  char productName_[kNameSize] = {};
  char makerName_[kNameSize] = {};
  int32_t uniqueId_;
  int32_t makerId_;
  int32_t version_;
  int32_t hostVersion_ = 0;
  bool stateChunks_;
  bool isInstrument_;
  double sampleRate_ = 44100.0;
  int32_t blockSize_ = 0;
  int32_t latency_;
  IGraphicsCore* editor_ = nullptr;
  int32_t currentPreset_ = 0;
  HeapBuffer inputPointers_;
  HeapBuffer outputPointers_;
  PointerList<InputChannel> inputChannels_;
  PointerList<OutputChannel> outputChannels_;
  int32_t declaredParameterCount_;

  // The processing call under way and its events (audio thread, under the lock).
  EventQueue events_;
  int32_t sliceOffset_ = 0;
  bool processing_ = false;  // what is sent outside a call belongs to the next one
  // The host's buffers offset to the current slice, one entry per channel.
  std::vector<float*> floatInputViews_;
  std::vector<float*> floatOutputViews_;
  std::vector<double*> doubleInputViews_;
  std::vector<double*> doubleOutputViews_;
  // Block-size stand-ins for channels the host passed as null: silence in, ignored out.
  std::vector<float> silentFloat_;
  std::vector<float> ignoredFloat_;
  std::vector<double> silentDouble_;
  std::vector<double> ignoredDouble_;
};
