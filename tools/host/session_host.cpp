// The host side of a run: event placement, the delivery check and the notes left sounding.
#include "tools/host/session_host.h"

namespace host {

void SessionHost::BeginBlock(int64_t blockStart, int32_t frames) {
  blockStart_ = blockStart;
  blockFrames_ = frames;
  lastOffset_ = 0;
  inBlock_ = true;
}

void SessionHost::OnAutomation(int32_t index, double normalized) {
  ++automationCount_;
  observer_.OnAutomation(index, normalized);
}

int64_t SessionHost::Place(int32_t offset) {
  if (!inBlock_ || offset < 0 || offset >= blockFrames_) {
    ++delivery_.outsideCall;
  } else if (offset < lastOffset_) {
    ++delivery_.outOfOrder;
  } else {
    lastOffset_ = offset;
  }
  return inBlock_ ? blockStart_ : transport_.SamplePosition();
}

void SessionHost::OnMidi(const MidiMessage& message) {
  HostMidiEvent event;
  event.blockStart = Place(message.offset);
  event.sampleTime = event.blockStart + message.offset;
  event.deltaFrames = message.offset;
  event.status = message.status;
  event.data1 = message.data1;
  event.data2 = message.data2;
  if (event.IsNoteOn() || event.IsNoteOff()) {
    sounding_.set(static_cast<size_t>(event.Channel() * 128 + (event.data1 & 0x7F)),
                  event.IsNoteOn());
  }
  observer_.OnMidiEvent(event);
}

void SessionHost::OnOtherEvent(int32_t type, int32_t offset) {
  observer_.OnOtherEvent(type, Place(offset) + offset);
}

int SessionHost::CloseSoundingNotes(int64_t time) {
  int closed = 0;
  for (size_t key = 0; key < sounding_.size(); ++key) {
    if (!sounding_.test(key)) continue;
    HostMidiEvent off;
    off.sampleTime = time;
    off.blockStart = time;
    off.status = static_cast<uint8_t>(0x80 | key / 128);
    off.data1 = static_cast<uint8_t>(key % 128);
    observer_.OnMidiEvent(off);
    ++closed;
  }
  sounding_.reset();
  return closed;
}

}  // namespace host
