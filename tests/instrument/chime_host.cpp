// The recording host behind the instrument tests.
#include "tests/instrument/chime_host.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <gtest/gtest.h>

namespace chime_test {
namespace {

thread_local ChimeHost* currentHost = nullptr;

}  // namespace

ChimeHost::ChimeHost(double sampleRate, int blockSize)
    : sampleRate_(sampleRate), blockSize_(blockSize) {
  currentHost = this;
  plugin_ = new Tintinna(&ChimeHost::Callback);
  effect_ = plugin_->Effect();
  // Room for calls beyond the block size, which the adapter must cope with too.
  const size_t frames = std::max(blockSize, kMaxFrames);
  for (auto& buffer : in_) buffer.assign(frames, 0.0f);
  for (auto& buffer : out_) buffer.assign(frames, 0.0f);
}

ChimeHost::ChimeHost(vst2::EntryProc entry, double sampleRate, int blockSize)
    : sampleRate_(sampleRate), blockSize_(blockSize) {
  currentHost = this;
  effect_ = entry(&ChimeHost::Callback);
  const size_t frames = std::max(blockSize, kMaxFrames);
  for (auto& buffer : in_) buffer.assign(frames, 0.0f);
  for (auto& buffer : out_) buffer.assign(frames, 0.0f);
}

ChimeHost::~ChimeHost() {
  if (effect_) effect_->dispatcher(effect_, vst2::effClose, 0, 0, nullptr, 0.0f);
  if (currentHost == this) currentHost = nullptr;
  EXPECT_EQ(deliveryFaults, 0) << "first: " << firstFault;
}

void ChimeHost::Fault(const std::string& what) {
  if (deliveryFaults++ == 0) firstFault = what + " in call " + std::to_string(blocks);
}

void ChimeHost::Open() {
  Dispatch(vst2::effOpen);
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate_));
  Dispatch(vst2::effSetBlockSize, 0, blockSize_);
  Dispatch(vst2::effMainsChanged, 0, 1);
}

intptr_t ChimeHost::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void ChimeHost::Process(int frames) {
  float* inputs[2] = {in_[0].data(), in_[1].data()};
  float* outputs[2] = {out_[0].data(), out_[1].data()};
  blockStart_ = position;
  callFrames_ = frames;
  inCall_ = true;
  listsThisCall_ = 0;
  lastDelta_ = 0;
  effect_->processReplacing(effect_, inputs, outputs, frames);
  inCall_ = false;
  if (playing && frames > 0) position += frames;
  if (frames > 0) hostTime += frames;
  ++blocks;
}

void ChimeHost::ProcessBlocks(int count, int frames) {
  for (int i = 0; i < count; ++i) Process(frames);
}

void ChimeHost::WarmUp(int frames) {
  // The first gust is drawn after three seconds and reached within four more.
  const int count = static_cast<int>(9.0 * sampleRate_ / frames);
  ProcessBlocks(count, frames);
}

void ChimeHost::SetParameter(int index, float normalized) {
  effect_->setParameter(effect_, index, normalized);
}

float ChimeHost::GetParameter(int index) {
  return effect_->getParameter(effect_, index);
}

std::vector<Event> ChimeHost::LastBlock() const {
  std::vector<Event> result;
  for (const Event& e : events)
    if (e.block == blocks - 1) result.push_back(e);
  return result;
}

std::vector<Event> ChimeHost::NoteOns() const {
  std::vector<Event> result;
  for (const Event& e : events)
    if (e.IsNoteOn()) result.push_back(e);
  return result;
}

intptr_t ChimeHost::Callback(vst2::AEffect*, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt) {
  return currentHost ? currentHost->Answer(opcode, index, value, ptr, opt) : 0;
}

