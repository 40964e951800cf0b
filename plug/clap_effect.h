// The CLAP adapter: the plug-in record and extension tables a CLAP host calls, and every call
// back to the host.
#pragma once

#include <cstdint>
#include <vector>

#include "plug/clap_abi.h"
#include "plug/clap_param_queue.h"
#include "plug/effect_base.h"

// Threads, as CLAP names them. [main]: the host's main thread, which on Windows also runs the
// editor. [audio]: process, flush while active, start/stop processing and reset, never two at
// once. process and flush hold the plug-in's lock for their whole call, as the VST 2 entries do;
// the main-thread calls that touch the instrument, its state or the editor take it as well.
// The host is called only on threads it runs us on (the editor's is its main thread), never
// from a thread of ours, and never from the audio thread except through a call's output list.
class IClapEffect : public IEffectBase {
 public:
  // What the instrument's constructor receives from the factory.
  using HostHandle = const clap::Host*;

  // The arguments of IEffectBase; the host is kept, and not called before Init.
  IClapEffect(const clap::Host* host, int parameterCount, const char* channelIO, int presetCount,
              const char* effectName, const char* productName, const char* makerName,
              int32_t version, int32_t uniqueId, int32_t makerId, int latency, bool midi,
              bool stateChunks, bool isInstrument);
  ~IClapEffect() override;

  // The record handed to the host; its plugin_data is this object, its desc the entry's.
  const clap::Plugin* Record(const clap::PluginDescriptor* descriptor) noexcept;
  static IClapEffect* FromRecord(const clap::Plugin* plugin) noexcept;

  // ---- Base overrides: host services ---------------------------------------------------------
  // [editor; each takes the lock] Editor edits are queued for the host's next process or flush,
  // which request_flush asks for, once per batch; inside process or flush (transpose nudges)
  // the value goes out in that call's own list, at the frame of the change that caused it.
  void BeginParameterGesture(int index) override;
  void InformHostOfParameter(int index, double normalized) override;
  void EndParameterGesture(int index) override;
  // [audio] From the transport of the running call: at its start, and as its transport events
  // fall due. Without a transport the host is free-running, which counts as playing.
  bool IsTransportRunning() override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  // The editor's size is fixed: nothing to tell the host.
  void EditorResized(int width, int height) override;
  // [main, locked] Run by Init: identifies the host and looks up its extensions.
  void HostSpecificSetup() override;
  // [audio] Applies the running call's parameter values and transports due at or before frame.
  int32_t ApplyHostChangesAt(int32_t frame) override;

  // ---- Host-facing calls: the record and the tables forward here (clap_plugin.cpp) -----------
  bool Init();                                                               // [main]
  void Destroy();                                                            // [main] deletes this
  bool Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);  // [main, locked]
  void Deactivate();                                                         // [main, locked]
  bool StartProcessing();                                                    // [audio]
  void StopProcessing();                                                     // [audio]
  void Reset();                                                              // [audio, locked]
  // [audio, locked] Always CONTINUE: the chimes play whether or not audio comes in.
  int32_t Process(const clap::Process* process);
  const void* Extension(const char* id) const;  // [any]

  // Parameters: ids are the parameter indices, values plain (min..max). [main]; Flush [audio]
  // while active, [main] otherwise, and locked.
  uint32_t ParamCount() const;
  bool GetParamInfo(uint32_t index, clap::ParamInfo* info) const;
  bool GetParamValue(clap::Id id, double* value) const;
  bool ParamValueToText(clap::Id id, double value, char* text, uint32_t capacity) const;
  bool ParamTextToValue(clap::Id id, const char* text, double* value) const;
  void Flush(const clap::InputEvents* in, const clap::OutputEvents* out);

  // State: the VST 2 bank chunk's bytes. [main]; load takes the lock while it applies them.
  bool SaveState(const clap::OStream* stream);
  bool LoadState(const clap::IStream* stream);

  // Editor, embedded only, at the editor's own size. [main, locked where it opens or closes]
  bool GuiIsApiSupported(const char* api, bool floating) const;
  bool GuiGetPreferredApi(const char** api, bool* floating) const;
  bool GuiCreate(const char* api, bool floating);
  void GuiDestroy();
  bool GuiGetSize(uint32_t* width, uint32_t* height) const;
  bool GuiSetSize(uint32_t width, uint32_t height) const;
  bool GuiSetParent(const clap::GuiWindow* window);
  bool GuiShow();
  bool GuiHide();

  // Latency: the instrument's own. [main]
  uint32_t Latency() const { return static_cast<uint32_t>(GetLatency()); }

 private:
  // The record's methods, all forwarding to the object in plugin_data (clap_plugin.cpp).
  static clap::Plugin Methods() noexcept;
  // Host extensions, looked up once by Init; null when the host has none.
  template <class Table>
  const Table* HostExtension(const char* id) const;
  // [any] The host's log, when it has one; and a warning when a main-thread call came on another
  // thread, which the host's thread check tells.
  void Log(clap::LogSeverity severity, const char* message) const;
  void ExpectMainThread(const char* call) const;
  // Asks for a flush, once, for what the editor queued between calls; never on the audio thread.
  void RequestFlush();

  // clap_process.cpp
  // [audio] MIDI, note and SysEx events of the call go to the instrument before it runs.
  void TakeHostNotes();
  void ApplyParamValue(const clap::EventHeader& event);
  // [audio] The call's parameter events and MIDI to the host in time order; then both are free.
  void DeliverEvents(const clap::OutputEvents* out, int32_t frames, bool withMidi);
  void PushParamEvent(const clap::OutputEvents* out, const ClapParamQueue::Entry& entry,
                      uint32_t frame);
  void PushMidiEvent(const clap::OutputEvents* out, const EventQueue::Event& event);
  // An event the host cannot take is gone: nothing in the call could carry it instead.
  static void Push(const clap::OutputEvents* out, const clap::EventHeader& event);
  // Starts and ends a process or flush call reading in.
  void BeginCall(const clap::InputEvents* in);
  void EndCall();
  // The parameter of a CLAP id, or null.
  IParameter* ParameterById(clap::Id id) const;
  // [locked] A plain value as the parameter holds it: within range, whole steps when stepped.
  static double PlainValue(const IParameter& parameter, double value);

  clap::Plugin record_{};
  const clap::Host* host_;
  bool midi_;
  const clap::HostParams* hostParams_ = nullptr;
  const clap::HostLog* hostLog_ = nullptr;
  const clap::HostThreadCheck* hostThreadCheck_ = nullptr;
  std::vector<double> defaults_;  // each parameter's value as constructed

  bool flushRequested_ = false;  // [locked] until the queued events reach the host

  // The running process or flush call (audio, locked).
  bool inCall_ = false;
  const clap::InputEvents* callInput_ = nullptr;
  uint32_t callInputCount_ = 0;
  uint32_t nextInput_ = 0;
  uint32_t changeFrame_ = 0;  // the frame of the host change being applied
  clap::EventTransport transport_{};
  bool hasTransport_ = false;
  ClapParamQueue paramEvents_;
  // The host's channel pointers of one call, one entry per channel of the base.
  std::vector<float*> hostInputs_;
  std::vector<float*> hostOutputs_;

  // Editor.
  bool guiCreated_ = false;
  void* guiParent_ = nullptr;
};
