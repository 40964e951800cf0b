// The host side of the VST 2 callback: what tintinna-host answers when a plug-in asks.
#pragma once

#include <bitset>
#include <cstdint>

#include "plug/vst2_abi.h"
#include "tools/host/host_observer.h"
#include "tools/host/host_transport.h"

namespace host {

// One per plug-in instance; the instance finds it through AEffect::user. All calls come on the
// session's thread (this host has no separate audio thread).
class HostContext {
 public:
  HostContext(Transport& transport, int32_t blockSize, HostObserver& observer);
  HostContext(const HostContext&) = delete;
  HostContext& operator=(const HostContext&) = delete;

  // The function handed to the plug-in's entry.
  static intptr_t Callback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);

  // While a scope of this kind lives, calls that carry no effect (or one whose user field is not
  // yet set) reach this context: plug-ins may call back from inside their entry.
  class CreationScope {
   public:
    explicit CreationScope(HostContext& context);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    HostContext* previous_;
  };

  // Brackets one processing call of frames; events sent inside it are placed relative to
  // blockStart.
  void BeginBlock(int64_t blockStart, int32_t frames);
  void EndBlock();

  // How the plug-in delivered its events: those sent outside a processing call or with a
  // deltaFrames outside [0, frames) of theirs, and those earlier than one sent before them in
  // the same call.
  struct Delivery {
    int64_t outsideCall = 0;
    int64_t outOfOrder = 0;
  };
  const Delivery& DeliveryCheck() const { return delivery_; }
  // Ends every note still sounding (its last message a note-on) with a note-off at time, as
  // hosts do when their transport stops; returns how many.
  int CloseSoundingNotes(int64_t time);

  intptr_t Handle(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  int64_t AutomationCount() const { return automationCount_; }
  int64_t WantMidiCount() const { return wantMidiCount_; }

  static constexpr int32_t kVendorVersion = 10000;  // 1.0.0, in the decimal form hosts report

 private:
  intptr_t ProcessEvents(const vst2::VstEvents* events);

  Transport& transport_;
  int32_t blockSize_;
  HostObserver& observer_;
  vst2::VstTimeInfo timeInfo_{};
  int64_t blockStart_ = 0;
  int32_t blockFrames_ = 0;
  int32_t lastDelta_ = 0;
  bool inBlock_ = false;
  Delivery delivery_;
  std::bitset<16 * 128> sounding_;
  int64_t automationCount_ = 0;
  int64_t wantMidiCount_ = 0;
};

}  // namespace host
