// What the host reports while it runs a plug-in: the MIDI the plug-in sends, its automation
// notices and the progress of the run. Tests and the command line implement it.
#pragma once

#include <cstdint>

namespace host {

// One MIDI event placed on the host's timeline: as the plug-in sent it, or as --midi-in plays it.
struct HostMidiEvent {
  int64_t sampleTime = 0;  // block start + deltaFrames; may lie past the block's end
  int64_t blockStart = 0;  // first sample of the block during which it was sent
  int32_t deltaFrames = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;

  bool IsNoteOn() const { return (status & 0xF0) == 0x90 && data2 > 0; }
  // A note-on with velocity 0 ends a note as well, as MIDI has it.
  bool IsNoteOff() const {
    return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data2 == 0);
  }
  bool IsControlChange() const { return (status & 0xF0) == 0xB0; }
  int Channel() const { return status & 0x0F; }
};

// Called on the thread that runs the session; the plug-in's processing call is still on the
// stack during OnMidiEvent and OnAutomation, so implementations must not call back into it.
class HostObserver {
 public:
  virtual ~HostObserver() = default;
  virtual void OnMidiEvent(const HostMidiEvent& /*event*/) {}
  // Any event that is not MIDI (SysEx and others), at its absolute sample time.
  virtual void OnOtherEvent(int32_t /*type*/, int64_t /*sampleTime*/) {}
  virtual void OnAutomation(int32_t /*index*/, double /*normalized*/) {}
  // After each processing call: the block's first sample and length, and the run's total length.
  virtual void OnBlockDone(int64_t /*blockStart*/, int32_t /*frames*/, int64_t /*totalFrames*/) {}
};

}  // namespace host
