// The host side of a run as an instance of any format sees it: places what the plug-in sends on
// the host's timeline, checks its delivery and passes it to the observer.
#pragma once

#include <bitset>
#include <cstdint>

#include "tools/host/host_observer.h"
#include "tools/host/host_transport.h"
#include "tools/host/plugin_instance.h"

namespace host {

// Lives on the session's thread, as everything the plug-in calls does.
class SessionHost : public PluginHost {
 public:
  SessionHost(Transport& transport, int32_t blockSize, HostObserver& observer)
      : transport_(transport), blockSize_(blockSize), observer_(observer) {}
  SessionHost(const SessionHost&) = delete;
  SessionHost& operator=(const SessionHost&) = delete;

  double SampleRate() const override { return transport_.SampleRate(); }
  int32_t MaxBlockSize() const override { return blockSize_; }
  TransportState CurrentTransport() const override { return transport_.State(); }
  void OnAutomation(int32_t index, double normalized) override;
  void OnMidi(const MidiMessage& message) override;
  void OnOtherEvent(int32_t type, int32_t offset) override;

  // Brackets one processing call of frames; events sent inside it are placed relative to
  // blockStart, others at the song position.
  void BeginBlock(int64_t blockStart, int32_t frames);
  void EndBlock() { inBlock_ = false; }

  // How the plug-in delivered its events: those sent outside a processing call or with an
  // offset outside [0, frames) of theirs, and those earlier than one sent before them in the
  // same call.
  struct Delivery {
    int64_t outsideCall = 0;
    int64_t outOfOrder = 0;
  };
  const Delivery& DeliveryCheck() const { return delivery_; }
  // Ends every note still sounding (its last message a note-on) with a note-off at time, as
  // hosts do when their transport stops; returns how many.
  int CloseSoundingNotes(int64_t time);
  int64_t AutomationCount() const { return automationCount_; }

 private:
  // The event's base on the timeline, after counting it in the delivery check.
  int64_t Place(int32_t offset);

  Transport& transport_;
  int32_t blockSize_;
  HostObserver& observer_;
  int64_t blockStart_ = 0;
  int32_t blockFrames_ = 0;
  int32_t lastOffset_ = 0;
  bool inBlock_ = false;
  Delivery delivery_;
  std::bitset<16 * 128> sounding_;
  int64_t automationCount_ = 0;
};

}  // namespace host
