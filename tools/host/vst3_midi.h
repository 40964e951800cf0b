// MIDI between tintinna-host and a VST 3 plug-in: short messages as input events or controller
// values, and output events back into the bytes Ardour 7.3 makes of them.
#pragma once

#include "plug/vst3_abi.h"
#include "tools/host/plugin_instance.h"

namespace host {

// A note-on, note-off or poly pressure message as an event on bus 0, its velocity or pressure
// byte / 127 (a note-on of velocity 0 stays a note-on, as in Ardour); false for other messages.
bool ToVst3Event(const MidiMessage& message, double ppqPosition, vst3::Event& event);

// What a control change, channel pressure or pitch bend message asks the plug-in's MIDI mapping
// for: its controller number (0 to 127, kAfterTouch, kPitchBend) and the value in 0..1. False for
// other messages.
bool ToVst3Controller(const MidiMessage& message, vst3::CtrlNumber& controller, double& value);

// The message an output event stands for: notes and poly pressure with their byte truncated from
// value * 127 as Ardour does; legacy controller output as a control change, pitch bend, program
// change or poly pressure (and channel pressure as its two-byte message, which Ardour 7.3 loses);
// a data event whose bytes are one short channel message as that message. False for everything
// else (SysEx, other event types, channels or data out of range), which Ardour does not turn into
// a short message either.
bool FromVst3Event(const vst3::Event& event, MidiMessage& message);

}  // namespace host
