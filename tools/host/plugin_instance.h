// The host's view of one loaded plug-in, whatever its format: what the session, the parameter
// setter and the summary use, and what each format's loader implements (vst2_instance.cpp today).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace host {

// One short MIDI message at a frame offset into a processing call.
struct MidiMessage {
  int32_t offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// The transport at the first frame of a processing call (or now, between calls). Derived from
// the sample count alone, so every format hears the same numbers.
struct TransportState {
  double sampleRate = 44100.0;
  double tempo = 120.0;  // quarter notes per minute
  int32_t numerator = 4;
  int32_t denominator = 4;
  int64_t samplePosition = 0;
  double ppqPosition = 0.0;  // quarter notes from the song start
  double barStart = 0.0;     // quarter notes from the song start to the bar's first beat
  bool playing = false;
  bool changed = false;  // started or stopped since the last call
};

// A parameter's new value, due at the first frame of a call.
struct ParameterChange {
  int32_t index = 0;
  double normalized = 0.0;  // 0..1, always a float value, so VST 2 receives it unrounded
};

// Everything that goes into one processing call.
struct ProcessCall {
  int64_t start = 0;   // the call's first frame on the host's timeline
  int32_t frames = 0;  // 1 to the host's block size
  TransportState transport;
  std::span<const ParameterChange> parameters;  // in the order the host applies them
  std::span<const MidiMessage> midiIn;          // offsets in [0, frames), in time order
};

// Receives what a plug-in sends. An offset counts from the first frame of the call in progress;
// between calls (only VST 2 can send then) from the song position. Offsets are passed on as the
// plug-in gave them: the host checks them, the loader does not.
class MidiSink {
 public:
  virtual ~MidiSink() = default;
  virtual void OnMidi(const MidiMessage& message) = 0;
  // An event that is not a short MIDI message (SysEx and others); type is the format's own code.
  virtual void OnOtherEvent(int32_t type, int32_t offset) = 0;
};

// The host as an instance sees it from loading to closing. All calls come on the session's
// thread (this host has no separate audio thread), from inside any of the instance's calls.
class PluginHost : public MidiSink {
 public:
  virtual double SampleRate() const = 0;
  virtual int32_t MaxBlockSize() const = 0;
  // The transport the next call starts at.
  virtual TransportState CurrentTransport() const = 0;
  // The plug-in reports a change of its own to a parameter (an edit it wants recorded).
  virtual void OnAutomation(int32_t index, double normalized) = 0;
};

// What the summary shows of a plug-in.
struct PluginIdentity {
  std::string name;
  std::string vendor;
  std::string id;       // VST 2: the unique ID as four characters
  std::string version;  // as the format states it
};

// One instance; destroying it closes the plug-in (stopping it first) and unloads its library.
// The session calls, in this order: Identity and the parameter calls at will; Open; program,
// state and parameters; Start; Process per block; Stop; GetState. Parameter indices are checked
// by the caller (0 to ParameterCount() - 1).
class PluginInstance {
 public:
  virtual ~PluginInstance() = default;

  virtual PluginIdentity Identity() = 0;
  // Prepares processing at the host's sample rate in calls of at most its block size.
  virtual void Open() = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;

  virtual int32_t ParameterCount() = 0;
  virtual std::string ParameterName(int32_t index) = 0;
  virtual std::string ParameterLabel(int32_t index) = 0;  // the unit, may be empty
  virtual std::string ParameterDisplay(int32_t index) = 0;
  // The text the parameter would show at normalized. May leave the parameter at normalized (VST 2
  // can read a display only by setting the value), so call it only while not processing and set
  // the value wanted afterwards.
  virtual std::string DisplayOf(int32_t index, double normalized) = 0;
  virtual double GetNormalized(int32_t index) = 0;
  virtual void SetNormalized(int32_t index, double normalized) = 0;

  virtual int32_t ProgramCount() = 0;
  virtual void SetProgram(int32_t program) = 0;

  // The plug-in's whole state (VST 2: the bank chunk). False when it gives none.
  virtual bool GetState(std::vector<uint8_t>& bytes) = 0;
  // False when the plug-in refuses the bytes.
  virtual bool SetState(std::span<const uint8_t> bytes) = 0;

  // One call over silent inputs: applies call.parameters, delivers call.midiIn, processes
  // call.frames frames with call.transport, and hands every event the plug-in sends during the
  // call to out before returning.
  virtual void Process(const ProcessCall& call, MidiSink& out) = 0;
};

}  // namespace host
