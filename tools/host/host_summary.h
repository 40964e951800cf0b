// The short report printed after a run: what ran, and the MIDI it produced.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"
#include "tools/host/host_options.h"
#include "tools/host/host_session.h"

namespace host {

struct NoteCount {
  int channel = 0;
  int note = 0;
  int64_t count = 0;
  int minVelocity = 127;
  int maxVelocity = 0;
};

struct ControllerCount {
  int channel = 0;
  int controller = 0;
  int64_t count = 0;
  int minValue = 127;
  int maxValue = 0;
};

struct MidiSummary {
  int64_t noteOns = 0;
  int64_t noteOffs = 0;
  int64_t controlChanges = 0;
  int64_t otherMessages = 0;
  int minVelocity = 0;  // over all note-ons; both 0 without notes
  int maxVelocity = 0;
  std::vector<NoteCount> notes;              // by channel, then note
  std::vector<ControllerCount> controllers;  // by channel, then controller number
};

MidiSummary Summarize(const std::vector<HostMidiEvent>& events);

// midiPath empty: no file was written.
void PrintSummary(std::ostream& out, const HostOptions& options, const SessionReport& report,
                  const MidiSummary& summary, const std::string& midiPath);

}  // namespace host
