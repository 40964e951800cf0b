// The process call: transport, events in and out, and the host's parameter points applied at
// their frames.
//
// Automation is sample-accurate: the base cuts the call into slices at the frames of the host's
// points, and each slice starts after the points due at its first frame are applied. A point at
// or beyond the call's end (Ardour sends one at numSamples) belongs to the next call, where it
// applies at frame 0; a call of no frames applies every point at once. Points of the hidden MIDI
// controller parameters become controller messages at their frames, passed through with the
// host's notes.
#include <algorithm>
#include <cmath>
#include <limits>

#include "plug/vst3_effect.h"
#include "plug/vst3_events.h"

using vst3::kResultOk;

namespace {

// The ProcessContext fields that say the host reports a transport at all.
constexpr uint32_t kTransportFields =
    vst3::ProcessContext::kProjectTimeMusicValid | vst3::ProcessContext::kTempoValid |
    vst3::ProcessContext::kBarPositionValid | vst3::ProcessContext::kCycleValid |
    vst3::ProcessContext::kTimeSigValid;

template <class Sample>
void GatherChannels(const vst3::AudioBusBuffers* buses, int32_t busCount, bool doubles,
                    std::vector<Sample*>& channels) {
  std::fill(channels.begin(), channels.end(), nullptr);
  if (!buses || busCount < 1) return;
  const vst3::AudioBusBuffers& bus = buses[0];
  void* const* buffers = doubles ? reinterpret_cast<void* const*>(bus.channelBuffers64)
                                 : reinterpret_cast<void* const*>(bus.channelBuffers32);
  if (!buffers) return;
  const size_t count = std::min(channels.size(), static_cast<size_t>(std::max(bus.numChannels, 0)));
  for (size_t c = 0; c < count; ++c) channels[c] = static_cast<Sample*>(buffers[c]);
}

// Reads the cursor's next point; past the last one (or a point the host will not give) the
// cursor is done.
void Advance(vst3::IParamValueQueue& queue, int32_t& next, int32_t count, int32_t& offset,
             double& value) {
  while (++next < count)
    if (queue.getPoint(next, offset, value) == kResultOk) return;
  next = count;
}

}  // namespace

vst3::tresult IVst3Effect::process(vst3::ProcessData& data) {
  ScopedLock lock(&Lock());
  call_ = &data;
  callFrames_ = std::max(data.numSamples, 0);
  TakeContext(data.processContext);
  ReportHeldValues();
  TakeInputEvents(data.inputEvents);
  StartParameterChanges(data.inputParameterChanges);
  if (callFrames_ > 0) RunAudio(data);
  FinishParameterChanges();
  DeliverEvents(data.outputEvents, callFrames_);
  call_ = nullptr;
  return kResultOk;
}

void IVst3Effect::TakeContext(const vst3::ProcessContext* context) {
  hasContext_ = context != nullptr;
  if (context) context_ = *context;
}

void IVst3Effect::ReportHeldValues() {
  if (!anyUnreported_) return;
  anyUnreported_ = false;
  for (size_t slot = 0; slot < unreported_.size(); ++slot) {
    if (!unreported_[slot]) continue;
    unreported_[slot] = 0;
    const auto index = static_cast<int>(slot);
    if (index < ParameterCount())
      ReportToHost(static_cast<ParamID>(index), GetParameter(index)->Normalized());
  }
}

void IVst3Effect::TakeInputEvents(vst3::IEventList* events) {
  if (!events) return;
  const int32_t count = events->getEventCount();
  for (int32_t i = 0; i < count; ++i) {
    vst3::Event event{};
    if (events->getEvent(i, event) != kResultOk || event.busIndex != 0) continue;
    IMidiMessage message;
    if (FromVst3Event(event, message)) {
      ProcessMidiMessage(message);
    } else if (event.type == vst3::Event::kDataEvent &&
               event.data.type == vst3::DataEvent::kMidiSysEx && event.data.bytes &&
               event.data.size > 0 &&
               event.data.size <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
      Events().AddSysex(event.sampleOffset, event.data.bytes,
                        static_cast<int32_t>(event.data.size));
    }
  }
}

