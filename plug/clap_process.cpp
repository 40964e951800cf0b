// The CLAP process and flush calls: the host's events in, the instrument's run, its events out.
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "graphics/graphics_core.h"
#include "plug/clap_effect.h"

namespace {

constexpr int32_t kNoChange = std::numeric_limits<int32_t>::max();

template <class Event>
const Event* As(const clap::EventHeader* header) {
  // An event shorter than its type's record cannot be read whole.
  return header && header->space_id == clap::kCoreEventSpaceId && header->size >= sizeof(Event)
             ? reinterpret_cast<const Event*>(header)
             : nullptr;
}

int32_t FrameOf(uint32_t time) {
  return static_cast<int32_t>(std::min<uint32_t>(time, INT32_MAX));
}

// The port's channels into pointers (null where the host gave none).
void Channels(const clap::AudioBuffer* ports, uint32_t portCount, std::vector<float*>& pointers) {
  std::fill(pointers.begin(), pointers.end(), nullptr);
  if (!ports || portCount == 0 || !ports[0].data32) return;
  const size_t count = std::min<size_t>(ports[0].channel_count, pointers.size());
  std::copy_n(ports[0].data32, count, pointers.begin());
}

// A note event as MIDI 1 bytes: velocity 0..1 to 0..127, and a note-on never at 0, which would
// read as a note-off. False for what one MIDI message cannot name (wildcards, out of range).
bool NoteToMidi(const clap::EventNote& note, bool on, IMidiMessage& message) {
  if (note.channel < 0 || note.channel > 15 || note.key < 0 || note.key > 127) return false;
  const double velocity = std::isnan(note.velocity) ? 0.0 : std::clamp(note.velocity, 0.0, 1.0);
  int scaled = static_cast<int>(std::lround(velocity * 127.0));
  if (on && scaled == 0) scaled = 1;
  message.status = static_cast<uint8_t>((on ? 0x90 : 0x80) | note.channel);
  message.data1 = static_cast<uint8_t>(note.key);
  message.data2 = static_cast<uint8_t>(scaled);
  return true;
}

}  // namespace

void IClapEffect::BeginCall(const clap::InputEvents* in) {
  inCall_ = true;
  callInput_ = in && in->size && in->get ? in : nullptr;
  callInputCount_ = callInput_ ? callInput_->size(callInput_) : 0;
  nextInput_ = 0;
  changeFrame_ = 0;
}

void IClapEffect::EndCall() {
  inCall_ = false;
  callInput_ = nullptr;
  callInputCount_ = 0;
  changeFrame_ = 0;
}

int32_t IClapEffect::Process(const clap::Process* process) {
  if (!process) return clap::kProcessContinue;
  ScopedLock lock(&Lock());
  const int32_t frames = FrameOf(process->frames_count);
  BeginCall(process->in_events);
  hasTransport_ = process->transport != nullptr;
  if (hasTransport_) transport_ = *process->transport;

  TakeHostNotes();
  Channels(process->audio_inputs, process->audio_inputs_count, hostInputs_);
  Channels(process->audio_outputs, process->audio_outputs_count, hostOutputs_);
  RunFloatCall(hostInputs_.data(), hostOutputs_.data(), frames, false);
  // What the run did not reach (changes timed past the call, or no run at all) applies now.
  ApplyHostChangesAt(kNoChange);
  if (process->audio_outputs && process->audio_outputs_count > 0)
    process->audio_outputs[0].constant_mask = 0;

  DeliverEvents(process->out_events, frames, true);
  EndCall();
  return clap::kProcessContinue;
}

void IClapEffect::Flush(const clap::InputEvents* in, const clap::OutputEvents* out) {
  ScopedLock lock(&Lock());
  BeginCall(in);
  ApplyHostChangesAt(kNoChange);
  // A flush has no time of its own: its events all go out at frame 0; MIDI waits for a process.
  DeliverEvents(out, 1, false);
  EndCall();
}

void IClapEffect::TakeHostNotes() {
  for (uint32_t i = 0; i < callInputCount_; ++i) {
    const clap::EventHeader* header = callInput_->get(callInput_, i);
    IMidiMessage message;
    message.offset = header ? FrameOf(header->time) : 0;
    if (const auto* midi = As<clap::EventMidi>(header); midi && header->type == clap::kEventMidi) {
      message.status = midi->data[0];
      message.data1 = midi->data[1];
      message.data2 = midi->data[2];
      ProcessMidiMessage(message);
    } else if (const auto* note = As<clap::EventNote>(header);
               note &&
               (header->type == clap::kEventNoteOn || header->type == clap::kEventNoteOff)) {
      if (NoteToMidi(*note, header->type == clap::kEventNoteOn, message))
        ProcessMidiMessage(message);
    } else if (const auto* sysex = As<clap::EventMidiSysex>(header);
               sysex && header->type == clap::kEventMidiSysex) {
      if (sysex->size <= INT32_MAX)
        Events().AddSysex(message.offset, sysex->buffer, static_cast<int32_t>(sysex->size));
      else
        Events().Refuse();
    }
  }
}

