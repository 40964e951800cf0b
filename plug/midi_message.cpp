// Constructors of the short MIDI messages the plug-in sends.
#include "plug/midi_message.h"

#include <cmath>

namespace {

// The message keeps the low eight bits of whatever it is given, as a MIDI byte would.
uint8_t LowByte(int value) noexcept {
  return static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

IMidiMessage IMidiMessage::MakeNoteOn(int note, int velocity, int offset, int channel) noexcept {
  IMidiMessage message;
  message.offset = offset;
  message.status = LowByte(0x90 | channel);
  message.data1 = LowByte(note);
  message.data2 = LowByte(velocity);
  return message;
}

IMidiMessage IMidiMessage::MakeNoteOff(int note, int offset, int channel) noexcept {
  IMidiMessage message;
  message.offset = offset;
  message.status = LowByte(0x80 | channel);
  message.data1 = LowByte(note);
  return message;
}

IMidiMessage IMidiMessage::MakeControlChange(int controller, double normalized,
                                             int channel) noexcept {
  IMidiMessage message;
  message.status = LowByte(0xB0 | channel);
  message.data1 = LowByte(controller);
  // Truncated toward zero; a value with no int (NaN, huge) gives 0 rather than undefined bits.
  const double scaled = normalized * 127.0;
  int value = 0;
  if (scaled > -2147483648.0 && scaled < 2147483648.0) value = static_cast<int>(scaled);
  message.data2 = LowByte(value);
  return message;
}
