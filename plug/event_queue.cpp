// The per-call event queue.
#include "plug/event_queue.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

bool IsNoteOff(uint8_t status, uint8_t velocity) {
  const int kind = status & 0xF0;
  return kind == 0x80 || (kind == 0x90 && velocity == 0);
}

vst2::VstMidiEvent MidiRecord(uint8_t status, uint8_t data1, uint8_t data2) {
  vst2::VstMidiEvent midi{};
  midi.type = vst2::kVstMidiType;
  midi.byteSize = sizeof(vst2::VstMidiEvent);
  midi.midiData[0] = static_cast<char>(status);
  midi.midiData[1] = static_cast<char>(data1);
  midi.midiData[2] = static_cast<char>(data2);
  return midi;
}

}  // namespace

EventQueue::EventQueue()
    : entries_(kCapacity),
      due_(kCapacity),
      outgoing_(kCapacity + kOwedPerCall),
      list_(1),
      sysexBytes_(kSysexBytes) {
  static_assert(offsetof(List, events) == offsetof(vst2::VstEvents, events));
}

bool EventQueue::HasRoom(bool noteOff) const noexcept {
  const int free = kCapacity - count_;
  return free > kNoteOffReserve || (noteOff && free > 0);
}

void EventQueue::Push(int64_t time, bool fromHost, bool sysex, const Record& record) {
  Entry& entry = entries_[static_cast<size_t>(count_++)];
  entry.time = std::max<int64_t>(time, 0);
  entry.fromHost = fromHost;
  entry.sysex = sysex;
  entry.record = record;
}

bool EventQueue::AddMidi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2,
                         bool fromHost) {
  const bool noteOff = IsNoteOff(status, data2);
  if (HasRoom(noteOff)) {
    Entry& entry = entries_[static_cast<size_t>(count_++)];
    entry.time = std::max<int64_t>(time, 0);
    entry.fromHost = fromHost;
    entry.sysex = false;
    entry.record.midi = MidiRecord(status, data1, data2);
    return true;
  }
  if (noteOff) {
    const size_t key = static_cast<size_t>(status & 0x0F) * 128 + (data1 & 0x7F);
    if (!owed_.test(key)) ++owedCount_;
    owed_.set(key);
    return true;
  }
  ++dropped_;
  return false;
}

bool EventQueue::AddHostEvent(const vst2::VstEvent& event) {
  Record record{};
  bool sysex = false;
  if (event.type == vst2::kVstSysExType) {
    // The record is read whole only when it says it is one (byteSize with or without its first
    // two fields, as hosts differ).
    constexpr int32_t kSysexRecord = sizeof(vst2::VstMidiSysexEvent) - 2 * sizeof(int32_t);
    if (event.byteSize < kSysexRecord) {
      ++dropped_;
      return false;
    }
    const auto& dump = reinterpret_cast<const vst2::VstMidiSysexEvent&>(event);
    const int32_t bytes = dump.dumpBytes;
    if (bytes <= 0 || !dump.sysexDump || bytes > kSysexBytes - sysexUsed_ || !HasRoom(false)) {
      ++dropped_;
      return false;
    }
    record.sysex = dump;
    char* copy = sysexBytes_.data() + sysexUsed_;
    std::memcpy(copy, dump.sysexDump, static_cast<size_t>(bytes));
    sysexUsed_ += bytes;
    record.sysex.sysexDump = copy;
    sysex = true;
  } else {
    // Whatever lies beyond the generic record cannot be copied without knowing its type.
    if (event.byteSize < 0 || event.byteSize > static_cast<int32_t>(sizeof(vst2::VstEvent)) ||
        !HasRoom(false)) {
      ++dropped_;
      return false;
    }
    record.generic = event;
  }
  Push(event.deltaFrames, true, sysex, record);
  return true;
}

int EventQueue::EmitOwed(int slot, int32_t frames) {
  for (size_t key = 0; key < owed_.size() && owedCount_ > 0 && slot < kCapacity + kOwedPerCall;
       ++key) {
    if (!owed_.test(key)) continue;
    owed_.reset(key);
    --owedCount_;
    Record& record = outgoing_[static_cast<size_t>(slot)];
    record.midi =
        MidiRecord(static_cast<uint8_t>(0x80 | key / 128), static_cast<uint8_t>(key % 128), 0);
    record.midi.deltaFrames = frames - 1;
    list_[0].events[slot++] = &record.generic;
  }
  return slot;
}

vst2::VstEvents* EventQueue::TakeDue(int32_t frames) {
  if (frames <= 0 || (count_ == 0 && owedCount_ == 0)) return nullptr;
  // One pass: the due events are copied out in the order they came, the rest move up and now
  // count from the start of the next call.
  int dueCount = 0;
  int kept = 0;
  bool ordered = true;
  for (int i = 0; i < count_; ++i) {
    Entry& entry = entries_[static_cast<size_t>(i)];
    // What the host passed in belongs to this call, even at an offset the call does not reach.
    const int64_t time = entry.fromHost ? std::min<int64_t>(entry.time, frames - 1) : entry.time;
    if (time < frames) {
      Record& record = outgoing_[static_cast<size_t>(dueCount)];
      record = entry.record;
      record.generic.deltaFrames = static_cast<int32_t>(time);
      if (dueCount > 0 && time < due_[static_cast<size_t>(dueCount - 1)].time) ordered = false;
      due_[static_cast<size_t>(dueCount)] = {time, dueCount};
      ++dueCount;
    } else {
      entry.time -= frames;
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
  }
  List& list = list_[0];
  for (int k = 0; k < dueCount; ++k)
    list.events[k] = &outgoing_[static_cast<size_t>(due_[static_cast<size_t>(k)].index)].generic;
  const int total = owedCount_ > 0 ? EmitOwed(dueCount, frames) : dueCount;
  if (total == 0) return nullptr;
  list.numEvents = total;
  list.reserved = 0;
  return reinterpret_cast<vst2::VstEvents*>(&list);
}

void EventQueue::Release() {
  if (sysexUsed_ == 0) return;
  // Dumps still waiting keep the storage; with none left it is free again.
  for (int i = 0; i < count_; ++i)
    if (entries_[static_cast<size_t>(i)].sysex) return;
  sysexUsed_ = 0;
}
