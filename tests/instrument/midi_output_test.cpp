// What the chimes send: strikes, note-offs after their duration and the wind controllers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "instrument/tintinna.h"
#include "tests/instrument/chime_host.h"

namespace {

using chime_test::ChimeHost;
using chime_test::Event;
using chime_test::OnFreshThread;
using chime_test::SteerNextDraw;

constexpr int kDurationSamples = 4410;  // "Duration" 0.1 s at 44.1 kHz

std::vector<Event> NotesOf(const std::vector<Event>& events, int block) {
  std::vector<Event> result;
  for (const Event& e : events)
    if (e.block == block && !e.IsController()) result.push_back(e);
  return result;
}

// Processes a call that holds the next opportunity, which strikes, on its last frame.
void StrikeAtNextOpportunity(ChimeHost& host) {
  SteerNextDraw([](int draw) { return draw == 0; });
  host.Process(host.Plugin().Wind().strikeCountdown + 1);
}

// A quiet instance: no wind, no bounces, so only steered strikes sound.
void Quiet(ChimeHost& host) {
  host.Open();
  host.SetParameter(Tintinna::kWindSpeed, 0.0f);
  host.SetParameter(Tintinna::kClapSize, 0.0f);
}

// ---- A strike -------------------------------------------------------------------------------

TEST(MidiOutputStrikes, OnAnIdleChimeSendNoteOffThenNoteOnAtOneOffset) {
  OnFreshThread([] {
    ChimeHost host;
    Quiet(host);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(512);
    const auto notes = NotesOf(host.events, 0);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(notes[0].IsNoteOff());
    EXPECT_TRUE(notes[1].IsNoteOn());
    EXPECT_EQ(notes[0].data1, notes[1].data1);
    EXPECT_EQ(notes[0].offset, 400);
    EXPECT_EQ(notes[1].offset, 400);
    EXPECT_EQ(notes[0].status, 0x80);
    EXPECT_EQ(notes[1].status, 0x90);
    EXPECT_EQ(notes[1].data2, 22) << "the softest strike, at rest and with no floor";
  });
}

TEST(MidiOutputStrikes, NeverFallBelowTheMinimumVelocity) {
  OnFreshThread([] {
    ChimeHost host;
    Quiet(host);
    host.SetParameter(Tintinna::kMinVelocity, 100.0f / 126.0f);
    host.SetParameter(Tintinna::kNoteChannel, 9.0f / 15.0f);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(512);
    const auto ons = host.NoteOns();
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_GE(ons[0].data2, 100);
    EXPECT_LT(ons[0].data2, 110) << "little energy adds little";
    EXPECT_EQ(ons[0].Channel(), 9);
  });
}

TEST(MidiOutputStrikes, StayWithinVelocity127InTheStrongestWind) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kWindVariation, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    // With no floor the strongest swing would ask for up to about 169: the cap must cut it.
    host.SetParameter(Tintinna::kMinVelocity, 0.0f);
    host.WarmUp(512);
    host.ProcessBlocks(2000, 512);
    ASSERT_FALSE(host.NoteOns().empty());
    int capped = 0;
    for (const Event& on : host.NoteOns()) {
      EXPECT_LE(on.data2, 127);
      if (on.data2 == 127) ++capped;
    }
    EXPECT_GT(capped, 10) << "the wind never reached the cap";
  });
}

TEST(MidiOutputStrikes, OfARingingChimeSendItsEarlierNoteOffAndNoOther) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    Quiet(host);
    host.SetParameter(Tintinna::kToneCount, 0.0f);  // one chime
    host.SetParameter(Tintinna::kDuration, 1.0f);   // ten seconds
    StrikeAtNextOpportunity(host);
    host.SetParameter(Tintinna::kTone1, 70.0f / 127.0f);
    host.events.clear();
    StrikeAtNextOpportunity(host);
    const auto notes = NotesOf(host.events, host.blocks - 1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_TRUE(notes[0].IsNoteOff());
    EXPECT_EQ(notes[0].data1, 48) << "the note that rings";
    EXPECT_TRUE(notes[1].IsNoteOn());
    EXPECT_EQ(notes[1].data1, 70);
    EXPECT_EQ(notes[0].offset, notes[1].offset);
  });
}

