// MIDI in VST 3 terms: the queue's due events as output events, host events and mapped
// controller values as short MIDI messages.
#pragma once

#include <cstdint>

#include "plug/event_queue.h"
#include "plug/midi_message.h"
#include "plug/vst3_abi.h"

// The float for a velocity or pressure byte (0 to 127): the smallest one that hosts which turn it
// back by truncation (byte = value * 127, as Ardour does) and hosts which round both read as the
// byte. Never above 1.
float Vst3MidiFloat(uint8_t byte) noexcept;
// A host's 0 to 1 value as a byte, rounded; what is no number gives 0.
uint8_t Vst3MidiByte(double value) noexcept;

// [audio] The output event for a due event, at its frame on bus 0: notes as note-on and note-off
// events, poly pressure as its own event, other short messages as legacy MIDI CC output, SysEx as
// a data event that points into the queue's storage. False for what VST 3 cannot carry (the
// system messages other than quarter frames, and VST 2's own records).
bool ToVst3Event(const EventQueue::Event& due, vst3::Event& event) noexcept;
// [audio] A note-on, note-off or poly pressure event as a short message at its offset; false for
// anything else and for channels, keys or types out of range.
bool FromVst3Event(const vst3::Event& event, IMidiMessage& message) noexcept;
// [audio] The message a point of a mapped controller's parameter stands for: a control change
// (controller 0 to 127), channel pressure (kAfterTouch) or pitch bend (kPitchBend, 14 bits).
IMidiMessage ControllerMessage(int channel, int controller, double value, int32_t offset) noexcept;