void IVst3Effect::StartParameterChanges(vst3::IParameterChanges* changes) {
  cursorCount_ = 0;
  // Points held over from the last call come first, at frame 0.
  reportFrame_ = 0;
  for (size_t slot = 0; anyHeld_ && slot < held_.size(); ++slot) {
    if (!held_[slot]) continue;
    held_[slot] = 0;
    const auto index = static_cast<int>(slot);
    ApplyHostValue(index < ParameterCount() ? static_cast<ParamID>(index) : kProgramId,
                   heldValues_[slot]);
  }
  reportFrame_ = -1;
  anyHeld_ = false;
  if (!changes) return;
  const int32_t queues = changes->getParameterCount();
  for (int32_t q = 0; q < queues; ++q) {
    vst3::IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const ParamID id = queue->getParameterId();
    const int32_t points = queue->getPointCount();
    if (id >= kFirstMidiControllerId && id < kFirstMidiControllerId + kMidiControllerCount) {
      const auto number = static_cast<int>(id - kFirstMidiControllerId);
      for (int32_t p = 0; p < points; ++p) {
        int32_t offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(p, offset, value) != kResultOk) continue;
        ProcessMidiMessage(ControllerMessage(number / kControllersPerChannel,
                                             number % kControllersPerChannel, value, offset));
      }
      continue;
    }
    const bool known = id < static_cast<ParamID>(ParameterCount()) || id == kProgramId;
    if (!known || points <= 0 || cursorCount_ >= static_cast<int>(cursors_.size())) continue;
    ChangeCursor& cursor = cursors_[static_cast<size_t>(cursorCount_++)];
    cursor = {queue, id, points, -1, 0, 0.0};
    Advance(*queue, cursor.next, points, cursor.offset, cursor.value);
  }
}

int32_t IVst3Effect::ApplyHostChangesAt(int32_t frame) {
  reportFrame_ = frame;
  int32_t next = std::numeric_limits<int32_t>::max();
  for (int i = 0; i < cursorCount_; ++i) {
    ChangeCursor& c = cursors_[static_cast<size_t>(i)];
    while (c.next < c.count && c.offset <= frame && c.offset < callFrames_) {
      ApplyHostValue(c.id, c.value);
      Advance(*c.queue, c.next, c.count, c.offset, c.value);
    }
    if (c.next < c.count && c.offset < callFrames_) next = std::min(next, c.offset);
  }
  reportFrame_ = -1;
  return next;
}

void IVst3Effect::FinishParameterChanges() {
  // What no slice reached (there was no block size to run with) is due now.
  if (callFrames_ > 0) ApplyHostChangesAt(callFrames_ - 1);
  for (int i = 0; i < cursorCount_; ++i) {
    ChangeCursor& c = cursors_[static_cast<size_t>(i)];
    const size_t slot = c.id == kProgramId ? static_cast<size_t>(ParameterCount()) : c.id;
    for (; c.next < c.count; Advance(*c.queue, c.next, c.count, c.offset, c.value)) {
      if (callFrames_ == 0) {
        reportFrame_ = 0;
        ApplyHostValue(c.id, c.value);
        reportFrame_ = -1;
      } else {
        heldValues_[slot] = c.value;
        held_[slot] = 1;
        anyHeld_ = true;
      }
    }
  }
  cursorCount_ = 0;
}

void IVst3Effect::RunAudio(const vst3::ProcessData& data) {
  const bool doubles = data.symbolicSampleSize == vst3::kSample64;
  if (doubles) {
    GatherChannels(data.inputs, data.numInputs, true, doubleInputs_);
    GatherChannels(data.outputs, data.numOutputs, true, doubleOutputs_);
    RunDoubleCall(doubleInputs_.data(), doubleOutputs_.data(), callFrames_);
  } else {
    GatherChannels(data.inputs, data.numInputs, false, floatInputs_);
    GatherChannels(data.outputs, data.numOutputs, false, floatOutputs_);
    RunFloatCall(floatInputs_.data(), floatOutputs_.data(), callFrames_, false);
  }
  for (int32_t b = 0; data.outputs && b < data.numOutputs; ++b) data.outputs[b].silenceFlags = 0;
}

