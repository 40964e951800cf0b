// The note-off each chime owes the host, and when.
#pragma once

#include "plug/midi_message.h"

struct PendingNoteOff {
  int countdown = 0;     // samples from the current block's start; 0 or less: nothing pending
  int length = 0;        // samples from its note-on to the note-off
  IMidiMessage noteOff;  // the last strike's note-off, offset filled in when it is sent
};
