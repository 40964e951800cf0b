// Tests of the VST 2 host callback with the session's host behind it: what a plug-in hears when
// it asks tintinna-host, and where the events it sends land.
#include "tools/host/vst2_host_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/host/session_host.h"

namespace host {
namespace {

struct Recorder : HostObserver {
  std::vector<HostMidiEvent> midi;
  std::vector<int64_t> other;
  std::vector<std::pair<int32_t, double>> automation;
  void OnMidiEvent(const HostMidiEvent& event) override { midi.push_back(event); }
  void OnOtherEvent(int32_t, int64_t sampleTime) override { other.push_back(sampleTime); }
  void OnAutomation(int32_t index, double value) override { automation.push_back({index, value}); }
};

class HostCallbackTest : public testing::Test {
 protected:
  HostCallbackTest() {
    effect_.magic = vst2::kEffectMagic;
    effect_.user = &context_;
  }
  intptr_t Call(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                float opt = 0.0f) {
    return Vst2HostContext::Callback(&effect_, opcode, index, value, ptr, opt);
  }
  intptr_t SendEvents(std::vector<vst2::VstEvent*> list) {
    std::vector<char> storage(sizeof(vst2::VstEvents) + list.size() * sizeof(vst2::VstEvent*));
    auto* events = reinterpret_cast<vst2::VstEvents*>(storage.data());
    events->numEvents = static_cast<int32_t>(list.size());
    for (size_t i = 0; i < list.size(); ++i) events->events[i] = list[i];
    return Call(vst2::audioMasterProcessEvents, 0, 0, events);
  }
  static vst2::VstMidiEvent Midi(int32_t delta, uint8_t status, uint8_t d1, uint8_t d2) {
    vst2::VstMidiEvent event{};
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(event);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(d1);
    event.midiData[2] = static_cast<char>(d2);
    return event;
  }

  // The session brackets a block around the instance's call, which brackets the plug-in's.
  void BeginBlock(int64_t start, int32_t frames) {
    host_.BeginBlock(start, frames);
    context_.BeginCall(transport_.State(), host_);
  }
  void EndBlock() {
    context_.EndCall();
    host_.EndBlock();
  }

