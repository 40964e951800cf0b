// IMidiMessage: the note and controller constructors.
#include "plug/midi_message.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(MidiMessageNotes, NoteOnCarriesChannelNoteVelocityAndOffset) {
  const IMidiMessage on = IMidiMessage::MakeNoteOn(60, 100, 37, 9);
  EXPECT_EQ(on.status, 0x99);
  EXPECT_EQ(on.data1, 60);
  EXPECT_EQ(on.data2, 100);
  EXPECT_EQ(on.offset, 37);
  EXPECT_EQ(on.Channel(), 9);
}

TEST(MidiMessageNotes, NoteOffHasZeroVelocity) {
  const IMidiMessage off = IMidiMessage::MakeNoteOff(72, 511, 15);
  EXPECT_EQ(off.status, 0x8F);
  EXPECT_EQ(off.data1, 72);
  EXPECT_EQ(off.data2, 0);
  EXPECT_EQ(off.offset, 511);
}

TEST(MidiMessageControllers, TheValueIsScaledTo127AndTruncated) {
  const IMidiMessage half = IMidiMessage::MakeControlChange(11, 0.5, 0);
  EXPECT_EQ(half.status, 0xB0);
  EXPECT_EQ(half.data1, 11);
  EXPECT_EQ(half.data2, 63);
  EXPECT_EQ(half.offset, 0);
  const IMidiMessage full = IMidiMessage::MakeControlChange(11, 1.0, 15);
  EXPECT_EQ(full.status, 0xBF);
  EXPECT_EQ(full.data2, 127);
  EXPECT_EQ(IMidiMessage::MakeControlChange(1, 0.999, 0).data2, 126);
}

TEST(MidiMessageControllers, ValuesWithoutAnIntegerGiveZero) {
  EXPECT_EQ(IMidiMessage::MakeControlChange(1, std::numeric_limits<double>::quiet_NaN(), 0).data2,
            0);
  EXPECT_EQ(IMidiMessage::MakeControlChange(1, 1e300, 0).data2, 0);
}

}  // namespace
