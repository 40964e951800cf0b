// Event collection and the event list printed by --events.
#include "tools/host/event_collector.h"

#include <cinttypes>
#include <cstdio>

namespace host {

// Octaves count from 0 at note 0, as the plug-in's editor names its tones (60 is "C5").
std::string NoteName(int note) {
  static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                       "F#", "G",  "G#", "A",  "A#", "B"};
  return std::string(kNames[note % 12]) + std::to_string(note / 12);
}

std::string EventCollector::Describe(const HostMidiEvent& event, int32_t sampleRate) {
  char meaning[64];
  const int channel = event.Channel() + 1;
  if (event.IsNoteOn()) {
    std::snprintf(meaning, sizeof(meaning), "note-on  ch %2d %-4s (%3d) vel %3d", channel,
                  NoteName(event.data1 & 0x7F).c_str(), event.data1 & 0x7F, event.data2 & 0x7F);
  } else if (event.IsNoteOff()) {
    std::snprintf(meaning, sizeof(meaning), "note-off ch %2d %-4s (%3d)", channel,
                  NoteName(event.data1 & 0x7F).c_str(), event.data1 & 0x7F);
  } else if (event.IsControlChange()) {
    std::snprintf(meaning, sizeof(meaning), "cc       ch %2d #%-3d = %3d", channel,
                  event.data1 & 0x7F, event.data2 & 0x7F);
  } else {
    std::snprintf(meaning, sizeof(meaning), "other");
  }
  char line[160];
  std::snprintf(
      line, sizeof(line), "%10" PRId64 " %10.4fs  block %10" PRId64 " +%-5d %02X %02X %02X  %s",
      event.sampleTime, static_cast<double>(event.sampleTime) / sampleRate, event.blockStart,
      static_cast<int>(event.deltaFrames), event.status, event.data1, event.data2, meaning);
  return line;
}

void EventCollector::OnMidiEvent(const HostMidiEvent& event) {
  events_.push_back(event);
  if (print_ != nullptr) *print_ << Describe(event, sampleRate_) << '\n';
}

void EventCollector::OnOtherEvent(int32_t type, int64_t sampleTime) {
  ++otherEvents_;
  if (print_ != nullptr) {
    *print_ << sampleTime << " event of type " << type << " (not MIDI, not recorded)\n";
  }
}

void EventCollector::OnAutomation(int32_t index, double value) {
  if (print_ != nullptr) *print_ << "automation: parameter " << index << " = " << value << '\n';
}

}  // namespace host
