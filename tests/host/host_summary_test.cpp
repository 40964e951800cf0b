// Tests of the run summary: counts per note and controller, velocity ranges, printed lines.
#include "tools/host/host_summary.h"

#include <gtest/gtest.h>

#include <sstream>

namespace host {
namespace {

HostMidiEvent Event(uint8_t status, uint8_t data1, uint8_t data2) {
  HostMidiEvent event;
  event.status = status;
  event.data1 = data1;
  event.data2 = data2;
  return event;
}

TEST(MidiSummary, CountsNotesPerChannelAndNoteWithTheirVelocities) {
  const MidiSummary summary =
      Summarize({Event(0x90, 60, 40), Event(0x80, 60, 0), Event(0x90, 60, 100), Event(0x91, 60, 70),
                 Event(0x90, 48, 90)});
  EXPECT_EQ(summary.noteOns, 4);
  EXPECT_EQ(summary.noteOffs, 1);
  ASSERT_EQ(summary.notes.size(), 3u);
  EXPECT_EQ(summary.notes[0].note, 48);
  EXPECT_EQ(summary.notes[1].note, 60);
  EXPECT_EQ(summary.notes[1].channel, 0);
  EXPECT_EQ(summary.notes[1].count, 2);
  EXPECT_EQ(summary.notes[1].minVelocity, 40);
  EXPECT_EQ(summary.notes[1].maxVelocity, 100);
  EXPECT_EQ(summary.notes[2].channel, 1);
  EXPECT_EQ(summary.minVelocity, 40);
  EXPECT_EQ(summary.maxVelocity, 100);
}

TEST(MidiSummary, TakesANoteOnWithVelocityZeroForANoteOff) {
  const MidiSummary summary = Summarize({Event(0x90, 60, 0)});
  EXPECT_EQ(summary.noteOns, 0);
  EXPECT_EQ(summary.noteOffs, 1);
  EXPECT_TRUE(summary.notes.empty());
}

TEST(MidiSummary, CountsControllerMessagesPerControllerWithTheirValueRange) {
  const MidiSummary summary =
      Summarize({Event(0xB0, 11, 5), Event(0xB0, 11, 90), Event(0xB3, 1, 7), Event(0xE0, 0, 64)});
  EXPECT_EQ(summary.controlChanges, 3);
  EXPECT_EQ(summary.otherMessages, 1);
  ASSERT_EQ(summary.controllers.size(), 2u);
  EXPECT_EQ(summary.controllers[0].controller, 11);
  EXPECT_EQ(summary.controllers[0].count, 2);
  EXPECT_EQ(summary.controllers[0].minValue, 5);
  EXPECT_EQ(summary.controllers[0].maxValue, 90);
  EXPECT_EQ(summary.controllers[1].channel, 3);
}

TEST(SummaryPrinting, NamesNotesAsTheEditorDoesAndChannelsFromOne) {
  HostOptions options;
  SessionReport report;
  report.effectName = "Chimes";
  report.pluginId = "tnta";
  std::ostringstream out;
  PrintSummary(out, options, report, Summarize({Event(0x92, 60, 33)}), "x.mid");
  const std::string text = out.str();
  EXPECT_NE(text.find("plug-in: Chimes (id 'tnta'"), std::string::npos) << text;
  EXPECT_NE(text.find("  ch  3  C5   ( 60)         1  velocity  33 to  33\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("velocity: 33 to 33\n"), std::string::npos);
  EXPECT_NE(text.find("MIDI file: x.mid\n"), std::string::npos);
  EXPECT_EQ(text.find("controllers:"), std::string::npos);
  EXPECT_NE(text.find("delivery: every event inside its call, in time order\n"), std::string::npos);
  EXPECT_EQ(text.find("closed at the end"), std::string::npos);
}

TEST(SummaryPrinting, ReportsEventsDeliveredOutsideTheirCallAndTheNotesClosedAtTheEnd) {
  HostOptions options;
  SessionReport report;
  report.eventsOutsideCall = 3;
  report.eventsOutOfOrder = 1;
  report.closedNotes = 2;
  std::ostringstream out;
  PrintSummary(out, options, report, Summarize({}), "");
  EXPECT_NE(out.str().find("delivery: 3 events outside their call, 1 out of order\n"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("closed at the end: 2 notes still sounding\n"), std::string::npos);
}

}  // namespace
}  // namespace host
