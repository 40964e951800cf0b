// Conversions between short MIDI messages and VST 3 events on the host's side.
#include "tools/host/vst3_midi.h"

#include <algorithm>
#include <cstring>

namespace host {

namespace {

// Ardour's (uint8)(value * 127.f) & 0x7F, without the undefined cast of a float out of range.
uint8_t TruncatedByte(float value) {
  const float scaled = value * 127.0f;
  if (!(scaled > 0.0f)) return 0;
  return static_cast<uint8_t>(static_cast<int64_t>(std::min(scaled, 1e9f)) & 0x7F);
}

bool InRange(int value, int last) {
  return value >= 0 && value <= last;
}

// The bytes of a short message of this status, or 0 for a status that is none.
int ShortMessageLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
      return 3;
    case 0xC0:
    case 0xD0:
      return 2;
    default:
      return 0;
  }
}

}  // namespace

bool ToVst3Event(const MidiMessage& message, double ppqPosition, vst3::Event& event) {
  std::memset(&event, 0, sizeof event);
  event.sampleOffset = message.offset;
  event.ppqPosition = ppqPosition;
  const auto channel = static_cast<int16_t>(message.status & 0x0F);
  const auto pitch = static_cast<int16_t>(message.data1 & 0x7F);
  const float value = static_cast<float>(message.data2 & 0x7F) / 127.0f;
  switch (message.status & 0xF0) {
    case 0x80:
      event.type = vst3::Event::kNoteOffEvent;
      event.noteOff = {channel, pitch, value, -1, 0.0f};
      return true;
    case 0x90:
      event.type = vst3::Event::kNoteOnEvent;
      event.noteOn = {channel, pitch, 0.0f, value, 0, -1};
      return true;
    case 0xA0:
      event.type = vst3::Event::kPolyPressureEvent;
      event.polyPressure = {channel, pitch, value, -1};
      return true;
    default:
      return false;
  }
}

bool ToVst3Controller(const MidiMessage& message, vst3::CtrlNumber& controller, double& value) {
  const int data1 = message.data1 & 0x7F;
  const int data2 = message.data2 & 0x7F;
  switch (message.status & 0xF0) {
    case 0xB0:
      controller = static_cast<vst3::CtrlNumber>(data1);
      value = data2 / 127.0;
      return true;
    case 0xD0:
      controller = vst3::kAfterTouch;
      value = data1 / 127.0;
      return true;
    case 0xE0:
      controller = vst3::kPitchBend;
      value = (data2 * 128 + data1) / 16383.0;
      return true;
    default:
      return false;
  }
}

bool FromVst3Event(const vst3::Event& event, MidiMessage& message) {
  message = MidiMessage{};
  message.offset = event.sampleOffset;
  auto set = [&message](int status, int channel, int data1, int data2) {
    if (!InRange(channel, 15) || !InRange(data1, 127) || !InRange(data2, 127)) return false;
    message.status = static_cast<uint8_t>(status | channel);
    message.data1 = static_cast<uint8_t>(data1);
    message.data2 = static_cast<uint8_t>(data2);
    return true;
  };
  switch (event.type) {
    case vst3::Event::kNoteOnEvent:
      return set(0x90, event.noteOn.channel, event.noteOn.pitch,
                 TruncatedByte(event.noteOn.velocity));
    case vst3::Event::kNoteOffEvent:
      return set(0x80, event.noteOff.channel, event.noteOff.pitch,
                 TruncatedByte(event.noteOff.velocity));
    case vst3::Event::kPolyPressureEvent:
      return set(0xA0, event.polyPressure.channel, event.polyPressure.pitch,
                 TruncatedByte(event.polyPressure.pressure));
    case vst3::Event::kLegacyMIDICCOutEvent: {
      const vst3::LegacyMIDICCOutEvent& cc = event.midiCCOut;
      switch (cc.controlNumber) {
        case vst3::kAfterTouch:
          return set(0xD0, cc.channel, cc.value, 0);
        case vst3::kPitchBend:
          return set(0xE0, cc.channel, cc.value, cc.value2);
        case vst3::kCtrlProgramChange:
          return set(0xC0, cc.channel, cc.value, 0);
        case vst3::kCtrlPolyPressure:
          return set(0xA0, cc.channel, cc.value, cc.value2);
        default:
          return cc.controlNumber < 128 && set(0xB0, cc.channel, cc.controlNumber, cc.value);
      }
    }
    case vst3::Event::kDataEvent: {
      const uint8_t* bytes = event.data.bytes;
      const uint32_t size = event.data.size;
      if (!bytes || size == 0 || size != static_cast<uint32_t>(ShortMessageLength(bytes[0])))
        return false;
      return set(bytes[0] & 0xF0, bytes[0] & 0x0F, bytes[1], size > 2 ? bytes[2] : 0);
    }
    default:
      return false;
  }
}

}  // namespace host