void IVst3Effect::DeliverEvents(vst3::IEventList* events, int32_t frames) {
  const auto due = EndProcessCall(frames);
  if (due.empty()) return;
  for (const EventQueue::Event& item : due) {
    vst3::Event event;
    if (events && ToVst3Event(item, event)) events->addEvent(event);
  }
  Events().Release();
}

int32_t IVst3Effect::ReportFrame() const noexcept {
  const int32_t frame = reportFrame_ >= 0 ? reportFrame_ : SliceOffset();
  return std::clamp(frame, 0, std::max(callFrames_ - 1, 0));
}

void IVst3Effect::ReportToHost(ParamID id, ParamValue value) {
  vst3::IParameterChanges* out = call_ ? call_->outputParameterChanges : nullptr;
  if (!out) {
    if (id >= unreported_.size()) return;
    unreported_[id] = 1;
    anyUnreported_ = true;
    return;
  }
  int32_t index = 0;
  if (vst3::IParamValueQueue* queue = out->addParameterData(id, index))
    queue->addPoint(ReportFrame(), value, index);
}

// ---- Transport ---------------------------------------------------------------------------------

bool IVst3Effect::IsTransportRunning() {
  // A host that says nothing about its transport is taken to be playing.
  if (!hasContext_ || (context_.state & kTransportFields) == 0) return true;
  return (context_.state & vst3::ProcessContext::kPlaying) != 0;
}

int IVst3Effect::GetSamplePosition() {
  if (!hasContext_ || context_.projectTimeSamples <= 0) return 0;
  return static_cast<int>(
      std::min<int64_t>(context_.projectTimeSamples, std::numeric_limits<int32_t>::max()));
}

double IVst3Effect::GetTempo() {
  if (hasContext_ && (context_.state & vst3::ProcessContext::kTempoValid) &&
      NonNegative(context_.tempo))
    return context_.tempo;
  return 0.0;
}

void IVst3Effect::GetTimeSignature(int* numerator, int* denominator) {
  const bool valid = hasContext_ && (context_.state & vst3::ProcessContext::kTimeSigValid) &&
                     context_.timeSigNumerator >= 0 && context_.timeSigDenominator >= 0;
  if (numerator) *numerator = valid ? context_.timeSigNumerator : 0;
  if (denominator) *denominator = valid ? context_.timeSigDenominator : 0;
}

void IVst3Effect::GetTransportInfo(ITransportInfo* info) {
  if (!info) return;
  *info = ITransportInfo{};
  if (!hasContext_ || (context_.state & kTransportFields) == 0) return;
  using Context = vst3::ProcessContext;
  const vst3::ProcessContext& c = context_;
  info->samplePosition = static_cast<double>(c.projectTimeSamples);
  if ((c.state & Context::kProjectTimeMusicValid) && NonNegative(c.projectTimeMusic))
    info->musicalPosition = c.projectTimeMusic;
  if ((c.state & Context::kTempoValid) && NonNegative(c.tempo) && c.tempo > 0.0)
    info->tempo = c.tempo;
  if ((c.state & Context::kBarPositionValid) && NonNegative(c.barPositionMusic))
    info->lastBarPosition = c.barPositionMusic;
  if ((c.state & Context::kCycleValid) && NonNegative(c.cycleStartMusic) &&
      NonNegative(c.cycleEndMusic)) {
    info->cycleStart = c.cycleStartMusic;
    info->cycleEnd = c.cycleEndMusic;
  }
  if ((c.state & Context::kTimeSigValid) && c.timeSigNumerator > 0 && c.timeSigDenominator > 0) {
    info->numerator = c.timeSigNumerator;
    info->denominator = c.timeSigDenominator;
  }
  info->playing = (c.state & Context::kPlaying) != 0;
  info->cycleActive = (c.state & Context::kCycleActive) != 0;
}
