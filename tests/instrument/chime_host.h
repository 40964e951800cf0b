// A recording VST 2 host for the instrument tests: drives a Tintinna through its effect record
// and keeps every MIDI event with its absolute sample time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "instrument/chime_random.h"
#include "instrument/tintinna.h"
#include "plug/vst2_abi.h"

namespace chime_test {

struct Event {
  int64_t time = 0;      // song position at the block start + delta frames
  int64_t hostTime = 0;  // frames of every call before this one + delta frames
  int block = 0;         // number of the processing call that delivered it
  int32_t offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;

  bool IsNoteOn() const { return (status & 0xF0) == 0x90; }
  bool IsNoteOff() const { return (status & 0xF0) == 0x80; }
  bool IsController() const { return (status & 0xF0) == 0xB0; }
  int Channel() const { return status & 0x0F; }
};

// One host per thread at a time: the callback finds it through a thread-local pointer, since
// the plug-in may call the host before its effect record is handed out. Every host checks the
// delivery as real hosts need it, and fails the test on its destruction if it saw one event
// outside [0, frames) of its call, out of time order, outside processing, or a second list in
// one call.
class ChimeHost {
 public:
  static constexpr int kMaxFrames = 1 << 18;

  explicit ChimeHost(double sampleRate = 44100.0, int blockSize = 512);
  // An instance from a library's entry point instead of the linked instrument; Plugin() is then
  // not available.
  ChimeHost(vst2::EntryProc entry, double sampleRate, int blockSize);
  ~ChimeHost();
  ChimeHost(const ChimeHost&) = delete;
  ChimeHost& operator=(const ChimeHost&) = delete;

  // effOpen, sample rate, block size, mains on: the way hosts start an instance.
  void Open();
  // One processReplacing call of frames (at most kMaxFrames) with a running or stopped
  // transport, as the host's time information says.
  void Process(int frames);
  void ProcessBlocks(int count, int frames);
  // processReplacing until the engine's wind has settled near its target and the energy is high.
  void WarmUp(int frames);
  void SetParameter(int index, float normalized);
  float GetParameter(int index);
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  Tintinna& Plugin() { return *plugin_; }
  vst2::AEffect* Effect() { return effect_; }

  // What the host reports when asked for the time.
  bool reportTime = true;
  bool playing = true;

  std::vector<Event> events;
  std::vector<std::pair<int, float>> automation;  // audioMasterAutomate: index, value
  int64_t position = 0;                           // samples processed while playing
  int64_t hostTime = 0;                           // samples processed, playing or not
  int blocks = 0;
  int deliveryFaults = 0;
  std::string firstFault;

  // Events of the most recent processing call.
  std::vector<Event> LastBlock() const;
  std::vector<Event> NoteOns() const;

 private:
  static intptr_t Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  double sampleRate_;
  int blockSize_;
  Tintinna* plugin_ = nullptr;
  vst2::AEffect* effect_ = nullptr;
  vst2::VstTimeInfo time_{};
  std::vector<float> in_[2];
  std::vector<float> out_[2];
  void Fault(const std::string& what);

  int64_t blockStart_ = 0;
  int callFrames_ = 0;
  bool inCall_ = false;
  int listsThisCall_ = 0;
  int32_t lastDelta_ = 0;
};

// The next value ChimeRandom will give on this thread, without taking it.
int PeekDraw();
// Draws on this thread until the next draw satisfies wanted.
void SteerNextDraw(const std::function<bool(int)>& wanted);

// Runs body on a fresh thread, whose ChimeRandom starts at 1, and waits for it.
void OnFreshThread(const std::function<void()>& body);

// Every note-on of the host's events, with "Duration" 0.1 s at 44.1 kHz in blocks of blockFrames,
// is ended by the next note-off of its key no later than a bounce after the end of the block in
// which it falls due (a strike or bounce of the chime made in that block ends it at its own
// time); exactly at its due time when no other note-on of the key lies within a bounce of that
// span. Returns the number of notes checked.
int ExpectEveryNoteEnded(const ChimeHost& host, int blockFrames);

// Chime number (1..8) whose note is note under the given host's settings, 0 if none.
int ChimeOfNote(const Tintinna& plugin, int note);

}  // namespace chime_test