int32_t IClapEffect::ApplyHostChangesAt(int32_t frame) {
  for (; nextInput_ < callInputCount_; ++nextInput_) {
    const clap::EventHeader* header = callInput_->get(callInput_, nextInput_);
    const bool param = As<clap::EventParamValue>(header) && header->type == clap::kEventParamValue;
    const auto* transport = As<clap::EventTransport>(header);
    if (!param && !(transport && header->type == clap::kEventTransport)) continue;
    if (FrameOf(header->time) > frame) return FrameOf(header->time);
    changeFrame_ = header->time;
    if (param) {
      ApplyParamValue(*header);
    } else {
      transport_ = *transport;
      hasTransport_ = true;
    }
  }
  return kNoChange;
}

double IClapEffect::PlainValue(const IParameter& parameter, double value) {
  const double low = parameter.Minimum();
  const double high = parameter.Maximum();
  double v = std::clamp(value, low, high);
  // Rounded as a normalized value of a stepped parameter is: halves up.
  if (parameter.GetKind() != IParameter::kContinuous && parameter.Step() > 0.0)
    v = std::clamp(std::floor(v / parameter.Step() + 0.5) * parameter.Step(), low, high);
  return v;
}

void IClapEffect::ApplyParamValue(const clap::EventHeader& header) {
  const auto& event = reinterpret_cast<const clap::EventParamValue&>(header);
  IParameter* parameter = ParameterById(event.param_id);
  if (!parameter || !std::isfinite(event.value)) return;
  const int index = static_cast<int>(event.param_id);
  const double value = PlainValue(*parameter, event.value);
  if (IGraphicsCore* editor = GetEditor()) editor->SetParameterFromPlugin(index, value, false);
  parameter->SetValueClamped(value);
  ParameterChanged(index);
}

void IClapEffect::DeliverEvents(const clap::OutputEvents* out, int32_t frames, bool withMidi) {
  const std::span<const EventQueue::Event> due =
      withMidi ? EndProcessCall(frames) : std::span<const EventQueue::Event>{};
  const uint32_t last = static_cast<uint32_t>(std::max(frames, 1) - 1);
  // Both lists are in time order; at one frame a parameter change precedes what it caused.
  size_t next = 0;
  for (const ClapParamQueue::Entry& entry : paramEvents_.Entries()) {
    const uint32_t frame = std::min(entry.frame, last);
    for (; next < due.size() && static_cast<uint32_t>(due[next].frame) < frame; ++next)
      PushMidiEvent(out, due[next]);
    PushParamEvent(out, entry, frame);
  }
  for (; next < due.size(); ++next) PushMidiEvent(out, due[next]);
  for (int i = 0; paramEvents_.AnyStale() && i < ParameterCount(); ++i)
    if (paramEvents_.IsStale(i))
      PushParamEvent(
          out,
          {last, ClapParamQueue::Kind::kValue, static_cast<uint32_t>(i), GetParameter(i)->Value()},
          last);
  paramEvents_.Clear();
  flushRequested_ = false;
  if (!due.empty()) Events().Release();
}

void IClapEffect::Push(const clap::OutputEvents* out, const clap::EventHeader& event) {
  if (out && out->try_push) out->try_push(out, &event);
}

void IClapEffect::PushParamEvent(const clap::OutputEvents* out, const ClapParamQueue::Entry& entry,
                                 uint32_t frame) {
  if (entry.kind == ClapParamQueue::Kind::kValue) {
    clap::EventParamValue event{};
    event.header = {sizeof event, frame, clap::kCoreEventSpaceId, clap::kEventParamValue, 0};
    event.param_id = entry.param;
    event.note_id = clap::kWildcard;
    event.port_index = clap::kWildcard;
    event.channel = clap::kWildcard;
    event.key = clap::kWildcard;
    event.value = entry.value;
    Push(out, event.header);
    return;
  }
  clap::EventParamGesture event{};
  const bool begin = entry.kind == ClapParamQueue::Kind::kBegin;
  event.header = {sizeof event, frame, clap::kCoreEventSpaceId,
                  begin ? clap::kEventParamGestureBegin : clap::kEventParamGestureEnd, 0};
  event.param_id = entry.param;
  Push(out, event.header);
}

void IClapEffect::PushMidiEvent(const clap::OutputEvents* out, const EventQueue::Event& event) {
  const auto frame = static_cast<uint32_t>(event.frame);
  if (event.kind == EventQueue::Kind::kMidi) {
    clap::EventMidi midi{};
    midi.header = {sizeof midi, frame, clap::kCoreEventSpaceId, clap::kEventMidi, 0};
    std::copy_n(event.midi, 3, midi.data);
    Push(out, midi.header);
  } else if (event.kind == EventQueue::Kind::kSysex) {
    clap::EventMidiSysex sysex{};
    sysex.header = {sizeof sysex, frame, clap::kCoreEventSpaceId, clap::kEventMidiSysex, 0};
    sysex.buffer = event.data;
    sysex.size = static_cast<uint32_t>(event.size);
    Push(out, sysex.header);
  }
  // Host records of another format's own kinds never reach this queue.
}
