// The 128 General MIDI programs by name, for --instrument.
#pragma once

#include <string>

namespace host {

constexpr int kProgramCount = 128;
constexpr int kTubularBells = 14;  // the default instrument, as a program from 0

// "tubular-bells" for program 14 (numbered from 0 here, from 1 on the command line).
const char* InstrumentName(int program);

// A name (any case; spaces and underscores count as hyphens; the effects, pads and leads also
// without their "fx-3-" style prefix, so "crystal" is "fx-3-crystal") or a program number 1 to
// 128. Returns the program from 0, or -1.
int FindInstrument(const std::string& text);

}  // namespace host
