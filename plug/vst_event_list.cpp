// The VST 2 records of one call's events.
#include "plug/vst_event_list.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

VstEventList::VstEventList()
    : records_(EventQueue::kCapacity + EventQueue::kOwedPerCall), list_(1) {
  static_assert(offsetof(List, events) == offsetof(vst2::VstEvents, events));
}

vst2::VstEvents* VstEventList::Fill(std::span<const EventQueue::Event> due) {
  const size_t count = std::min(due.size(), records_.size());
  List& list = list_[0];
  for (size_t i = 0; i < count; ++i) {
    const EventQueue::Event& event = due[i];
    Record& record = records_[i];
    record = {};
    switch (event.kind) {
      case EventQueue::Kind::kMidi:
        record.midi.type = vst2::kVstMidiType;
        record.midi.byteSize = sizeof(vst2::VstMidiEvent);
        for (int b = 0; b < 3; ++b) record.midi.midiData[b] = static_cast<char>(event.midi[b]);
        break;
      case EventQueue::Kind::kSysex:
        record.sysex.type = vst2::kVstSysExType;
        record.sysex.byteSize = sizeof(vst2::VstMidiSysexEvent);
        record.sysex.dumpBytes = event.size;
        record.sysex.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(event.data));
        break;
      case EventQueue::Kind::kRecord:
        std::memcpy(&record.generic, event.data,
                    std::min(static_cast<size_t>(event.size), sizeof(record.generic)));
        break;
    }
    record.generic.deltaFrames = event.frame;
    list.events[i] = &record.generic;
  }
  list.numEvents = static_cast<int32_t>(count);
  list.reserved = 0;
  return reinterpret_cast<vst2::VstEvents*>(&list);
}
