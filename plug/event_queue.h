// The events bound for the host: held until the processing call in which they fall, then handed
// over as one list per call, in time order, every offset inside the call.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "plug/vst2_abi.h"

// Times are frames from the start of the processing call under way, or of the next one when
// none runs. Nothing here allocates after construction, and nothing waits.
//
// Capacity. 1024 events hold the densest stream the chimes can make (a strike and its bounce
// every 20 ms: six messages, and later a note-off for each of the two notes) in any call of up
// to 65536 frames at 44.1 kHz, about 600 events, with room to spare for what the host passes
// through. Past kCapacity - kNoteOffReserve only note-offs are taken; a note-off that finds the
// queue full is owed instead (one bit per channel and key) and goes out at the last frame of
// the call. Anything else that finds no room is dropped and counted. So no note is ever left
// on, and no event leaves its call.
class EventQueue {
 public:
  static constexpr int kCapacity = 1024;
  static constexpr int kNoteOffReserve = 128;
  // Owed note-offs sent per call at most; the rest wait for the next call.
  static constexpr int kOwedPerCall = 128;
  // System-exclusive dumps waiting for their call share this many bytes.
  static constexpr int32_t kSysexBytes = 64 * 1024;

  EventQueue();
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  // A short MIDI message. fromHost: passed through from the host, due in the next call whatever
  // its offset says. False when it was dropped (a note-off is never dropped).
  bool AddMidi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2, bool fromHost);
  // A copy of a host event that is not MIDI, due at its delta frames in the next call. SysEx
  // dumps are copied while they fit the shared storage; other types are copied when their
  // record is the generic one. False when refused.
  bool AddHostEvent(const vst2::VstEvent& event);

  // The events due before frames, stably ordered by time, as one list (null when there are
  // none); the others now count from the next call. The list and the dumps it points to stay
  // valid until Release, which the caller runs once the host has taken the list.
  vst2::VstEvents* TakeDue(int32_t frames);
  void Release();

  // Nothing waits and nothing is owed: the call has nothing to deliver.
  bool Idle() const noexcept { return count_ == 0 && owedCount_ == 0; }
  int Size() const noexcept { return count_; }
  int64_t Dropped() const noexcept { return dropped_; }

 private:
  union Record {
    vst2::VstEvent generic;
    vst2::VstMidiEvent midi;
    vst2::VstMidiSysexEvent sysex;
  };
  struct Entry {
    int64_t time;
    bool fromHost;
    bool sysex;
    Record record;
  };
  struct Due {
    int64_t time;
    int index;
  };
  // The host reads numEvents pointers from a list laid out like VstEvents.
  struct List {
    int32_t numEvents;
    intptr_t reserved;
    vst2::VstEvent* events[kCapacity + kOwedPerCall];
  };

  bool HasRoom(bool noteOff) const noexcept;
  void Push(int64_t time, bool fromHost, bool sysex, const Record& record);
  int EmitOwed(int slot, int32_t frames);

  std::vector<Entry> entries_;
  int count_ = 0;
  std::vector<Due> due_;
  std::vector<Record> outgoing_;
  std::vector<List> list_;  // one element: kept off the object so the plug-in stays small
  std::vector<char> sysexBytes_;
  int32_t sysexUsed_ = 0;
  std::bitset<16 * 128> owed_;
  int owedCount_ = 0;
  int64_t dropped_ = 0;
};
