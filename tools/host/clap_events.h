// CLAP events as a host builds and collects them: one list serves as a call's input and as the
// plug-in's output, and the states go through streams of the host's own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "plug/clap_abi.h"

namespace host {

// Room for any core event the host reads; an event of another kind keeps at least its header.
union ClapEvent {
  clap::EventHeader header;
  clap::EventMidi midi;
  clap::EventNote note;
  clap::EventParamValue param;
  clap::EventParamGesture gesture;
  clap::EventTransport transport;
  clap::EventMidiSysex sysex;
};

ClapEvent ClapMidi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
ClapEvent ClapNote(uint32_t time, clap::EventType type, int16_t channel, int16_t key,
                   double velocity);
// A plain (min..max) value for every note, port, channel and key.
ClapEvent ClapParam(uint32_t time, clap::Id id, double value);

// The list hands out its method tables with itself as their context, so it may be moved and
// copied between calls.
class ClapEventList {
 public:
  ClapEventList() = default;
  explicit ClapEventList(std::vector<ClapEvent> events) : events_(std::move(events)) {}

  const clap::InputEvents* In();
  const clap::OutputEvents* Out();

  // Copies the event as try_push does; false for one without a whole header.
  bool Push(const clap::EventHeader* event);
  void Add(const ClapEvent& event) { events_.push_back(event); }
  void Clear() { events_.clear(); }
  void Reserve(size_t count) { events_.reserve(count); }

  const std::vector<ClapEvent>& Events() const { return events_; }
  std::vector<ClapEvent> OfType(uint16_t type) const;

 private:
  std::vector<ClapEvent> events_;
  clap::InputEvents in_{};
  clap::OutputEvents out_{};
};

// The bytes a plug-in saves, appended to a vector of the host's.
class ClapStateWriter {
 public:
  explicit ClapStateWriter(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  const clap::OStream* Stream();

 private:
  std::vector<uint8_t>& bytes_;
  clap::OStream stream_{};
};

// Bytes of the host's for a plug-in to load, handed out in the pieces it asks for.
class ClapStateReader {
 public:
  explicit ClapStateReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  const clap::IStream* Stream();

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  clap::IStream stream_{};
};

// One MIDI 1 message for a CLAP note-on or note-off event: velocity 0..1 as 0..127, a note-on
// never below 1 (a MIDI note-on of 0 ends the note). False for other events and for wildcards.
bool MidiBytesOfNote(const clap::EventNote& note, uint8_t bytes[3]);

}  // namespace host
