// The events of one processing call as a VST 2 host reads them: one VstEvents list of records.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "plug/event_queue.h"
#include "plug/vst2_abi.h"

// Storage for the largest list a call can have, sized at construction; Fill allocates nothing.
class VstEventList {
 public:
  VstEventList();
  VstEventList(const VstEventList&) = delete;
  VstEventList& operator=(const VstEventList&) = delete;

  // [audio] The due events as records (MIDI, SysEx, or the host's own record passed back),
  // valid until the next Fill and, for dumps, until the queue's Release.
  vst2::VstEvents* Fill(std::span<const EventQueue::Event> due);

 private:
  union Record {
    vst2::VstEvent generic;
    vst2::VstMidiEvent midi;
    vst2::VstMidiSysexEvent sysex;
  };
  // The host reads numEvents pointers from a list laid out like VstEvents.
  struct List {
    int32_t numEvents;
    intptr_t reserved;
    vst2::VstEvent* events[EventQueue::kCapacity + EventQueue::kOwedPerCall];
  };

  std::vector<Record> records_;
  std::vector<List> list_;  // one element: kept off the object so the plug-in stays small
};
