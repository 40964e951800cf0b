// The LV2 adapter: URIDs, ports, the run call with its events and transport, state and notices.
#include "plug/lv2_effect.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "graphics/graphics_core.h"

namespace {

constexpr char kStateKeyUri[] = "urn:tintinna:chimes#state";

constexpr uint32_t kBegin = 1;
constexpr uint32_t kValue = 2;
constexpr uint32_t kEnd = 4;

const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
  for (; features && *features; ++features)
    if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
  return nullptr;
}

// Bytes of a short message by its status; 0 for what is no short message.
uint32_t ShortMessageSize(uint8_t status) {
  if (status < 0x80) return 0;
  if (status < 0xC0 || (status >= 0xE0 && status < 0xF0)) return 3;
  if (status < 0xE0) return 2;
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 2;
    case 0xF2:
      return 3;
    case 0xF0:
    case 0xF7:
      return 0;
    default:
      return 1;
  }
}

}  // namespace

ILv2Effect::ILv2Effect(HostHandle features, int parameterCount, const char* channelIO,
                       int presetCount, const char* effectName, const char* productName,
                       const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                       int latency, bool midi, bool stateChunks, bool isInstrument)
    : IEffectBase(parameterCount, channelIO, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, midi, stateChunks, isInstrument),
      firstOtherPort_(static_cast<uint32_t>(std::max(parameterCount, 0))),
      controls_(firstOtherPort_, nullptr),
      lastSeen_(firstOtherPort_, 0.0f),
      notices_(new PendingNotice[firstOtherPort_ + 1]) {
  MapUris(static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map))));
  // The largest block the host will run in one call, when it says so; longer calls are sliced.
  const auto* options =
      static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  for (; map_ && options && options->key != 0; ++options) {
    if ((options->key == uris_.bufMaxBlock || options->key == uris_.bufNominalBlock) &&
        options->type == uris_.atomInt && options->size == sizeof(int32_t) && options->value) {
      const int32_t frames = *static_cast<const int32_t*>(options->value);
      if (frames > 0 && frames <= kMaxBlockSize) maxBlock_ = frames;
      if (options->key == uris_.bufMaxBlock) break;
    }
  }
  SetInputConnections(0, InputCount(), true);
  SetOutputConnections(0, OutputCount(), true);
  SetBlockSize(maxBlock_);
}

ILv2Effect::~ILv2Effect() {
  CloseEditor();
}

void ILv2Effect::MapUris(LV2_URID_Map* map) {
  map_ = map;
  if (!map) return;
  auto id = [map](const char* uri) { return map->map(map->handle, uri); };
  uris_ = {id(LV2_ATOM__Blank),
           id(LV2_ATOM__Object),
           id(LV2_ATOM__Sequence),
           id(LV2_ATOM__Chunk),
           id(LV2_ATOM__Float),
           id(LV2_ATOM__Double),
           id(LV2_ATOM__Int),
           id(LV2_ATOM__Long),
           id(LV2_MIDI__MidiEvent),
           id(LV2_TIME__Position),
           id(LV2_TIME__frame),
           id(LV2_TIME__speed),
           id(LV2_TIME__beatsPerMinute),
           id(LV2_TIME__barBeat),
           id(LV2_TIME__beatsPerBar),
           id(LV2_TIME__beatUnit),
           id(LV2_TIME__bar),
           id(LV2_BUF_SIZE__maxBlockLength),
           id(LV2_BUF_SIZE__nominalBlockLength),
           id(kStateKeyUri)};
}

void ILv2Effect::Open(double sampleRate) {
  ScopedLock lock(&Lock());
  // The order of a VST 2 host's start-up: open, sample rate, block size.
  HostSpecificSetup();
  for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
  SetSampleRate(sampleRate);
  ResetProcessing();
  for (int i = 0; i < static_cast<int>(firstOtherPort_); ++i)
    if (const IParameter* parameter = GetParameter(i))
      lastSeen_[i] = static_cast<float>(parameter->Value());
}

void ILv2Effect::Activate(bool active) {
  ScopedLock lock(&Lock());
  ActivationChanged(active);
  if (!active) {
    ResetProcessing();
    Events().Suspend();
  }
}

