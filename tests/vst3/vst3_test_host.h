// The host's side of VST 3 for tests and benchmarks: the loader's event lists, parameter
// changes and stream, a recording component handler, and one processing call wired together.
#pragma once

#include <string>
#include <vector>

#include "plug/vst3_abi.h"
#include "tools/host/vst3_host_objects.h"

namespace vst3_test {

// The loader's host objects, under the names the tests use.
template <class Interface>
using HostObject = host::Vst3HostObject<Interface>;
using EventList = host::Vst3EventList;
using ValueQueue = host::Vst3ValueQueue;
using ParameterChanges = host::Vst3ParameterChanges;
using MemoryStream = host::Vst3MemoryStream;

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
