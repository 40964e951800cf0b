// What the chimes send: note-ons, the note-offs that follow them, and the wind controllers.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "graphics/graphics_core.h"
#include "instrument/tintinna.h"

void Tintinna::StrikeChime(int offset) {
  // Chime choice and bounces keep the sequence on chimes 1 to 8.
  const int chime = wind_.currentChime;
  PendingNoteOff& slot = pending_[chime];
  const int floor = settings_.minVelocity;
  // 22 at rest with no floor; full force from an energy of about 3.
  const int velocity = std::min(
      127, floor + static_cast<int>(std::sqrt(wind_.energy + 0.1) * 0.567962 * (127 - floor)));
  const int note = settings_.notes[chime];
  const int channel = settings_.noteChannel;

  if (slot.countdown > 0) {
    // Still ringing: its note-off goes out now, before the new note-on. A bounce whose note-on
    // lies after this strike keeps its whole length instead, so that no note-off comes ahead
    // of the note-on it ends.
    const bool sounding = slot.countdown - slot.length <= offset;
    slot.noteOff.offset = sounding ? offset : slot.countdown;
    SendMidiMessage(slot.noteOff);
  }
  if (slot.countdown <= 0 || slot.noteOff.Channel() != channel)
    SendMidiMessage(IMidiMessage::MakeNoteOff(note, offset, channel));
  SendMidiMessage(IMidiMessage::MakeNoteOn(note, velocity, offset, channel));
  SetLamp(chime, velocity / 127.0);

  // Counted from the start of this block, so a bounce beyond its end still comes due in time.
  // At least one sample: below 10 Hz a note would otherwise never get its note-off.
  const int64_t length =
      std::max<int64_t>(1, static_cast<int64_t>(wind_.sampleRate * settings_.noteSeconds));
  const int64_t due = int64_t{offset} + length;
  slot.countdown = static_cast<int>(std::min<int64_t>(due, std::numeric_limits<int>::max()));
  slot.length = slot.countdown - offset;
  slot.noteOff = IMidiMessage::MakeNoteOff(note, 0, channel);
}

void Tintinna::RunNoteOffCountdowns(int frames) {
  for (int chime = 1; chime <= kMaxChimes; ++chime) {
    PendingNoteOff& slot = pending_[chime];
    if (slot.countdown <= 0) continue;
    if (slot.countdown > frames) {
      slot.countdown -= frames;
      continue;
    }
    slot.noteOff.offset = slot.countdown;  // may equal frames: due at the block end
    SendMidiMessage(slot.noteOff);
    slot.countdown = 0;
    SetLamp(chime, 0.0);
  }
}

void Tintinna::SendControllerOutputs(int meter) {
  const double value = meter / 127.0;
  if (settings_.sendA)
    SendMidiMessage(
        IMidiMessage::MakeControlChange(settings_.ccNumberA, value, settings_.ccChannelA));
  if (settings_.sendB)
    SendMidiMessage(
        IMidiMessage::MakeControlChange(settings_.ccNumberB, value, settings_.ccChannelB));
}

void Tintinna::SetLamp(int chime, double normalized) {
  if (IGraphicsCore* editor = GetEditor(); editor && lampControls_[chime] >= 0)
    editor->SetControlFromPlugin(lampControls_[chime], normalized);
}