TEST(MidiOutputStrikes, AfterAChannelChangeEndTheOldNoteOnTheOldChannel) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    Quiet(host);
    host.SetParameter(Tintinna::kToneCount, 0.0f);
    host.SetParameter(Tintinna::kDuration, 1.0f);
    StrikeAtNextOpportunity(host);
    host.SetParameter(Tintinna::kNoteChannel, 5.0f / 15.0f);
    host.events.clear();
    StrikeAtNextOpportunity(host);
    const auto notes = NotesOf(host.events, host.blocks - 1);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].status, 0x80);
    EXPECT_EQ(notes[1].status, 0x85);
    EXPECT_EQ(notes[2].status, 0x95);
    for (const Event& e : notes) EXPECT_EQ(e.data1, 48);
  });
}

// ---- Note-offs ------------------------------------------------------------------------------

TEST(MidiOutputNoteOffs, FollowTheDurationAcrossBlockBoundaries) {
  OnFreshThread([] {
    ChimeHost host;
    Quiet(host);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(512);
    ASSERT_EQ(host.NoteOns().size(), 1u);
    const Event on = host.NoteOns()[0];
    host.ProcessBlocks(12, 512);
    std::vector<Event> offs;
    for (const Event& e : host.events)
      if (e.IsNoteOff() && e.data1 == on.data1 && e.time > on.time) offs.push_back(e);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].time, on.time + kDurationSamples);
    EXPECT_EQ(offs[0].block, (400 + kDurationSamples) / 512);
    EXPECT_EQ(offs[0].offset, (400 + kDurationSamples) % 512);
    EXPECT_EQ(host.Plugin().PendingNote(chime_test::ChimeOfNote(host.Plugin(), on.data1)).countdown,
              0);
  });
}

TEST(MidiOutputNoteOffs, DueExactlyAtTheBlockEndLeadTheNextCall) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4410);
    Quiet(host);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(400);  // the strike falls on the call's end: it opens the next call
    EXPECT_TRUE(host.NoteOns().empty());
    host.Process(4410);  // its note-off falls due exactly at this call's end
    const auto strike = NotesOf(host.events, 1);
    ASSERT_EQ(strike.size(), 2u);
    EXPECT_TRUE(strike[1].IsNoteOn());
    EXPECT_EQ(strike[1].offset, 0);
    EXPECT_EQ(strike[1].time, 400);
    host.Process(100);
    const auto end = NotesOf(host.events, 2);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_TRUE(end[0].IsNoteOff());
    EXPECT_EQ(end[0].offset, 0);
    EXPECT_EQ(end[0].time, 400 + kDurationSamples);
  });
}

TEST(MidiOutputNoteOffs, EndEveryNoteOnceInSmallBlocks) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    host.SetParameter(Tintinna::kToneCount, 1.0f);
    host.WarmUp(512);
    host.ProcessBlocks(1000, 512);
    EXPECT_GT(chime_test::ExpectEveryNoteEnded(host, 512), 100);
  });
}

TEST(MidiOutputNoteOffs, InLargeBlocksEndWithinTheBlockOfTheirStrikeInTimeOrder) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 8192);
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    host.SetParameter(Tintinna::kToneCount, 1.0f);
    host.WarmUp(8192);
    host.ProcessBlocks(100, 8192);
    EXPECT_GT(chime_test::ExpectEveryNoteEnded(host, 8192), 100);
    int sameBlockOffs = 0;
    for (const Event& off : host.events)
      if (off.IsNoteOff() && off.offset >= kDurationSamples) ++sameBlockOffs;
    EXPECT_GT(sameBlockOffs, 10) << "strikes early in a block end within it";
  });
}

