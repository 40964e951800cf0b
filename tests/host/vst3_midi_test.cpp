// Tests of the host's MIDI conversions for VST 3: what goes in as events or mapped controllers,
// and the bytes made of the plug-in's output events, as Ardour makes them.
#include "tools/host/vst3_midi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace host {
namespace {

vst3::Event Out(uint16_t type) {
  vst3::Event e;
  std::memset(&e, 0, sizeof e);
  e.type = type;
  e.sampleOffset = 7;
  return e;
}

TEST(Vst3HostMidi, OutputEventsBecomeArdoursBytesAndWhatHasNoValidBytesIsRefused) {
  const uint8_t noteBytes[] = {0x93, 60, 100};
  const uint8_t sysex[] = {0xF0, 0x7D, 0xF7};
  struct Case {
    vst3::Event event;
    bool valid;
    uint8_t status, data1, data2;
  };
  std::vector<Case> cases;
  auto add = [&](vst3::Event e, bool valid, uint8_t s = 0, uint8_t d1 = 0, uint8_t d2 = 0) {
    cases.push_back({e, valid, s, d1, d2});
  };
  vst3::Event e = Out(vst3::Event::kNoteOnEvent);
  e.noteOn = {2, 64, 0.0f, 1.0f, 0, -1};
  add(e, true, 0x92, 64, 127);
  e.noteOn.velocity = 0.0787f;  // 9.9949 / 127: truncated, not rounded
  add(e, true, 0x92, 64, 9);
  e.noteOn.velocity = 1.01f;  // wraps as a byte does in Ardour
  add(e, true, 0x92, 64, 0);
  e.noteOn.channel = 16;
  add(e, false);
  e = Out(vst3::Event::kNoteOffEvent);
  e.noteOff = {0, 128, 0.5f, -1, 0.0f};
  add(e, false);
  e.noteOff.pitch = 5;
  add(e, true, 0x80, 5, 63);
  e = Out(vst3::Event::kLegacyMIDICCOutEvent);
  const struct {
    uint8_t number;
    int8_t value, value2;
    bool valid;
    uint8_t status, data1, data2;
  } legacy[] = {{7, 100, 0, true, 0xB1, 7, 100},
                {vst3::kPitchBend, 0x12, 0x40, true, 0xE1, 0x12, 0x40},
                {vst3::kCtrlProgramChange, 5, 0, true, 0xC1, 5, 0},
                {vst3::kCtrlPolyPressure, 60, 9, true, 0xA1, 60, 9},
                {vst3::kAfterTouch, 33, 0, true, 0xD1, 33, 0},
                {vst3::kCtrlQuarterFrame, 1, 0, false, 0, 0, 0},
                {7, -1, 0, false, 0, 0, 0}};
  for (const auto& l : legacy) {
    e.midiCCOut = {l.number, 1, l.value, l.value2};
    add(e, l.valid, l.status, l.data1, l.data2);
  }
  e = Out(vst3::Event::kDataEvent);
  e.data = {3, 0, noteBytes};
  add(e, true, 0x93, 60, 100);
  e.data = {3, 0, sysex};
  add(e, false);
  add(Out(vst3::Event::kChordEvent), false);
  for (size_t i = 0; i < cases.size(); ++i) {
    MidiMessage m;
    ASSERT_EQ(FromVst3Event(cases[i].event, m), cases[i].valid) << i;
    if (!cases[i].valid) continue;
    EXPECT_EQ(m.offset, 7) << i;
    EXPECT_EQ(m.status, cases[i].status) << i;
    EXPECT_EQ(m.data1, cases[i].data1) << i;
    EXPECT_EQ(m.data2, cases[i].data2) << i;
  }
}

TEST(Vst3HostMidi, NotesGoInAsEventsAndControllersAsMappedValuesThatComeBackExactly) {
  vst3::Event e;
  ASSERT_TRUE(ToVst3Event({4, 0x95, 61, 0}, 2.5, e));  // velocity 0 stays a note-on
  EXPECT_EQ(e.type, vst3::Event::kNoteOnEvent);
  EXPECT_EQ(e.sampleOffset, 4);
  EXPECT_EQ(e.ppqPosition, 2.5);
  EXPECT_EQ(e.noteOn.channel, 5);
  EXPECT_EQ(e.noteOn.velocity, 0.0f);
  EXPECT_FALSE(ToVst3Event({0, 0xB0, 1, 2}, 0.0, e));
  vst3::CtrlNumber number = 0;
  double value = 0.0;
  ASSERT_TRUE(ToVst3Controller({0, 0xE3, 0x12, 0x40}, number, value));
  EXPECT_EQ(number, vst3::kPitchBend);
  EXPECT_EQ(std::lround(value * 16383), 0x2012);
  ASSERT_TRUE(ToVst3Controller({0, 0xB3, 74, 127}, number, value));
  EXPECT_EQ(number, 74);
  EXPECT_EQ(value, 1.0);
  EXPECT_FALSE(ToVst3Controller({0, 0xC3, 4, 0}, number, value));
}

}  // namespace
}  // namespace host
