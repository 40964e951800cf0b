// Calls from the plug-in to the host: automation, time, host identity and MIDI out.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tests/vst/recording_host.h"
#include "tests/vst/test_plugin.h"

namespace {

class HostServices : public ::testing::Test {
 protected:
  void GiveTime(int32_t flags) {
    host.hasTime = true;
    host.time.flags = flags;
  }

  RecordingHost host;
  TestPlugin plugin{RecordingHost::Callback};
};

}  // namespace

TEST_F(HostServices, TellsTheHostAboutEditsAndGestures) {
  plugin.BeginParameterGesture(2);
  plugin.SetParameterFromGUI(2, 0.25);
  plugin.EndParameterGesture(2);
  ASSERT_EQ(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[0].opcode, vst2::audioMasterBeginEdit);
  EXPECT_EQ(host.calls[0].index, 2);
  EXPECT_EQ(host.calls[1].opcode, vst2::audioMasterAutomate);
  EXPECT_EQ(host.calls[1].index, 2);
  EXPECT_EQ(host.calls[1].opt, 0.25f);
  EXPECT_EQ(host.calls[2].opcode, vst2::audioMasterEndEdit);
  EXPECT_EQ(host.calls[2].index, 2);
}

TEST_F(HostServices, RoundsTheSamplePositionAndRefusesPositionsThatAreNone) {
  EXPECT_EQ(plugin.GetSamplePosition(), 0);
  GiveTime(0);
  host.time.samplePos = 1023.5;
  EXPECT_EQ(plugin.GetSamplePosition(), 1024);
  host.time.samplePos = -5.0;
  EXPECT_EQ(plugin.GetSamplePosition(), 0);
  host.time.samplePos = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(plugin.GetSamplePosition(), 0);
  host.time.samplePos = 1e12;
  EXPECT_EQ(plugin.GetSamplePosition(), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(host.timeMasks.back(), 0);
}

TEST_F(HostServices, ReadsTheTempoOnlyWhenTheHostMarksItValid) {
  EXPECT_EQ(plugin.GetTempo(), 0.0);
  GiveTime(0);
  host.time.tempo = 98.0;
  EXPECT_EQ(plugin.GetTempo(), 0.0);
  host.time.flags = vst2::kVstTempoValid;
  EXPECT_EQ(plugin.GetTempo(), 98.0);
  EXPECT_EQ(host.timeMasks.back(), vst2::kVstTempoValid);
}

TEST_F(HostServices, ReadsTheTimeSignatureOnlyWhenValid) {
  int numerator = -1, denominator = -1;
  plugin.GetTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 0);
  EXPECT_EQ(denominator, 0);
  GiveTime(vst2::kVstTimeSigValid);
  host.time.timeSigNumerator = 7;
  host.time.timeSigDenominator = 8;
  plugin.GetTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 7);
  EXPECT_EQ(denominator, 8);
}

TEST_F(HostServices, TransportInfoHasDefaultsWithoutTimeInformation) {
  ITransportInfo info;
  info.samplePosition = 55.0;
  info.tempo = 1.0;
  info.numerator = 9;
  info.playing = true;
  plugin.GetTransportInfo(&info);
  EXPECT_EQ(info.samplePosition, -1.0);
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.musicalPosition, -1.0);
  EXPECT_EQ(info.lastBarPosition, -1.0);
  EXPECT_EQ(info.cycleStart, -1.0);
  EXPECT_EQ(info.cycleEnd, -1.0);
  EXPECT_EQ(info.numerator, 4);
  EXPECT_EQ(info.denominator, 4);
  EXPECT_TRUE(info.playing);  // the caller's flags stay
  EXPECT_EQ(host.timeMasks.back(), 0x3E00);
}

TEST_F(HostServices, TransportInfoCopiesWhatTheHostMarksValid) {
  GiveTime(0x3E00 | vst2::kVstTransportPlaying | vst2::kVstTransportCycleActive);
  host.time.samplePos = 4410.0;
  host.time.ppqPos = 2.5;
  host.time.tempo = 90.0;
  host.time.barStartPos = 2.0;
  host.time.cycleStartPos = 1.0;
  host.time.cycleEndPos = 9.0;
  host.time.timeSigNumerator = 3;
  host.time.timeSigDenominator = 8;
  ITransportInfo info;
  plugin.GetTransportInfo(&info);
  EXPECT_EQ(info.samplePosition, 4410.0);
  EXPECT_EQ(info.musicalPosition, 2.5);
  EXPECT_EQ(info.tempo, 90.0);
  EXPECT_EQ(info.lastBarPosition, 2.0);
  EXPECT_EQ(info.cycleStart, 1.0);
  EXPECT_EQ(info.cycleEnd, 9.0);
  EXPECT_EQ(info.numerator, 3);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_TRUE(info.playing);
  EXPECT_TRUE(info.cycleActive);
}