void ILv2Effect::ConnectPort(uint32_t port, void* data) noexcept {
  if (port < firstOtherPort_) {
    controls_[port] = static_cast<const float*>(data);
    return;
  }
  const uint32_t other = port - firstOtherPort_;
  if (other <= kAudioOut1)
    audio_[other] = static_cast<float*>(data);
  else if (other == kEventsIn)
    eventsIn_ = static_cast<const LV2_Atom_Sequence*>(data);
  else if (other == kMidiOut)
    midiOut_ = static_cast<LV2_Atom_Sequence*>(data);
}

void ILv2Effect::ApplyControlPorts() {
  for (uint32_t i = 0; i < firstOtherPort_; ++i) {
    if (!controls_[i]) continue;
    const float port = *controls_[i];
    if (port == lastSeen_[i] || std::isnan(port)) continue;
    lastSeen_[i] = port;
    IParameter* parameter = GetParameter(static_cast<int>(i));
    if (!parameter || static_cast<float>(parameter->Value()) == port) continue;
    double value = port;
    // Whole-step kinds land on a step, as a normalized value does.
    if (parameter->GetKind() != IParameter::kContinuous)
      value = std::floor(value / parameter->Step() + 0.5) * parameter->Step();
    if (parameter->SetValueClamped(value)) ParameterChanged(static_cast<int>(i));
  }
}

void ILv2Effect::Run(uint32_t frames) {
  if (frames == 0) return;
  const auto count =
      static_cast<int32_t>(std::min<uint32_t>(frames, std::numeric_limits<int32_t>::max()));
  ScopedLock lock(&Lock());
  ApplyControlPorts();
  ReadEvents(static_cast<uint32_t>(count));
  float* inputs[kAudioChannels] = {audio_[kAudioIn0], audio_[kAudioIn1]};
  float* outputs[kAudioChannels] = {audio_[kAudioOut0], audio_[kAudioOut1]};
  RunFloatCall(inputs, outputs, count, false);
  // Positions the slices did not reach (a call without a block size) still count.
  ApplyHostChangesAt(count);
  WriteEvents(static_cast<uint32_t>(count));
  if (transport_.speed != 0.0) transport_.frame += static_cast<double>(count) * transport_.speed;
}

void ILv2Effect::ReadEvents(uint32_t frames) {
  positionCount_ = 0;
  nextPosition_ = 0;
  if (!eventsIn_ || !map_) return;
  // A host's sequence is trusted no further than its own size says.
  if (eventsIn_->atom.size < sizeof(LV2_Atom_Sequence_Body)) return;
  LV2_ATOM_SEQUENCE_FOREACH(eventsIn_, event) {
    const int32_t frame =
        static_cast<int32_t>(std::clamp<int64_t>(event->time.frames, 0, frames - 1));
    const LV2_Atom& body = event->body;
    if (body.type == uris_.midiEvent && body.size > 0) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&body));
      if (bytes[0] == 0xF0) {
        Events().AddSysex(frame, bytes, static_cast<int32_t>(body.size));
      } else if (ShortMessageSize(bytes[0]) != 0 && body.size >= ShortMessageSize(bytes[0])) {
        IMidiMessage message;
        message.offset = frame;
        message.status = bytes[0];
        message.data1 = body.size > 1 ? bytes[1] : 0;
        message.data2 = body.size > 2 ? bytes[2] : 0;
        ProcessMidiMessage(message);
      } else {
        Events().Refuse();
      }
    } else if ((body.type == uris_.atomObject || body.type == uris_.atomBlank) &&
               body.size >= sizeof(LV2_Atom_Object_Body) &&
               reinterpret_cast<const LV2_Atom_Object*>(&body)->body.otype == uris_.timePosition) {
      const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&body);
      if (positionCount_ == kMaxPositionsPerCall) {
        // Out of room: the oldest noted one is read now, so the newest always count.
        ReadPosition(positions_[0], positionFrames_[0]);
        std::memmove(positions_, positions_ + 1,
                     sizeof(positions_[0]) * (kMaxPositionsPerCall - 1));
        std::memmove(positionFrames_, positionFrames_ + 1,
                     sizeof(positionFrames_[0]) * (kMaxPositionsPerCall - 1));
        --positionCount_;
      }
      positions_[positionCount_] = object;
      positionFrames_[positionCount_] = frame;
      ++positionCount_;
    }
  }
}

