// The host's side of VST 3 as plain objects: event lists, parameter changes and a memory stream,
// shared by tintinna-host's loader, the tests and the benchmarks.
//
// Threads: each object belongs to one host thread at a time (the session's in tintinna-host);
// the plug-in uses them only inside the call they were handed to.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

#include "plug/vst3_abi.h"

namespace host {

// Host objects count the references a plug-in holds on them (held), and are never deleted by
// it: their owner outlives every call they are passed to.
template <class Interface>
class Vst3HostObject : public Interface {
 public:
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override {
    if (!obj) return vst3::kInvalidArgument;
    const bool known = vst3::IsIid<vst3::FUnknown>(iid) || vst3::IsIid<Interface>(iid);
    *obj = known ? static_cast<Interface*>(this) : nullptr;
    if (known) ++held;
    return known ? vst3::kResultOk : vst3::kNoInterface;
  }
  uint32_t addRef() override { return static_cast<uint32_t>(++held); }
  uint32_t release() override { return static_cast<uint32_t>(--held); }
  int held = 0;

 protected:
  ~Vst3HostObject() = default;
};

class Vst3EventList final : public Vst3HostObject<vst3::IEventList> {
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

// One parameter's points, kept in the order they were added.
class Vst3ValueQueue final : public Vst3HostObject<vst3::IParamValueQueue> {
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

// A deque, so that queues handed out stay where they are while others are added.
class Vst3ParameterChanges final : public Vst3HostObject<vst3::IParameterChanges> {
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
  std::deque<Vst3ValueQueue> queues;
};

// A stream over bytes in memory. Reads hand out at most maxRead bytes at a time, as some hosts'
// streams do; a seek before the start or a negative count is refused.
class Vst3MemoryStream final : public Vst3HostObject<vst3::IBStream> {
 public:
  vst3::tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override {
    if (numBytesRead) *numBytesRead = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer)) return vst3::kInvalidArgument;
    const int64_t left = std::max<int64_t>(static_cast<int64_t>(bytes.size()) - position, 0);
    const auto n = static_cast<int32_t>(std::min<int64_t>(std::min(numBytes, maxRead), left));
    std::copy_n(bytes.begin() + position, n, static_cast<uint8_t*>(buffer));
    position += n;
    if (numBytesRead) *numBytesRead = n;
    return vst3::kResultOk;
  }
  vst3::tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override {
    if (numBytesWritten) *numBytesWritten = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer)) return vst3::kInvalidArgument;
    const auto* from = static_cast<const uint8_t*>(buffer);
    bytes.resize(std::max(bytes.size(), static_cast<size_t>(position + numBytes)));
    std::copy(from, from + numBytes, bytes.begin() + position);
    position += numBytes;
    if (numBytesWritten) *numBytesWritten = numBytes;
    return vst3::kResultOk;
  }
  vst3::tresult seek(int64_t pos, int32_t mode, int64_t* result) override {
    const int64_t base = mode == kIBSeekSet   ? 0
                         : mode == kIBSeekCur ? position
                         : mode == kIBSeekEnd ? static_cast<int64_t>(bytes.size())
                                              : -1;
    if (base < 0 || pos < -base || pos > std::numeric_limits<int32_t>::max() - base)
      return vst3::kInvalidArgument;
    position = base + pos;
    if (result) *result = position;
    return vst3::kResultOk;
  }
  vst3::tresult tell(int64_t* pos) override {
    if (!pos) return vst3::kInvalidArgument;
    *pos = position;
    return vst3::kResultOk;
  }
  std::vector<uint8_t> bytes;
  int64_t position = 0;
  int32_t maxRead = std::numeric_limits<int32_t>::max();
};

}  // namespace host
