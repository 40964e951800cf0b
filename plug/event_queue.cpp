// The per-call event queue.
#include "plug/event_queue.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool IsNoteOff(uint8_t status, uint8_t velocity) {
  const int kind = status & 0xF0;
  return kind == 0x80 || (kind == 0x90 && velocity == 0);
}

bool IsNoteOn(const EventQueue::Event& event) {
  return event.kind == EventQueue::Kind::kMidi && (event.midi[0] & 0xF0) == 0x90 &&
         event.midi[2] != 0;
}

bool IsNoteOff(const EventQueue::Event& event) {
  return event.kind == EventQueue::Kind::kMidi && IsNoteOff(event.midi[0], event.midi[2]);
}

// Channel and key of a note message, as one index.
size_t NoteKey(uint8_t status, uint8_t key) {
  return static_cast<size_t>(status & 0x0F) * 128 + (key & 0x7F);
}

EventQueue::Event MidiEvent(uint8_t status, uint8_t data1, uint8_t data2) {
  EventQueue::Event event;
  event.kind = EventQueue::Kind::kMidi;
  event.midi[0] = status;
  event.midi[1] = data1;
  event.midi[2] = data2;
  return event;
}

}  // namespace

EventQueue::EventQueue()
    : entries_(kCapacity),
      due_(kCapacity),
      outgoing_(kCapacity + kOwedPerCall),
      staged_(kCapacity),
      storage_(kSysexBytes) {}

bool EventQueue::HasRoom(bool noteOff) const noexcept {
  const int free = kCapacity - count_;
  return free > kNoteOffReserve || (noteOff && free > 0);
}

void EventQueue::Push(int64_t time, bool fromHost, const Event& event) {
  Entry& entry = entries_[static_cast<size_t>(count_++)];
  entry.time = std::max<int64_t>(time, 0);
  entry.fromHost = fromHost;
  entry.event = event;
}

const uint8_t* EventQueue::Store(const void* bytes, int32_t size) {
  if (!bytes || size <= 0 || size > kSysexBytes - storageUsed_) return nullptr;
  uint8_t* copy = storage_.data() + storageUsed_;
  std::memcpy(copy, bytes, static_cast<size_t>(size));
  storageUsed_ += size;
  return copy;
}

bool EventQueue::AddMidi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2,
                         bool fromHost) {
  const bool noteOff = IsNoteOff(status, data2);
  if (HasRoom(noteOff)) {
    Push(time, fromHost, MidiEvent(status, data1, data2));
    return true;
  }
  if (noteOff) {
    Owe(NoteKey(status, data1));
    return true;
  }
  ++dropped_;
  return false;
}

bool EventQueue::AddSysex(int64_t time, const void* dump, int32_t bytes) {
  const uint8_t* copy = HasRoom(false) ? Store(dump, bytes) : nullptr;
  if (!copy) {
    ++dropped_;
    return false;
  }
  Event event;
  event.kind = Kind::kSysex;
  event.data = copy;
  event.size = bytes;
  Push(time, true, event);
  return true;
}

bool EventQueue::AddRecord(int64_t time, int32_t recordType, const void* record, int32_t bytes) {
  const uint8_t* copy = HasRoom(false) ? Store(record, bytes) : nullptr;
  if (!copy) {
    ++dropped_;
    return false;
  }
  Event event;
  event.kind = Kind::kRecord;
  event.recordType = recordType;
  event.data = copy;
  event.size = bytes;
  Push(time, true, event);
  return true;
}

void EventQueue::Suspend() {
  int kept = 0;
  for (int i = 0; i < count_; ++i) {
    const Entry& entry = entries_[static_cast<size_t>(i)];
    if (IsNoteOff(entry.event)) Owe(NoteKey(entry.event.midi[0], entry.event.midi[1]));
    if (IsNoteOn(entry.event) || IsNoteOff(entry.event)) continue;
    if (kept != i) entries_[static_cast<size_t>(kept)] = entry;
    ++kept;
  }
  count_ = kept;
}

void EventQueue::Owe(size_t key) {
  // Counted, not merged: every note-on gets a note-off of its own.
  if (owed_[key] == std::numeric_limits<uint16_t>::max()) return;
  ++owed_[key];
  ++owedCount_;
}

int EventQueue::EmitOwed(int slot, int32_t frames) {
  for (size_t key = 0; key < owed_.size() && owedCount_ > 0; ++key) {
    // A note-off waits while a note-on of its key is held: it may be the one it ends.
    if (heldOns_.test(key)) continue;
    for (; owed_[key] > 0 && slot < kCapacity + kOwedPerCall; --owed_[key], --owedCount_) {
      Event& event = outgoing_[static_cast<size_t>(slot++)];
      event = MidiEvent(static_cast<uint8_t>(0x80 | key / 128), static_cast<uint8_t>(key % 128), 0);
      event.frame = frames - 1;
    }
  }
  return slot;
}

std::span<const EventQueue::Event> EventQueue::TakeDue(int32_t frames) {
  if (frames <= 0 || (count_ == 0 && owedCount_ == 0)) return {};
  // One pass: the due events are copied out in the order they came, the rest move up and now
  // count from the start of the next call.
  int dueCount = 0;
  int kept = 0;
  bool ordered = true;
  const bool owing = owedCount_ > 0;
  if (owing) heldOns_.reset();
  for (int i = 0; i < count_; ++i) {
    Entry& entry = entries_[static_cast<size_t>(i)];
    // What the host passed in belongs to this call, even at a frame the call does not reach.
    const int64_t time = entry.fromHost ? std::min<int64_t>(entry.time, frames - 1) : entry.time;
    if (time < frames) {
      Event& event = outgoing_[static_cast<size_t>(dueCount)];
      event = entry.event;
      event.frame = static_cast<int32_t>(time);
      if (dueCount > 0 && time < due_[static_cast<size_t>(dueCount - 1)].time) ordered = false;
      due_[static_cast<size_t>(dueCount)] = {time, dueCount};
      ++dueCount;
    } else {
      entry.time -= frames;
      if (owing && IsNoteOn(entry.event))
        heldOns_.set(NoteKey(entry.event.midi[0], entry.event.midi[1]));
      if (kept != i) entries_[static_cast<size_t>(kept)] = entry;
      ++kept;
    }
  }
  count_ = kept;
  // Time, then the order of arrival: held-over events lead those of the call at the same frame.
  if (!ordered) {
    std::sort(due_.begin(), due_.begin() + dueCount, [](const Due& a, const Due& b) {
      return a.time != b.time ? a.time < b.time : a.index < b.index;
    });
    std::copy_n(outgoing_.begin(), dueCount, staged_.begin());
    for (int k = 0; k < dueCount; ++k)
      outgoing_[static_cast<size_t>(k)] =
          staged_[static_cast<size_t>(due_[static_cast<size_t>(k)].index)];
  }
  const int total = owedCount_ > 0 ? EmitOwed(dueCount, frames) : dueCount;
  return {outgoing_.data(), static_cast<size_t>(total)};
}

void EventQueue::Release() {
  if (storageUsed_ == 0) return;
  // Dumps and records still waiting keep the storage; with none left it is free again.
  for (int i = 0; i < count_; ++i)
    if (entries_[static_cast<size_t>(i)].event.kind != Kind::kMidi) return;
  storageUsed_ = 0;
}