int32_t ILv2Effect::ApplyHostChangesAt(int32_t frame) {
  for (; nextPosition_ < positionCount_ && positionFrames_[nextPosition_] <= frame;
       ++nextPosition_) {
    ReadPosition(positions_[nextPosition_], positionFrames_[nextPosition_]);
  }
  return nextPosition_ < positionCount_ ? positionFrames_[nextPosition_]
                                        : std::numeric_limits<int32_t>::max();
}

void ILv2Effect::ReadPosition(const LV2_Atom_Object* object, int32_t offset) {
  transport_.known = true;
  auto number = [this](const LV2_Atom* atom, double& out) {
    if (!atom) return false;
    double value = 0.0;
    if (atom->type == uris_.atomFloat && atom->size >= sizeof(float))
      value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    else if (atom->type == uris_.atomDouble && atom->size >= sizeof(double))
      value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    else if (atom->type == uris_.atomInt && atom->size >= sizeof(int32_t))
      value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    else if (atom->type == uris_.atomLong && atom->size >= sizeof(int64_t))
      value = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    else
      return false;
    if (!std::isfinite(value)) return false;
    out = value;
    return true;
  };
  const LV2_Atom* frame = nullptr;
  const LV2_Atom* speed = nullptr;
  const LV2_Atom* bpm = nullptr;
  const LV2_Atom* barBeat = nullptr;
  const LV2_Atom* beatsPerBar = nullptr;
  const LV2_Atom* beatUnit = nullptr;
  const LV2_Atom* bar = nullptr;
  lv2_atom_object_get(object, uris_.timeFrame, &frame, uris_.timeSpeed, &speed, uris_.timeBpm, &bpm,
                      uris_.timeBarBeat, &barBeat, uris_.timeBeatsPerBar, &beatsPerBar,
                      uris_.timeBeatUnit, &beatUnit, uris_.timeBar, &bar, 0);
  double value = 0.0;
  if (number(speed, value)) transport_.speed = value;
  // The transport frame is kept for the call's first sample.
  if (number(frame, value)) transport_.frame = value - offset * transport_.speed;
  if (number(bpm, value) && value > 0.0) transport_.bpm = value;
  if (number(barBeat, value) && value >= 0.0) transport_.barBeat = value;
  if (number(beatsPerBar, value) && value > 0.0) transport_.beatsPerBar = value;
  if (number(beatUnit, value) && value >= 1.0 && value <= 256.0)
    transport_.beatUnit = static_cast<int32_t>(value);
  if (number(bar, value)) transport_.bar = static_cast<int64_t>(value);
}

void ILv2Effect::WriteEvents(uint32_t frames) {
  const auto due = EndProcessCall(static_cast<int32_t>(frames));
  LV2_Atom_Sequence* out = midiOut_;
  // The host put its capacity in the size field; the sequence written replaces it.
  const uint32_t capacity = out ? out->atom.size : 0;
  if (out && capacity >= sizeof(LV2_Atom_Sequence_Body)) {
    out->atom.type = uris_.atomSequence;
    out->atom.size = sizeof(LV2_Atom_Sequence_Body);
    out->body.unit = 0;
    out->body.pad = 0;
  } else {
    out = nullptr;
  }
  for (const EventQueue::Event& event : due) {
    const uint8_t* bytes = event.midi;
    uint32_t size = 0;
    if (event.kind == EventQueue::Kind::kMidi)
      size = ShortMessageSize(event.midi[0]);
    else if (event.kind == EventQueue::Kind::kSysex && event.size > 0)
      size = static_cast<uint32_t>(event.size), bytes = event.data;
    if (size == 0) continue;
    const uint32_t needed = sizeof(LV2_Atom_Event) + lv2_atom_pad_size(size);
    if (!out || capacity - out->atom.size < needed) {
      ++droppedOutput_;
      Events().Refuse();
      continue;
    }
    auto* slot =
        reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&out->body) + out->atom.size);
    slot->time.frames = event.frame;
    slot->body.type = uris_.midiEvent;
    slot->body.size = size;
    std::memcpy(slot + 1, bytes, size);
    out->atom.size += needed;
  }
  if (!due.empty()) Events().Release();
}