TEST(MidiOutputNoteOffs, FollowTheirNoteOnAtSampleRatesBelowTenHertz) {
  OnFreshThread([] {
    // A tenth of a second is no whole sample here; a note still lasts at least one.
    ChimeHost host(5.0, 16);
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 1.0f);
    host.SetParameter(Tintinna::kSensitivity, 0.0f);
    host.ProcessBlocks(400, 16);
    const auto& events = host.events;
    int ended = 0;
    for (size_t i = 0; i < events.size(); ++i) {
      if (!events[i].IsNoteOn()) continue;
      for (size_t j = i + 1; j < events.size(); ++j) {
        if (!events[j].IsNoteOff() || events[j].data1 != events[i].data1) continue;
        EXPECT_GT(events[j].time, events[i].time) << "a note of no length";
        ++ended;
        break;
      }
    }
    EXPECT_GT(ended, 100);
  });
}

// ---- Controller outputs ---------------------------------------------------------------------

TEST(MidiOutputControllers, GoOutFirstInTheFirstBlockAndOnceASecondInCalm) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    SteerNextDraw([](int draw) { return draw == 0; });             // a strike in the same block
    host.ProcessBlocks(static_cast<int>(2.9 * 44100 / 512), 512);  // before the first gust
    std::vector<Event> controllers;
    for (const Event& e : host.events)
      if (e.IsController()) controllers.push_back(e);
    ASSERT_EQ(controllers.size(), 3u) << "at 0, 1 and 2 seconds";
    EXPECT_TRUE(host.events[0].IsController());
    for (const Event& cc : controllers) {
      EXPECT_EQ(cc.status, 0xB0);
      EXPECT_EQ(cc.data1, 0);
      EXPECT_EQ(cc.data2, 0);
      EXPECT_EQ(cc.offset, 0);
    }
    for (size_t i = 1; i < controllers.size(); ++i) {
      const int64_t gap = controllers[i].time - controllers[i - 1].time;
      EXPECT_GE(gap, 44100);
      EXPECT_LT(gap, 44100 + 512);
    }
  });
}

TEST(MidiOutputControllers, FollowEveryChangeOfTheWindMeter) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kWindVariation, 1.0f);  // gusts from 0 to 4 wind units
    host.SetParameter(Tintinna::kNumberA, 10.0f / 126.0f);
    host.SetParameter(Tintinna::kChannelA, 3.0f / 15.0f);
    host.SetParameter(Tintinna::kActiveB, 1.0f);
    int lastMeter = 0;
    int changes = 0;
    for (int block = 0; block < 3000; ++block) {
      host.Process(512);
      const WindState& w = host.Plugin().Wind();
      const int meter = std::min(127, static_cast<int>(w.wind / 3.5 * 127));
      std::vector<Event> controllers;
      for (const Event& e : host.LastBlock())
        if (e.IsController()) controllers.push_back(e);
      if (meter != lastMeter) {
        ++changes;
        ASSERT_EQ(controllers.size(), 1u) << "block " << block;
        EXPECT_EQ(controllers[0].data2, meter);
        EXPECT_EQ(controllers[0].status, 0xB3);
        EXPECT_EQ(controllers[0].data1, 10);
        EXPECT_EQ(controllers[0].offset, 0);
      } else if (!controllers.empty()) {
        // An unchanged value only on the one-second grid.
        EXPECT_EQ(block % ((44100 + 511) / 512), 0) << "block " << block;
      }
      lastMeter = meter;
    }
    EXPECT_GT(changes, 50);
  });
}

TEST(MidiOutputControllers, SendAThenBWhenTheyDiffer) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kNumberB, 63.0f / 126.0f);
    host.Process(512);
    const auto block = host.LastBlock();
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block[0].data1, 0);
    EXPECT_EQ(block[1].data1, 63);
    EXPECT_TRUE(block[1].IsController());
  });
}

TEST(MidiOutputControllers, StaySilentWithBothOutputsOff) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kActiveA, 1.0f);
    host.SetParameter(Tintinna::kActiveB, 1.0f);
    host.SetParameter(Tintinna::kWindVariation, 1.0f);
    host.ProcessBlocks(1000, 512);
    for (const Event& e : host.events) EXPECT_FALSE(e.IsController());
  });
}

}  // namespace
