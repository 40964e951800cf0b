// Calls from the plug-in to the host: automation, time, host identity and MIDI out.
#include <algorithm>
#include <cmath>
#include <limits>

#include "plug/vst_effect.h"

namespace {

constexpr int32_t kTransportFields = vst2::kVstPpqPosValid | vst2::kVstTempoValid |
                                     vst2::kVstBarsValid | vst2::kVstCyclePosValid |
                                     vst2::kVstTimeSigValid;  // 0x3E00
constexpr size_t kHostProductSize = 256;

}  // namespace

intptr_t IVstEffect::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return hostCallback_ ? hostCallback_(&effect_, opcode, index, value, ptr, opt) : 0;
}

void IVstEffect::BeginParameterGesture(int index) {
  CallHost(vst2::audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void IVstEffect::InformHostOfParameter(int index, double normalized) {
  CallHost(vst2::audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IVstEffect::EndParameterGesture(int index) {
  CallHost(vst2::audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

namespace {

const vst2::VstTimeInfo* AskTime(intptr_t answer) {
  return reinterpret_cast<const vst2::VstTimeInfo*>(answer);
}

}  // namespace

int IVstEffect::GetSamplePosition() {
  const vst2::VstTimeInfo* time = AskTime(CallHost(vst2::audioMasterGetTime, 0, 0, nullptr, 0));
  return time ? WholeSamplePosition(time->samplePos) : 0;
}

double IVstEffect::GetTempo() {
  if (!hostCallback_) return 0.0;
  const vst2::VstTimeInfo* time =
      AskTime(CallHost(vst2::audioMasterGetTime, 0, vst2::kVstTempoValid, nullptr, 0));
  if (time && (time->flags & vst2::kVstTempoValid) && NonNegative(time->tempo)) return time->tempo;
  return 0.0;
}

void IVstEffect::GetTimeSignature(int* numerator, int* denominator) {
  int wantedNumerator = 0;
  int wantedDenominator = 0;
  const vst2::VstTimeInfo* time =
      AskTime(CallHost(vst2::audioMasterGetTime, 0, vst2::kVstTimeSigValid, nullptr, 0));
  if (time && (time->flags & vst2::kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
      time->timeSigDenominator >= 0) {
    wantedNumerator = time->timeSigNumerator;
    wantedDenominator = time->timeSigDenominator;
  }
  if (numerator) *numerator = wantedNumerator;
  if (denominator) *denominator = wantedDenominator;
}

void IVstEffect::GetTransportInfo(ITransportInfo* info) {
  if (!info) return;
  info->samplePosition = -1.0;
  info->tempo = 120.0;
  info->musicalPosition = -1.0;
  info->lastBarPosition = -1.0;
  info->cycleStart = -1.0;
  info->cycleEnd = -1.0;
  info->numerator = 4;
  info->denominator = 4;

  const vst2::VstTimeInfo* time =
      AskTime(CallHost(vst2::audioMasterGetTime, 0, kTransportFields, nullptr, 0));
  if (!time || (time->flags & kTransportFields) == 0) return;
  const int32_t flags = time->flags;
  // Any sign is passed on, but not a value that is no number.
  if (std::isfinite(time->samplePos)) info->samplePosition = time->samplePos;
  if ((flags & vst2::kVstPpqPosValid) && NonNegative(time->ppqPos))
    info->musicalPosition = time->ppqPos;
  if ((flags & vst2::kVstTempoValid) && NonNegative(time->tempo) && time->tempo > 0.0)
    info->tempo = time->tempo;
  if ((flags & vst2::kVstBarsValid) && NonNegative(time->barStartPos))
    info->lastBarPosition = time->barStartPos;
  if ((flags & vst2::kVstCyclePosValid) && NonNegative(time->cycleStartPos) &&
      NonNegative(time->cycleEndPos)) {
    info->cycleStart = time->cycleStartPos;
    info->cycleEnd = time->cycleEndPos;
  }
  if ((flags & vst2::kVstTimeSigValid) && time->timeSigNumerator > 0 &&
      time->timeSigDenominator > 0) {
    info->numerator = time->timeSigNumerator;
    info->denominator = time->timeSigDenominator;
  }
  info->playing = (flags & vst2::kVstTransportPlaying) != 0;
  info->cycleActive = (flags & vst2::kVstTransportCycleActive) != 0;
}

bool IVstEffect::IsTransportRunning() {
  const vst2::VstTimeInfo* time =
      AskTime(CallHost(vst2::audioMasterGetTime, 0, kTransportFields, nullptr, 0));
  // A host that says nothing about its transport is taken to be playing.
  if (!time || (time->flags & kTransportFields) == 0) return true;
  return (time->flags & vst2::kVstTransportPlaying) != 0;
}

int IVstEffect::GetHostType() {
  if (hostType_ != -1) return hostType_;
  char product[kHostProductSize] = {};
  CallHost(vst2::audioMasterGetProductString, 0, 0, product, 0);
  product[kHostProductSize - 1] = '\0';
  int64_t packed = 0;
  if (product[0] != '\0') {
    // Hosts report 3.1.2 as 30102; the plug-in keeps versions packed as 0xMMMMmmrr.
    const int64_t v = std::clamp<int64_t>(
        CallHost(vst2::audioMasterGetVendorVersion, 0, 0, nullptr, 0),
        std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    packed = (v / 10000) * 65536 + ((v % 10000) / 100) * 256 + v % 100;
  }
  SetHost(product, static_cast<int32_t>(packed));
  return hostType_;
}

bool IVstEffect::ForwardHostEvent(vst2::VstEvent* event) {
  if (!event) return false;
  if (event->type == vst2::kVstSysExType) {
    // The record is read whole only when it says it is one (byteSize with or without its first
    // two fields, as hosts differ).
    constexpr int32_t kSysexRecord = sizeof(vst2::VstMidiSysexEvent) - 2 * sizeof(int32_t);
    if (event->byteSize < kSysexRecord) return Events().Refuse();
    const auto* dump = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
    return Events().AddSysex(dump->deltaFrames, dump->sysexDump, dump->dumpBytes);
  }
  // Whatever lies beyond the generic record cannot be copied without knowing its type.
  if (event->byteSize < 0 || event->byteSize > static_cast<int32_t>(sizeof(vst2::VstEvent)))
    return Events().Refuse();
  return Events().AddRecord(event->deltaFrames, event->type, event, sizeof(vst2::VstEvent));
}

void IVstEffect::DeliverEvents(int32_t frames) {
  const auto due = EndProcessCall(frames);
  if (due.empty()) return;
  CallHost(vst2::audioMasterProcessEvents, 0, 0, eventList_.Fill(due), 0.0f);
  Events().Release();
}
