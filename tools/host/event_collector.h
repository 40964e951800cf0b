// Collects the MIDI a plug-in sends during a run, and prints each event on request.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/host/host_observer.h"

namespace host {

class EventCollector : public HostObserver {
 public:
  // With a print stream, every event is also written there as one line, in arrival order.
  explicit EventCollector(int32_t sampleRate, std::ostream* print = nullptr)
      : sampleRate_(sampleRate), print_(print) {}

  void OnMidiEvent(const HostMidiEvent& event) override;
  void OnOtherEvent(int32_t type, int64_t sampleTime) override;
  void OnAutomation(int32_t index, double value) override;

  const std::vector<HostMidiEvent>& Events() const { return events_; }
  int64_t OtherEvents() const { return otherEvents_; }

  // One line for an event: sample, seconds, block start and offset, bytes and meaning.
  static std::string Describe(const HostMidiEvent& event, int32_t sampleRate);

 private:
  int32_t sampleRate_;
  std::ostream* print_;
  std::vector<HostMidiEvent> events_;
  int64_t otherEvents_ = 0;
};

// "C4" for note 60 (middle C as C4).
std::string NoteName(int note);

}  // namespace host