TEST_F(HostServices, TransportInfoKeepsDefaultsForValuesThatMakeNoSense) {
  GiveTime(0x3E00);
  host.time.samplePos = std::numeric_limits<double>::quiet_NaN();
  host.time.tempo = 0.0;
  host.time.ppqPos = -3.0;
  host.time.cycleStartPos = 2.0;
  host.time.cycleEndPos = -1.0;
  host.time.timeSigNumerator = 0;
  host.time.timeSigDenominator = 4;
  ITransportInfo info;
  info.playing = true;
  plugin.GetTransportInfo(&info);
  EXPECT_EQ(info.samplePosition, -1.0);
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.musicalPosition, -1.0);
  EXPECT_EQ(info.cycleStart, -1.0);
  EXPECT_EQ(info.numerator, 4);
  EXPECT_EQ(info.denominator, 4);
  EXPECT_FALSE(info.playing);
}

TEST_F(HostServices, TransportRunsUnlessTheHostSaysItStopped) {
  EXPECT_TRUE(plugin.IsTransportRunning());  // no time information at all
  GiveTime(vst2::kVstNanosValid);
  EXPECT_TRUE(plugin.IsTransportRunning());  // none of the transport fields
  GiveTime(vst2::kVstTempoValid);
  EXPECT_FALSE(plugin.IsTransportRunning());
  GiveTime(vst2::kVstTempoValid | vst2::kVstTransportPlaying);
  EXPECT_TRUE(plugin.IsTransportRunning());
}

TEST_F(HostServices, IdentifiesTheHostOnceWithItsVersionPacked) {
  host.product = "REAPER";
  host.vendorVersion = 30102;
  EXPECT_EQ(plugin.GetHostType(), 1);
  EXPECT_EQ(plugin.HostVersion(), 0x30102);
  host.product = "Cubase";
  EXPECT_EQ(plugin.GetHostType(), 1);
  EXPECT_EQ(host.Count(vst2::audioMasterGetProductString), 1);
}

TEST_F(HostServices, PacksARoundVersion) {
  host.product = "Orion";
  host.vendorVersion = 20000;
  EXPECT_EQ(plugin.GetHostType(), 18);
  EXPECT_EQ(plugin.HostVersion(), 0x20000);
}

TEST_F(HostServices, AHostWithoutAProductTextIsUnknownAndNotAskedAgain) {
  EXPECT_EQ(plugin.GetHostType(), 0);
  EXPECT_EQ(plugin.HostVersion(), 0);
  EXPECT_EQ(host.Count(vst2::audioMasterGetVendorVersion), 0);
  host.product = "REAPER";
  EXPECT_EQ(plugin.GetHostType(), 0);
  EXPECT_EQ(host.Count(vst2::audioMasterGetProductString), 1);
}

TEST_F(HostServices, QueuesMessagesForTheNextProcessingCallAsOneList) {
  EXPECT_TRUE(plugin.SendMidiMessage(IMidiMessage::MakeNoteOn(72, 90, 31, 3)));
  HeapBuffer list;
  EXPECT_TRUE(plugin.SendMidiMessages(list));
  const IMidiMessage messages[] = {IMidiMessage::MakeNoteOn(60, 1, 9, 0),
                                   IMidiMessage::MakeNoteOff(60, 9, 0)};
  list.Resize(sizeof(messages), false);
  std::memcpy(list.Data(), messages, sizeof(messages));
  EXPECT_TRUE(plugin.SendMidiMessages(list));
  EXPECT_TRUE(host.events.empty()) << "nothing reaches the host outside processing";

  float silence[64] = {};
  float* inputs[] = {silence, silence};
  float* outputs[] = {silence, silence};
  plugin.Effect()->processReplacing(plugin.Effect(), inputs, outputs, 64);
  EXPECT_EQ(host.Count(vst2::audioMasterProcessEvents), 1);
  ASSERT_EQ(host.events.size(), 3u);
  EXPECT_EQ(host.events[0].deltaFrames, 9);  // in time order, equal times as sent
  EXPECT_EQ(host.events[0].bytes[0], 0x90);
  EXPECT_EQ(host.events[1].bytes[0], 0x80);
  const ReceivedEvent& e = host.events[2];
  EXPECT_EQ(e.type, vst2::kVstMidiType);
  EXPECT_EQ(e.byteSize, 32);
  EXPECT_EQ(e.deltaFrames, 31);
  EXPECT_EQ(e.bytes[0], 0x93);
  EXPECT_EQ(e.bytes[1], 72);
  EXPECT_EQ(e.bytes[2], 90);
}