  Recorder recorder_;
  Transport transport_{44100.0, 120.0, 4, 4};
  SessionHost host_{transport_, 512, recorder_};
  Vst2HostContext context_{host_};
  vst2::AEffect effect_{};
};

TEST_F(HostCallbackTest, AnswersTheVersionEvenBeforeAnyInstanceExists) {
  EXPECT_EQ(Vst2HostContext::Callback(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f),
            2400);
  EXPECT_EQ(Vst2HostContext::Callback(nullptr, vst2::audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(HostCallbackTest, RoutesCallsWithoutAnEffectToTheInstanceBeingCreated) {
  Vst2HostContext::CreationScope scope(context_);
  EXPECT_EQ(Vst2HostContext::Callback(nullptr, vst2::audioMasterGetBlockSize, 0, 0, nullptr, 0.0f),
            512);
}

TEST_F(HostCallbackTest, NamesItselfWithinTheConventionalBuffer) {
  char text[256];
  std::memset(text, 'x', sizeof(text));
  EXPECT_EQ(Call(vst2::audioMasterGetProductString, 0, 0, text), 1);
  EXPECT_STREQ(text, "tintinna-host");
  EXPECT_EQ(text[std::strlen("tintinna-host") + 1], 'x');
  EXPECT_EQ(Call(vst2::audioMasterGetProductString), 0);
  EXPECT_EQ(Call(vst2::audioMasterGetVendorVersion), Vst2HostContext::kVendorVersion);
}

TEST_F(HostCallbackTest, SaysWhatItCanDo) {
  char midi[] = "sendVstMidiEvent";
  char time[] = "sendVstTimeInfo";
  char other[] = "offline";
  EXPECT_EQ(Call(vst2::audioMasterCanDo, 0, 0, midi), 1);
  EXPECT_EQ(Call(vst2::audioMasterCanDo, 0, 0, time), 1);
  EXPECT_EQ(Call(vst2::audioMasterCanDo, 0, 0, other), 0);
  EXPECT_EQ(Call(vst2::audioMasterCanDo), 0);
  EXPECT_EQ(Call(vst2::audioMasterWantMidi), 1);
}

TEST_F(HostCallbackTest, GivesTheTransportsTimeInformation) {
  transport_.Start();
  transport_.Advance(22050);
  const auto* info = reinterpret_cast<const vst2::VstTimeInfo*>(
      Call(vst2::audioMasterGetTime, 0, vst2::kVstPpqPosValid));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->samplePos, 22050.0);
  EXPECT_DOUBLE_EQ(info->ppqPos, 1.0);
  EXPECT_NE(info->flags & vst2::kVstTransportPlaying, 0);
}

TEST_F(HostCallbackTest, PlacesEventsAtBlockStartPlusTheirDeltaFramesAndChecksTheirDelivery) {
  BeginBlock(1024, 512);
  vst2::VstMidiEvent on = Midi(5, 0x92, 60, 100);
  vst2::VstMidiEvent bounce = Midi(1600, 0x92, 62, 90);  // past the block's end
  EXPECT_EQ(SendEvents({reinterpret_cast<vst2::VstEvent*>(&on), nullptr,
                        reinterpret_cast<vst2::VstEvent*>(&bounce)}),
            1);
  vst2::VstMidiEvent later = Midi(300, 0x82, 60, 0), earlier = Midi(299, 0x82, 60, 0);
  SendEvents({reinterpret_cast<vst2::VstEvent*>(&later)});
  SendEvents({reinterpret_cast<vst2::VstEvent*>(&earlier)});  // order counts across lists
  EndBlock();
  ASSERT_EQ(recorder_.midi.size(), 4u);
  EXPECT_EQ(recorder_.midi[0].sampleTime, 1029);
  EXPECT_EQ(recorder_.midi[0].blockStart, 1024);
  EXPECT_EQ(recorder_.midi[0].status, 0x92);
  EXPECT_EQ(recorder_.midi[0].data1, 60);
  EXPECT_EQ(recorder_.midi[0].data2, 100);
  EXPECT_EQ(recorder_.midi[1].sampleTime, 2624);
  EXPECT_EQ(recorder_.midi[1].deltaFrames, 1600);
  EXPECT_EQ(host_.DeliveryCheck().outsideCall, 1);
  EXPECT_EQ(host_.DeliveryCheck().outOfOrder, 1);

  BeginBlock(1536, 512);
  SendEvents({reinterpret_cast<vst2::VstEvent*>(&earlier)});  // a new call starts afresh
  EndBlock();
  EXPECT_EQ(host_.DeliveryCheck().outOfOrder, 1);
  EXPECT_EQ(host_.CloseSoundingNotes(2048), 1) << "only 62 still sounds";
  EXPECT_EQ(recorder_.midi.back().status, 0x82);
  EXPECT_EQ(recorder_.midi.back().data1, 62);
  EXPECT_EQ(recorder_.midi.back().sampleTime, 2048);
  EXPECT_EQ(host_.CloseSoundingNotes(2048), 0);
}

TEST_F(HostCallbackTest, PlacesEventsSentOutsideProcessingAtTheSongPosition) {
  transport_.Start();
  transport_.Advance(300);
  vst2::VstMidiEvent cc = Midi(0, 0xB0, 7, 1);
  SendEvents({reinterpret_cast<vst2::VstEvent*>(&cc)});
  ASSERT_EQ(recorder_.midi.size(), 1u);
  EXPECT_EQ(recorder_.midi[0].sampleTime, 300);
  EXPECT_EQ(host_.DeliveryCheck().outsideCall, 1) << "hosts may ignore it";
}

TEST_F(HostCallbackTest, ReportsOtherEventsWithoutTakingThemForMidi) {
  vst2::VstEvent sysex{};
  sysex.type = vst2::kVstSysExType;
  sysex.deltaFrames = 7;
  BeginBlock(100, 512);
  SendEvents({&sysex});
  EXPECT_TRUE(recorder_.midi.empty());
  EXPECT_EQ(recorder_.other, std::vector<int64_t>{107});
}

TEST_F(HostCallbackTest, RefusesAMissingOrNegativeEventList) {
  EXPECT_EQ(Call(vst2::audioMasterProcessEvents), 0);
  vst2::VstEvents events{};
  events.numEvents = -3;
  EXPECT_EQ(Call(vst2::audioMasterProcessEvents, 0, 0, &events), 0);
}

TEST_F(HostCallbackTest, PassesAutomationNoticesOn) {
  Call(vst2::audioMasterAutomate, 3, 0, nullptr, 0.25f);
  ASSERT_EQ(recorder_.automation.size(), 1u);
  EXPECT_EQ(recorder_.automation[0].first, 3);
  EXPECT_EQ(recorder_.automation[0].second, 0.25);
  EXPECT_EQ(host_.AutomationCount(), 1);
}

TEST_F(HostCallbackTest, TellsThePluginWhetherItIsProcessing) {
  EXPECT_EQ(Call(vst2::audioMasterGetCurrentProcessLevel), 1);
  BeginBlock(0, 512);
  EXPECT_EQ(Call(vst2::audioMasterGetCurrentProcessLevel), 2);
  EndBlock();
}

}  // namespace
}  // namespace host
