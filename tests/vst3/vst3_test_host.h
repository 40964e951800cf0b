// The host's side of VST 3 for tests and benchmarks: event lists, parameter changes, a memory
// stream, a recording component handler, and one processing call wired together.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "plug/vst3_abi.h"

namespace vst3_test {

// Host objects count the references the plug-in holds on them, and are never deleted by it.
template <class Interface>
class HostObject : public Interface {
 public:
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override {
    const bool known = vst3::IsIid<vst3::FUnknown>(iid) || vst3::IsIid<Interface>(iid);
    *obj = known ? static_cast<Interface*>(this) : nullptr;
    if (known) ++held;
    return known ? vst3::kResultOk : vst3::kNoInterface;
  }
  uint32_t addRef() override { return static_cast<uint32_t>(++held); }
  uint32_t release() override { return static_cast<uint32_t>(--held); }
  int held = 0;

 protected:
  ~HostObject() = default;
};

class EventList final : public HostObject<vst3::IEventList> {
 public:
  int32_t getEventCount() override { return static_cast<int32_t>(events.size()); }
  vst3::tresult getEvent(int32_t index, vst3::Event& e) override {
    if (index < 0 || index >= getEventCount()) return vst3::kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return vst3::kResultOk;
  }
  vst3::tresult addEvent(vst3::Event& e) override {
    events.push_back(e);
    return vst3::kResultOk;
  }
  std::vector<vst3::Event> events;
};

class ValueQueue final : public HostObject<vst3::IParamValueQueue> {
 public:
  vst3::ParamID getParameterId() override { return id; }
  int32_t getPointCount() override { return static_cast<int32_t>(points.size()); }
  vst3::tresult getPoint(int32_t index, int32_t& offset, vst3::ParamValue& value) override {
    if (index < 0 || index >= getPointCount()) return vst3::kInvalidArgument;
    offset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return vst3::kResultOk;
  }
  vst3::tresult addPoint(int32_t offset, vst3::ParamValue value, int32_t& index) override {
    index = getPointCount();
    points.emplace_back(offset, value);
    return vst3::kResultOk;
  }
  vst3::ParamID id = 0;
  std::vector<std::pair<int32_t, vst3::ParamValue>> points;
};

class ParameterChanges final : public HostObject<vst3::IParameterChanges> {
 public:
  int32_t getParameterCount() override { return static_cast<int32_t>(queues.size()); }
  vst3::IParamValueQueue* getParameterData(int32_t index) override {
    return index >= 0 && index < getParameterCount() ? &queues[static_cast<size_t>(index)]
                                                     : nullptr;
  }
  vst3::IParamValueQueue* addParameterData(const vst3::ParamID& id, int32_t& index) override {
    for (index = 0; index < getParameterCount(); ++index)
      if (queues[static_cast<size_t>(index)].id == id) return &queues[static_cast<size_t>(index)];
    queues.emplace_back().id = id;
    return &queues.back();
  }
  void Add(vst3::ParamID id, int32_t offset, vst3::ParamValue value) {
    int32_t index = 0;
    addParameterData(id, index)->addPoint(offset, value, index);
  }
  std::deque<ValueQueue> queues;
};

// Reads hand out at most maxRead bytes at a time, as some hosts' streams do.
class MemoryStream final : public HostObject<vst3::IBStream> {
 public:
  vst3::tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override {
    const auto n = static_cast<int32_t>(std::clamp<int64_t>(
        std::min<int64_t>(numBytes, maxRead), 0, static_cast<int64_t>(bytes.size()) - position));
    std::copy_n(bytes.begin() + position, n, static_cast<uint8_t*>(buffer));
    position += n;
    if (numBytesRead) *numBytesRead = n;
    return vst3::kResultOk;
  }
  vst3::tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override {
    const auto* from = static_cast<const uint8_t*>(buffer);
    bytes.resize(std::max(bytes.size(), static_cast<size_t>(position + numBytes)));
    std::copy(from, from + numBytes, bytes.begin() + position);
    position += numBytes;
    if (numBytesWritten) *numBytesWritten = numBytes;
    return vst3::kResultOk;
  }
  vst3::tresult seek(int64_t pos, int32_t mode, int64_t* result) override {
    position = mode == kIBSeekSet ? pos : mode == kIBSeekCur ? position + pos : bytes.size() + pos;
    if (result) *result = position;
    return vst3::kResultOk;
  }
  vst3::tresult tell(int64_t* pos) override {
    if (pos) *pos = position;
    return vst3::kResultOk;
  }
  std::vector<uint8_t> bytes;
  int64_t position = 0;
  int32_t maxRead = std::numeric_limits<int32_t>::max();
};

// Writes each call as "begin 3", "perform 3", "end 3" or "restart 4".
class Handler final : public HostObject<vst3::IComponentHandler> {
 public:
  vst3::tresult beginEdit(vst3::ParamID id) override { return Note("begin", id); }
  vst3::tresult performEdit(vst3::ParamID id, vst3::ParamValue) override {
    return Note("perform", id);
  }
  vst3::tresult endEdit(vst3::ParamID id) override { return Note("end", id); }
  vst3::tresult restartComponent(int32_t flags) override { return Note("restart", flags); }
  std::vector<std::string> calls;

 private:
  vst3::tresult Note(const char* what, uint32_t value) {
    calls.push_back(std::string(what) + " " + std::to_string(value));
    return vst3::kResultOk;
  }
};

// One processing call of frames on a stereo bus, with a playing transport at 120 bpm.
struct ProcessCall {
  explicit ProcessCall(int32_t frames) : samples(4, std::vector<float>(frames)) {
    for (int c = 0; c < 2; ++c) {
      in[c] = samples[c].data();
      out[c] = samples[c + 2].data();
    }
    inputs = {2, 0, {in}};
    outputs = {2, 0, {out}};
    context.state = vst3::ProcessContext::kPlaying | vst3::ProcessContext::kTempoValid;
    context.sampleRate = 48000.0;
    context.tempo = 120.0;
    data = {vst3::kRealtime, vst3::kSample32, frames,      1,         1,          &inputs,
            &outputs,        &inChanges,      &outChanges, &inEvents, &outEvents, &context};
  }
  ProcessCall(const ProcessCall&) = delete;
  ProcessCall& operator=(const ProcessCall&) = delete;

  // Empties the lists for the next call and moves the transport on.
  void Next() {
    inEvents.events.clear();
    outEvents.events.clear();
    inChanges.queues.clear();
    outChanges.queues.clear();
    context.projectTimeSamples += data.numSamples;
  }

  std::vector<std::vector<float>> samples;
  float* in[2] = {};
  float* out[2] = {};
  vst3::AudioBusBuffers inputs{};
  vst3::AudioBusBuffers outputs{};
  EventList inEvents, outEvents;
  ParameterChanges inChanges, outChanges;
  vst3::ProcessContext context{};
  vst3::ProcessData data{};
};

}  // namespace vst3_test
