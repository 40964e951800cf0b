// The events bound for the host: held until the processing call in which they fall, then handed
// to the format's adapter as one list per call, in time order, every frame inside the call.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Times are frames from the start of the processing call under way, or of the next one when
// none runs. Nothing here allocates after construction, and nothing waits.
//
// Capacity. 1024 events hold the densest stream the chimes can make (a strike and its bounce
// every 20 ms: six messages, and later a note-off for each of the two notes) in any call of up
// to 65536 frames at 44.1 kHz, about 600 events, with room to spare for what the host passes
// through. Past kCapacity - kNoteOffReserve only note-offs are taken; a note-off that finds the
// queue full is owed instead (counted by channel and key) and goes out at the last frame of
// the first call that holds no note-on of its key for later. Anything else that finds no room
// is dropped and counted. So no note is ever left on, no note-off comes ahead of its note-on,
// and no event leaves its call.
class EventQueue {
 public:
  static constexpr int kCapacity = 1024;
  static constexpr int kNoteOffReserve = 128;
  // Room for owed note-offs in a call whose list the queue's own events fill; the rest wait.
  static constexpr int kOwedPerCall = 128;
  // System-exclusive dumps and passed-through records waiting for their call share this many
  // bytes.
  static constexpr int32_t kSysexBytes = 64 * 1024;

  enum class Kind : uint8_t {
    kMidi,    // a short message: status and up to two data bytes
    kSysex,   // a system-exclusive dump, F0 to F7
    kRecord,  // a host record of a kind only its format knows, passed back unchanged
  };
  // One due event, as an adapter reads it.
  struct Event {
    int32_t frame = 0;
    Kind kind = Kind::kMidi;
    uint8_t midi[3] = {};
    int32_t recordType = 0;         // kRecord: the format's own type of the record
    const uint8_t* data = nullptr;  // kSysex: the dump; kRecord: the record
    int32_t size = 0;               // bytes at data
  };

  EventQueue();
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  // A short MIDI message. fromHost: passed through from the host, due in the next call whatever
  // its time says. False when it was dropped (a note-off is never dropped).
  bool AddMidi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2, bool fromHost);
  // Copies of what the host passed in that is not a short message, due in the next call: a
  // SysEx dump, or a record that only the adapter knows how to read. Copied while it fits the
  // shared storage; false when refused.
  bool AddSysex(int64_t time, const void* dump, int32_t bytes);
  bool AddRecord(int64_t time, int32_t recordType, const void* record, int32_t bytes);
  // Counts an event the adapter could not read at all among the dropped ones; always false.
  bool Refuse() noexcept {
    ++dropped_;
    return false;
  }

  // Processing stops. Held note-ons are dropped, so that no note from before sounds after the
  // resume; held note-offs are owed, so that they go out in the first call after it.
  void Suspend();

  // The events due before frames, stably ordered by time (empty when there are none); the
  // others now count from the next call. The list and the bytes it points to stay valid until
  // Release, which the adapter runs once the host has taken its copy.
  std::span<const Event> TakeDue(int32_t frames);
  void Release();

  // Nothing waits and nothing is owed: the call has nothing to deliver.
  bool Idle() const noexcept { return count_ == 0 && owedCount_ == 0; }
  int Size() const noexcept { return count_; }
  int64_t Dropped() const noexcept { return dropped_; }

 private:
  struct Entry {
    int64_t time;
    bool fromHost;
    Event event;
  };
  struct Due {
    int64_t time;
    int index;
  };

  bool HasRoom(bool noteOff) const noexcept;
  void Owe(size_t key);
  void Push(int64_t time, bool fromHost, const Event& event);
  // Copies bytes into the shared storage; null when they do not fit.
  const uint8_t* Store(const void* bytes, int32_t size);
  int EmitOwed(int slot, int32_t frames);

  std::vector<Entry> entries_;
  int count_ = 0;
  std::vector<Due> due_;
  std::vector<Event> outgoing_;  // the due events in time order, then the owed note-offs
  std::vector<Event> staged_;    // the due events in the order they came, when that differs
  std::vector<uint8_t> storage_;
  int32_t storageUsed_ = 0;
  std::array<uint16_t, 16 * 128> owed_{};  // note-offs owed, by channel and key
  std::bitset<16 * 128> heldOns_;          // note-ons held for a later call, found by TakeDue
  int owedCount_ = 0;
  int64_t dropped_ = 0;
};
