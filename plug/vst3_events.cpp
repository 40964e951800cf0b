// Conversions between the event queue's MIDI and VST 3 events.
#include "plug/vst3_events.h"

#include <algorithm>
#include <cmath>
#include <cstring>

float Vst3MidiFloat(uint8_t byte) noexcept {
  const int wanted = std::min<int>(byte, 127);
  float value = static_cast<float>(wanted) / 127.0f;
  // n / 127 in float may land a hair below n / 127, and truncation then gives n - 1.
  while (value < 1.0f && static_cast<int>(value * 127.0f) < wanted)
    value = std::nextafter(value, 1.0f);
  return value;
}

uint8_t Vst3MidiByte(double value) noexcept {
  if (!(value > 0.0)) return 0;
  return static_cast<uint8_t>(std::lround(std::min(value, 1.0) * 127.0));
}

bool ToVst3Event(const EventQueue::Event& due, vst3::Event& event) noexcept {
  std::memset(&event, 0, sizeof event);
  event.busIndex = 0;
  event.sampleOffset = due.frame;
  if (due.kind == EventQueue::Kind::kSysex) {
    event.type = vst3::Event::kDataEvent;
    event.data.type = vst3::DataEvent::kMidiSysEx;
    event.data.size = static_cast<uint32_t>(due.size);
    event.data.bytes = due.data;
    return due.data && due.size > 0;
  }
  if (due.kind != EventQueue::Kind::kMidi) return false;
  const uint8_t status = due.midi[0];
  const auto channel = static_cast<int16_t>(status & 0x0F);
  const auto data1 = static_cast<uint8_t>(due.midi[1] & 0x7F);
  const auto data2 = static_cast<uint8_t>(due.midi[2] & 0x7F);
  auto legacy = [&](uint8_t controlNumber, uint8_t value, uint8_t value2) {
    event.type = vst3::Event::kLegacyMIDICCOutEvent;
    event.midiCCOut = {controlNumber, static_cast<int8_t>(channel), static_cast<int8_t>(value),
                       static_cast<int8_t>(value2)};
    return true;
  };
  switch (status & 0xF0) {
    case 0x80:
      event.type = vst3::Event::kNoteOffEvent;
      event.noteOff = {channel, data1, Vst3MidiFloat(data2), -1, 0.0f};
      return true;
    case 0x90:
      // Velocity 0 stays a note-on, so the bytes that reach the next plug-in are the same.
      event.type = vst3::Event::kNoteOnEvent;
      event.noteOn = {channel, data1, 0.0f, Vst3MidiFloat(data2), 0, -1};
      return true;
    case 0xA0:
      event.type = vst3::Event::kPolyPressureEvent;
      event.polyPressure = {channel, data1, Vst3MidiFloat(data2), -1};
      return true;
    case 0xB0:
      return legacy(data1, data2, 0);
    case 0xC0:
      return legacy(vst3::kCtrlProgramChange, data1, 0);
    case 0xD0:
      return legacy(vst3::kAfterTouch, data1, 0);
    case 0xE0:
      return legacy(vst3::kPitchBend, data1, data2);
    default:
      return status == 0xF1 && legacy(vst3::kCtrlQuarterFrame, data1, 0);
  }
}

bool FromVst3Event(const vst3::Event& event, IMidiMessage& message) noexcept {
  int channel = 0;
  int key = 0;
  double value = 0.0;
  uint8_t kind = 0;
  switch (event.type) {
    case vst3::Event::kNoteOnEvent:
      kind = 0x90;
      channel = event.noteOn.channel;
      key = event.noteOn.pitch;
      value = event.noteOn.velocity;
      break;
    case vst3::Event::kNoteOffEvent:
      kind = 0x80;
      channel = event.noteOff.channel;
      key = event.noteOff.pitch;
      value = event.noteOff.velocity;
      break;
    case vst3::Event::kPolyPressureEvent:
      kind = 0xA0;
      channel = event.polyPressure.channel;
      key = event.polyPressure.pitch;
      value = event.polyPressure.pressure;
      break;
    default:
      return false;
  }
  if (channel < 0 || channel > 15 || key < 0 || key > 127) return false;
  message = {};
  message.offset = event.sampleOffset;
  message.status = static_cast<uint8_t>(kind | channel);
  message.data1 = static_cast<uint8_t>(key);
  message.data2 = Vst3MidiByte(value);
  return true;
}

IMidiMessage ControllerMessage(int channel, int controller, double value, int32_t offset) noexcept {
  IMidiMessage message;
  message.offset = offset;
  const auto status = static_cast<uint8_t>(channel & 0x0F);
  if (controller == vst3::kPitchBend) {
    const double bend = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    const auto bits = static_cast<int>(std::lround(bend * 16383.0));
    message.status = static_cast<uint8_t>(0xE0 | status);
    message.data1 = static_cast<uint8_t>(bits & 0x7F);
    message.data2 = static_cast<uint8_t>(bits >> 7);
  } else if (controller == vst3::kAfterTouch) {
    message.status = static_cast<uint8_t>(0xD0 | status);
    message.data1 = Vst3MidiByte(value);
  } else {
    message.status = static_cast<uint8_t>(0xB0 | status);
    message.data1 = static_cast<uint8_t>(controller & 0x7F);
    message.data2 = Vst3MidiByte(value);
  }
  return message;
}
