// The host side of the VST 2 callback: what tintinna-host answers when a VST 2 plug-in asks,
// translated to and from the host's format-neutral PluginHost.
#pragma once

#include <cstdint>

#include "plug/vst2_abi.h"
#include "tools/host/plugin_instance.h"

namespace host {

// One per plug-in instance; the instance finds it through AEffect::user. All calls come on the
// session's thread.
class Vst2HostContext {
 public:
  explicit Vst2HostContext(PluginHost& host) : host_(host) {}
  Vst2HostContext(const Vst2HostContext&) = delete;
  Vst2HostContext& operator=(const Vst2HostContext&) = delete;

  // The function handed to the plug-in's entry.
  static intptr_t Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);

  // While a scope of this kind lives, calls that carry no effect (or one whose user field is not
  // yet set) reach this context: plug-ins may call back from inside their entry.
  class CreationScope {
   public:
    explicit CreationScope(Vst2HostContext& context);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    Vst2HostContext* previous_;
  };

  // Brackets one processing call: until EndCall the plug-in hears transport as the time and its
  // events go to out; outside, the time is the host's and events go to the host.
  void BeginCall(const TransportState& transport, MidiSink& out);
  void EndCall() { call_ = nullptr; }

  intptr_t Handle(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  static constexpr int32_t kVendorVersion = 10000;  // 1.0.0, in the decimal form hosts report

 private:
  intptr_t ProcessEvents(const vst2::VstEvents* events);

  PluginHost& host_;
  MidiSink* call_ = nullptr;
  TransportState callTransport_;
  vst2::VstTimeInfo timeInfo_{};
};

// The transport as VST 2 time information.
vst2::VstTimeInfo TimeInfoOf(const TransportState& transport);

}  // namespace host