intptr_t ChimeHost::Answer(int32_t opcode, int32_t index, intptr_t, void* ptr, float opt) {
  switch (opcode) {
    case vst2::audioMasterVersion:
      return vst2::kVstVersion;
    case vst2::audioMasterAutomate:
      automation.emplace_back(index, opt);
      return 1;
    case vst2::audioMasterGetTime: {
      if (!reportTime) return 0;
      time_ = {};
      time_.samplePos = static_cast<double>(position);
      time_.sampleRate = sampleRate_;
      time_.tempo = 120.0;
      time_.timeSigNumerator = 4;
      time_.timeSigDenominator = 4;
      time_.flags = vst2::kVstTempoValid | vst2::kVstTimeSigValid |
                    (playing ? vst2::kVstTransportPlaying : 0);
      return reinterpret_cast<intptr_t>(&time_);
    }
    case vst2::audioMasterProcessEvents: {
      const auto* list = static_cast<const vst2::VstEvents*>(ptr);
      if (!list) return 0;
      if (!inCall_) Fault("a list outside processing");
      if (++listsThisCall_ == 2) Fault("a second list");
      for (int i = 0; i < list->numEvents; ++i) {
        const vst2::VstEvent* event = (&list->events[0])[i];
        if (!event) continue;
        const int32_t delta = event->deltaFrames;
        if (delta < 0 || delta >= callFrames_)
          Fault("delta " + std::to_string(delta) + " of " + std::to_string(callFrames_));
        if (delta < lastDelta_) Fault("delta " + std::to_string(delta) + " after a later one");
        lastDelta_ = delta;
        if (event->type != vst2::kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
        Event e;
        e.offset = midi->deltaFrames;
        e.time = blockStart_ + midi->deltaFrames;
        e.hostTime = hostTime + midi->deltaFrames;
        e.block = blocks;
        e.status = static_cast<uint8_t>(midi->midiData[0]);
        e.data1 = static_cast<uint8_t>(midi->midiData[1]);
        e.data2 = static_cast<uint8_t>(midi->midiData[2]);
        events.push_back(e);
      }
      return 1;
    }
    default:
      return 0;
  }
}

namespace {

uint32_t NextState(uint32_t s) {
  return s * 214013u + 2531011u;
}

}  // namespace

int PeekDraw() {
  return static_cast<int>((NextState(ChimeRandom::State()) >> 16) & 0x7FFF);
}

void SteerNextDraw(const std::function<bool(int)>& wanted) {
  while (!wanted(PeekDraw())) ChimeRandom::Draw();
}

void OnFreshThread(const std::function<void()>& body) {
  std::exception_ptr failure;
  std::thread thread([&] {
    try {
      body();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  thread.join();
  if (failure) std::rethrow_exception(failure);
}

int ExpectEveryNoteEnded(const ChimeHost& host, int blockFrames) {
  constexpr int kDurationSamples = 4410;
  constexpr int kBounceSamples = 25 * 44;
  const auto& events = host.events;
  int checked = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    if (!events[i].IsNoteOn()) continue;
    const Event& on = events[i];
    const int64_t due = on.time + kDurationSamples;
    // Note-offs go out after the strikes of the block in which they fall due, and a strike or
    // bounce of the chime made in that block ends the note at its own time instead.
    const int64_t dueBlockEnd =
        (due + blockFrames - 1) / blockFrames * blockFrames + kBounceSamples;
    if (dueBlockEnd > host.position) continue;  // not due yet
    const Event* off = nullptr;
    bool alone = true;
    for (size_t j = i + 1; j < events.size() && !off; ++j)
      if (events[j].IsNoteOff() && events[j].data1 == on.data1) off = &events[j];
    for (const Event& other : events)
      if (&other != &on && other.IsNoteOn() && other.data1 == on.data1 &&
          other.time >= on.time - kBounceSamples && other.time <= dueBlockEnd)
        alone = false;
    EXPECT_NE(off, nullptr) << "note " << int{on.data1} << " at " << on.time << " never ended";
    if (!off) continue;
    EXPECT_LE(off->time, dueBlockEnd) << "note " << int{on.data1} << " at " << on.time;
    if (alone) {
      EXPECT_EQ(off->time, due) << "note " << int{on.data1} << " at " << on.time;
    }
    ++checked;
  }
  return checked;
}

int ChimeOfNote(const Tintinna& plugin, int note) {
  for (int chime = 1; chime <= Tintinna::kMaxChimes; ++chime)
    if (plugin.Settings().notes[chime] == note) return chime;
  return 0;
}

}  // namespace chime_test
