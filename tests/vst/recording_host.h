// A host for tests: answers the plug-in's callback from settable fields and records every call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plug/vst2_abi.h"

struct HostCall {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  float opt;
};

// One event as the host received it through audioMasterProcessEvents.
struct ReceivedEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  uint8_t bytes[3];
  const vst2::VstEvent* address;  // the pointer the plug-in passed, valid only during the call
  std::string dump;               // a SysEx event's bytes
};

class RecordingHost {
 public:
  // The callback reaches the host that was created last (tests use one at a time).
  RecordingHost();
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  static intptr_t Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);

  int Count(int32_t opcode) const;
  void Clear();

  // Answers.
  bool hasTime = false;
  vst2::VstTimeInfo time{};
  std::string product;
  intptr_t vendorVersion = 0;
  intptr_t processEventsAnswer = 1;
  std::vector<std::string> capabilities;  // answered 1 to audioMasterCanDo

  // Records.
  std::vector<HostCall> calls;
  std::vector<ReceivedEvent> events;
  std::vector<int32_t> timeMasks;
  bool recording = true;

 private:
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
};
