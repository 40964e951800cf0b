// A short MIDI message placed at a sample offset within the current block.
#pragma once

#include <cstdint>

struct IMidiMessage {
  int32_t offset = 0;  // frames from the start of the current block
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint8_t spare = 0;

  // Channels 0..15 are or-ed into the status unmasked.
  static IMidiMessage MakeNoteOn(int note, int velocity, int offset, int channel) noexcept;
  static IMidiMessage MakeNoteOff(int note, int offset, int channel) noexcept;
  // data 2 = trunc(normalized * 127), low 8 bits; offset 0.
  static IMidiMessage MakeControlChange(int controller, double normalized, int channel) noexcept;

  int Channel() const noexcept { return status & 0x0F; }
};
static_assert(sizeof(IMidiMessage) == 8);