LV2_State_Status ILv2Effect::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!store || !map_) return LV2_STATE_ERR_NO_FEATURE;
  IStateChunk chunk;
  if (!WriteStateChunk(chunk)) return LV2_STATE_ERR_UNKNOWN;
  return store(handle, uris_.stateKey, chunk.Data(), static_cast<size_t>(chunk.Size()),
               uris_.atomChunk, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status ILv2Effect::Restore(LV2_State_Retrieve_Function retrieve,
                                     LV2_State_Handle handle) {
  if (!retrieve || !map_) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0;
  uint32_t flags = 0;
  const void* data = retrieve(handle, uris_.stateKey, &size, &type, &flags);
  // Nothing saved under our key: the ports alone say what to play.
  if (!data) return LV2_STATE_SUCCESS;
  if (type != uris_.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
  IStateChunk chunk;
  if (!ReadStateChunk(chunk, data, static_cast<int64_t>(size))) return LV2_STATE_ERR_UNKNOWN;
  // The host still holds the old port values; a UI tells it the restored ones.
  for (int i = 0; i < static_cast<int>(firstOtherPort_); ++i)
    if (const IParameter* parameter = GetParameter(i)) Notify(i, kValue, parameter->Normalized());
  return LV2_STATE_SUCCESS;
}

void ILv2Effect::Notify(int index, uint32_t flags, double normalized) {
  if (index < 0 || index >= static_cast<int>(firstOtherPort_)) return;
  PendingNotice& notice = notices_[index];
  if (flags & kValue) {
    const IParameter* parameter = GetParameter(index);
    notice.plain.store(static_cast<float>(parameter ? parameter->PlainValueFor(normalized) : 0.0),
                       std::memory_order_relaxed);
  }
  notice.flags.fetch_or(flags, std::memory_order_release);
}

ILv2Effect::Notice ILv2Effect::TakeNotice(int index) noexcept {
  Notice taken;
  if (index < 0 || index >= static_cast<int>(firstOtherPort_)) return taken;
  PendingNotice& notice = notices_[index];
  const uint32_t flags = notice.flags.exchange(0, std::memory_order_acquire);
  taken.begin = (flags & kBegin) != 0;
  taken.value = (flags & kValue) != 0;
  taken.end = (flags & kEnd) != 0;
  taken.plain = notice.plain.load(std::memory_order_relaxed);
  return taken;
}

void ILv2Effect::BeginParameterGesture(int index) {
  Notify(index, kBegin, 0.0);
}

void ILv2Effect::InformHostOfParameter(int index, double normalized) {
  Notify(index, kValue, normalized);
}

void ILv2Effect::EndParameterGesture(int index) {
  Notify(index, kEnd, 0.0);
}

bool ILv2Effect::IsTransportRunning() {
  return !transport_.known || transport_.speed != 0.0;
}

int ILv2Effect::GetSamplePosition() {
  return WholeSamplePosition(transport_.frame + SliceOffset() * transport_.speed);
}

double ILv2Effect::GetTempo() {
  return transport_.known ? transport_.bpm : 0.0;
}

void ILv2Effect::GetTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = transport_.known ? static_cast<int>(transport_.beatsPerBar) : 0;
  if (denominator) *denominator = transport_.known ? transport_.beatUnit : 0;
}

void ILv2Effect::GetTransportInfo(ITransportInfo* info) {
  if (!info) return;
  *info = ITransportInfo{};
  if (!transport_.known) return;
  const double rate = GetSampleRate();
  info->samplePosition = transport_.frame + SliceOffset() * transport_.speed;
  info->tempo = transport_.bpm;
  info->numerator = static_cast<int>(transport_.beatsPerBar);
  info->denominator = transport_.beatUnit;
  // Quarter notes from the song's start, from the frame at the tempo heard now.
  info->musicalPosition = std::max(0.0, info->samplePosition / rate * transport_.bpm / 60.0);
  const double quartersPerBar = transport_.beatsPerBar * 4.0 / transport_.beatUnit;
  info->lastBarPosition = std::max(0.0, static_cast<double>(transport_.bar) * quartersPerBar);
  info->playing = transport_.speed != 0.0;
}

void ILv2Effect::EditorResized(int /*width*/, int /*height*/) {
  // The UI's size is fixed; nothing to tell the host.
}
