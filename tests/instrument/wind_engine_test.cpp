// The wind engine: opportunities, the chance of a strike, chime choice, bounces and transport.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "instrument/chime_random.h"
#include "instrument/tintinna.h"
#include "tests/instrument/chime_host.h"

namespace {

using chime_test::ChimeHost;
using chime_test::Event;
using chime_test::OnFreshThread;
using chime_test::SteerNextDraw;

constexpr int kSamplesPerMs = 44;                      // at 44.1 kHz
constexpr int kConsecutiveLimit = 40 * kSamplesPerMs;  // two intervals are at least this long

// Strong steady wind, light clappers: nearly every opportunity strikes.
void Windy(ChimeHost& host, float clapSize) {
  host.SetParameter(Tintinna::kWindSpeed, 1.0f);
  host.SetParameter(Tintinna::kWindVariation, 0.0f);
  host.SetParameter(Tintinna::kSensitivity, 0.0f);
  host.SetParameter(Tintinna::kClapSize, clapSize);
}

float ToneCount(int n) {
  return (n - 1) / 7.0f;
}

int RingDistance(int from, int to, int n) {
  const int d = std::abs(to - from) % n;
  return std::min(d, n - d);
}

// Note-ons of main strikes in time order, without bounces (clap size 0).
std::vector<Event> Strikes(const ChimeHost& host) {
  return host.NoteOns();
}

// Each main strike with its bounce 25 ms later, in time order (clap size 1, so nearly every
// strike bounces). A note-on at a time where a bounce is due is that bounce: held over from an
// earlier call, it comes before a strike of the same frame.
struct StrikeAndBounce {
  Event strike;
  Event bounce;
  bool bounced = false;
};
std::vector<StrikeAndBounce> StrikesAndBounces(const ChimeHost& host) {
  std::vector<StrikeAndBounce> result;
  std::vector<size_t> waiting;
  for (const Event& on : host.NoteOns()) {
    const auto match = std::find_if(waiting.begin(), waiting.end(), [&](size_t k) {
      return result[k].strike.time + 25 * kSamplesPerMs == on.time;
    });
    if (match != waiting.end()) {
      result[*match].bounce = on;
      result[*match].bounced = true;
      waiting.erase(match);
    } else {
      result.push_back({on, {}, false});
      waiting.push_back(result.size() - 1);
    }
  }
  return result;
}

// ---- Strike opportunities -------------------------------------------------------------------

TEST(WindEngineOpportunities, FirstComesFourHundredSamplesIntoTheFirstBlock) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    SteerNextDraw([](int draw) { return draw == 0; });  // no wind: only a zero draw strikes
    host.Process(512);
    const auto ons = host.NoteOns();
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].offset, 400);
    // The next one is a whole number of milliseconds, 20 to 60, counted from the block end.
    const int next = host.Plugin().Wind().strikeCountdown + (512 - 400);
    EXPECT_EQ(next % kSamplesPerMs, 0);
    EXPECT_GE(next, 20 * kSamplesPerMs);
    EXPECT_LE(next, 60 * kSamplesPerMs);
  });
}

TEST(WindEngineOpportunities, AtExactlyTheBlockEndIsHandledInThatBlockAndHeardInTheNext) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(400);
    EXPECT_GE(host.Plugin().Wind().strikeCountdown, 20 * kSamplesPerMs);
    EXPECT_TRUE(host.NoteOns().empty());
    host.Process(1);
    ASSERT_EQ(host.NoteOns().size(), 1u);
    EXPECT_EQ(host.NoteOns()[0].time, 400);
    EXPECT_EQ(host.NoteOns()[0].block, 1);
  });
}

TEST(WindEngineOpportunities, WithoutWindNeedADrawOfExactlyZeroToStrike) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    SteerNextDraw([](int draw) { return draw == 1; });
    host.Process(512);
    EXPECT_TRUE(host.NoteOns().empty());
    EXPECT_EQ(host.Plugin().Wind().currentChime, 0);
  });
}

TEST(WindEngineOpportunities, LieOnWholeMillisecondsTwentyToSixtyApart) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.WarmUp(512);
    host.ProcessBlocks(400, 512);
    const auto strikes = Strikes(host);
    ASSERT_GT(strikes.size(), 100u);
    for (size_t i = 0; i < strikes.size(); ++i) {
      EXPECT_EQ((strikes[i].time - 400) % kSamplesPerMs, 0) << strikes[i].time;
      if (i > 0) {
        EXPECT_GE(strikes[i].time - strikes[i - 1].time, 20 * kSamplesPerMs);
      }
    }
  });
}

TEST(WindEngineOpportunities, RarelyStrikeInLightWindWithHeavyClappers) {
  OnFreshThread([] {
    ChimeHost light;
    light.Open();
    Windy(light, 0.0f);
    light.WarmUp(512);
    light.ProcessBlocks(400, 512);
    const size_t windy = light.NoteOns().size();

    ChimeHost heavy;
    heavy.Open();
    heavy.SetParameter(Tintinna::kWindSpeed, 0.1f);
    heavy.SetParameter(Tintinna::kSensitivity, 1.0f);
    heavy.SetParameter(Tintinna::kClapSize, 0.0f);
    heavy.WarmUp(512);
    heavy.ProcessBlocks(400, 512);
    EXPECT_LT(heavy.NoteOns().size() * 10, windy);
  });
}

// ---- The wind and the energy ----------------------------------------------------------------

TEST(WindEngineWind, SettlesOnTheMeanAndTheEnergyNearItsTimeConstant) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.ProcessBlocks(static_cast<int>(20 * 44100 / 512), 512);
    const WindState& w = host.Plugin().Wind();
    EXPECT_NEAR(w.wind, 3.0, 1e-6);
    // Decay of 0.9999 per 1/11025 s: a time constant of -1 / (11025 ln 0.9999) seconds.
    const double timeConstant = -1.0 / (11025.0 * std::log(0.9999));
    EXPECT_NEAR(w.energy / w.wind, timeConstant, 0.01 * timeConstant);
  });
}

TEST(WindEngineWind, ResetKeepsWindSequenceAndCountdownsButMovesToTheNewRate) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.WarmUp(512);
    const WindState before = host.Plugin().Wind();
    host.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    const WindState& after = host.Plugin().Wind();
    EXPECT_EQ(after.wind, before.wind);
    EXPECT_EQ(after.energy, before.energy);
    EXPECT_EQ(after.strikeCountdown, before.strikeCountdown);
    EXPECT_EQ(after.refreshCountdown, before.refreshCountdown);
    EXPECT_EQ(after.currentChime, before.currentChime);
    EXPECT_EQ(after.samplesPerMs, 48);
    EXPECT_EQ(after.gustCountdown, 3 * 48000);
    EXPECT_EQ(after.lastBlockSize, 0);
  });
}

// ---- Chime choice ---------------------------------------------------------------------------

TEST(WindEngineChimeChoice, WithOneChimeEveryStrikeAndBounceHitsIt) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 1.0f);
    host.SetParameter(Tintinna::kToneCount, ToneCount(1));
    host.WarmUp(512);
    host.ProcessBlocks(400, 512);
    const auto ons = host.NoteOns();
    ASSERT_GT(ons.size(), 100u);
    for (const Event& on : ons) EXPECT_EQ(on.data1, 48);
  });
}

TEST(WindEngineChimeChoice, WithTwoChimesARunRepeatsItsChime) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.SetParameter(Tintinna::kToneCount, ToneCount(2));
    host.WarmUp(512);
    host.ProcessBlocks(800, 512);
    const auto strikes = Strikes(host);
    int consecutive = 0;
    for (size_t i = 1; i < strikes.size(); ++i) {
      if (strikes[i].time - strikes[i - 1].time >= kConsecutiveLimit) continue;
      ++consecutive;
      EXPECT_EQ(strikes[i].data1, strikes[i - 1].data1) << "at " << strikes[i].time;
    }
    EXPECT_GT(consecutive, 100);
  });
}

TEST(WindEngineChimeChoice, WithTwoChimesBouncesMoveToTheOtherChime) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 1.0f);
    host.SetParameter(Tintinna::kToneCount, ToneCount(2));
    host.ProcessBlocks(400 + static_cast<int>(9.0 * 44100 / 512), 512);
    const auto pairs = StrikesAndBounces(host);
    ASSERT_GT(pairs.size(), 100u);
    for (size_t i = 0; i + 1 < pairs.size(); ++i) {
      ASSERT_TRUE(pairs[i].bounced) << pairs[i].strike.time;
      EXPECT_NE(pairs[i].bounce.data1, pairs[i].strike.data1);
    }
  });
}

TEST(WindEngineChimeChoice, NeighbourSteppingMovesARunOneChimeAroundTheRing) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.SetParameter(Tintinna::kToneCount, 1.0f);  // eight chimes
    host.SetParameter(Tintinna::kAlgorithm, 0.0f);
    host.WarmUp(512);
    host.ProcessBlocks(800, 512);
    const auto strikes = Strikes(host);
    const Tintinna& plugin = host.Plugin();
    int consecutive = 0;
    bool wrapped = false;
    for (size_t i = 1; i < strikes.size(); ++i) {
      if (strikes[i].time - strikes[i - 1].time >= kConsecutiveLimit) continue;
      ++consecutive;
      const int from = chime_test::ChimeOfNote(plugin, strikes[i - 1].data1);
      const int to = chime_test::ChimeOfNote(plugin, strikes[i].data1);
      EXPECT_EQ(RingDistance(from, to, 8), 1) << from << " to " << to;
      if (std::abs(to - from) == 7) wrapped = true;
    }
    EXPECT_GT(consecutive, 100);
    EXPECT_TRUE(wrapped) << "a run continues from chime 8 to chime 1 and back";
  });
}

TEST(WindEngineChimeChoice, RandomDistanceJumpsAndRepeats) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.SetParameter(Tintinna::kToneCount, 1.0f);
    host.SetParameter(Tintinna::kAlgorithm, 1.0f);
    host.WarmUp(512);
    host.ProcessBlocks(800, 512);
    const auto strikes = Strikes(host);
    const Tintinna& plugin = host.Plugin();
    int repeats = 0, jumps = 0, steps = 0;
    for (size_t i = 1; i < strikes.size(); ++i) {
      if (strikes[i].time - strikes[i - 1].time >= kConsecutiveLimit) continue;
      const int d = RingDistance(chime_test::ChimeOfNote(plugin, strikes[i - 1].data1),
                                 chime_test::ChimeOfNote(plugin, strikes[i].data1), 8);
      (d == 0 ? repeats : d == 1 ? steps : jumps)++;
    }
    EXPECT_GT(repeats, 10);
    EXPECT_GT(jumps, 10);
    EXPECT_GT(steps, 10);
  });
}

TEST(WindEngineChimeChoice, ARunStartsBelowTheTopChime) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 0.0f);
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    // No wind: only a zero draw strikes, so each steered strike is a run of its own.
    bool seen[9] = {};
    int runs = 0;
    for (; runs < 60; ++runs) {
      // The first gust draws from the generator too; stop before it.
      const WindState& w = host.Plugin().Wind();
      if (w.gustCountdown <= w.strikeCountdown + 60 * 44) break;
      SteerNextDraw([](int draw) { return draw == 0; });
      host.Process(host.Plugin().Wind().strikeCountdown);
      SteerNextDraw([](int draw) { return draw != 0; });
      host.Process(host.Plugin().Wind().strikeCountdown);  // the run breaks here
      ASSERT_EQ(host.Plugin().Wind().currentChime, 0);
    }
    const auto ons = host.NoteOns();
    ASSERT_GT(runs, 30);
    ASSERT_EQ(ons.size(), static_cast<size_t>(runs));
    for (const Event& on : ons) seen[chime_test::ChimeOfNote(host.Plugin(), on.data1)] = true;
    EXPECT_FALSE(seen[6]) << "chime N needs a draw of exactly 1.0";
    for (int chime = 1; chime <= 5; ++chime) EXPECT_TRUE(seen[chime]) << chime;
  });
}

// ---- Bounces --------------------------------------------------------------------------------

TEST(WindEngineBounces, FollowEachStrikeTwentyFiveMillisecondsLaterOnANeighbour) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 1.0f);
    host.ProcessBlocks(400 + static_cast<int>(9.0 * 44100 / 512), 512);
    const auto pairs = StrikesAndBounces(host);
    const Tintinna& plugin = host.Plugin();
    int heldOver = 0;
    int up = 0, down = 0;
    ASSERT_GT(pairs.size(), 100u);
    for (size_t i = 0; i + 1 < pairs.size(); ++i) {
      ASSERT_TRUE(pairs[i].bounced) << pairs[i].strike.time;
      const int from = chime_test::ChimeOfNote(plugin, pairs[i].strike.data1);
      const int to = chime_test::ChimeOfNote(plugin, pairs[i].bounce.data1);
      EXPECT_EQ(RingDistance(from, to, 6), 1);
      (to == from % 6 + 1 ? up : down)++;
      if (pairs[i].bounce.block > pairs[i].strike.block) ++heldOver;
    }
    EXPECT_GT(heldOver, 10) << "a bounce near the block end is heard in the next call";
    EXPECT_GT(up, 20);
    EXPECT_GT(down, 20);
  });
}

TEST(WindEngineBounces, NeverHappenWithTheSmallestClapper) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.0f);
    host.WarmUp(512);
    host.ProcessBlocks(400, 512);
    const auto strikes = Strikes(host);
    for (size_t i = 1; i < strikes.size(); ++i)
      EXPECT_GE(strikes[i].time - strikes[i - 1].time, 20 * kSamplesPerMs);
  });
}

// ---- Transport ------------------------------------------------------------------------------

TEST(WindEngineTransport, AStoppedTransportFreezesTheEngineAndItsNotes) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    SteerNextDraw([](int draw) { return draw == 0; });
    host.Process(512);  // strike at 400, note-off due 4410 later at 4810
    ASSERT_EQ(host.NoteOns().size(), 1u);
    const int note = host.NoteOns()[0].data1;
    const WindState before = host.Plugin().Wind();

    host.playing = false;
    host.events.clear();
    host.ProcessBlocks(20, 512);
    EXPECT_TRUE(host.events.empty());
    const WindState& frozen = host.Plugin().Wind();
    EXPECT_EQ(frozen.gustCountdown, before.gustCountdown);
    EXPECT_EQ(frozen.strikeCountdown, before.strikeCountdown);
    EXPECT_EQ(frozen.refreshCountdown, before.refreshCountdown);
    EXPECT_EQ(frozen.energy, before.energy);

    host.playing = true;
    for (int i = 0; i < 9; ++i) host.Process(512);
    int offs = 0;
    for (const Event& e : host.events) {
      if (!e.IsNoteOff() || e.data1 != note) continue;
      ++offs;
      EXPECT_EQ(e.time, 400 + 4410) << "counted in playing samples only";
      EXPECT_EQ(e.block, 1 + 20 + 8);
      EXPECT_EQ(e.offset, 4810 - 9 * 512);
    }
    EXPECT_EQ(offs, 1);
  });
}

TEST(WindEngineTransport, AHostWithoutTimeInformationCountsAsPlaying) {
  OnFreshThread([] {
    ChimeHost host;
    host.reportTime = false;
    host.Open();
    Windy(host, 0.0f);
    host.WarmUp(512);
    host.ProcessBlocks(100, 512);
    EXPECT_GT(host.NoteOns().size(), 50u);
  });
}

// ---- Host input the engine must survive -----------------------------------------------------

TEST(WindEngineHostInput, EmptyAndNegativeBlocksDoNothing) {
  OnFreshThread([] {
    ChimeHost host;
    host.Open();
    Windy(host, 0.5f);
    host.WarmUp(512);
    const WindState before = host.Plugin().Wind();
    const size_t events = host.events.size();
    host.Process(0);
    host.Process(-7);
    host.Plugin().ProcessBlock(nullptr, nullptr, 0);
    host.Plugin().ProcessBlock(nullptr, nullptr, -512);
    const WindState& after = host.Plugin().Wind();
    EXPECT_EQ(host.events.size(), events);
    EXPECT_EQ(after.gustCountdown, before.gustCountdown);
    EXPECT_EQ(after.strikeCountdown, before.strikeCountdown);
    EXPECT_EQ(after.wind, before.wind);
    EXPECT_EQ(after.energy, before.energy);
    EXPECT_EQ(after.lastBlockSize, before.lastBlockSize);
  });
}

TEST(WindEngineHostInput, RatesBelowOneKilohertzStillEndEveryBlock) {
  OnFreshThread([] {
    ChimeHost host(500.0, 64);
    host.Open();
    Windy(host, 1.0f);
    ASSERT_EQ(host.Plugin().Wind().samplesPerMs, 0);
    host.ProcessBlocks(1000, 64);  // two minutes of wind
    const auto ons = host.NoteOns();
    ASSERT_FALSE(ons.empty());
    EXPECT_GE(host.Plugin().Wind().strikeCountdown, 1);
    for (const Event& on : ons) {
      EXPECT_GE(on.offset, 0);
      EXPECT_LE(on.offset, 64);
    }
    EXPECT_TRUE(std::isfinite(host.Plugin().Wind().energy));
  });
}

TEST(WindEngineHostInput, AbsurdSampleRatesKeepTheEngineFinite) {
  for (float rate : {1.0e-6f, 0.5f, 3.0f, 1.0e12f}) {
    OnFreshThread([rate] {
      ChimeHost host(44100.0, 256);
      host.Open();
      Windy(host, 1.0f);
      host.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
      host.ProcessBlocks(300, 256);
      const WindState& w = host.Plugin().Wind();
      EXPECT_TRUE(std::isfinite(w.energy)) << rate;
      EXPECT_TRUE(std::isfinite(w.wind)) << rate;
      EXPECT_TRUE(std::isfinite(w.blockDecay)) << rate;
      EXPECT_GE(w.gustCountdown, 1) << rate;
      EXPECT_GE(w.strikeCountdown, 1) << rate;
      for (const Event& e : host.events) EXPECT_GE(e.offset, 0) << rate;
    });
  }
}

// ---- The engine's numbers, worked by hand at 44.1 kHz -------------------------------------

// The two draws after the next, from the generator's documented step, without taking them.
std::pair<int, int> PeekTwoDraws() {
  const uint32_t first = ChimeRandom::State() * 214013u + 2531011u;
  const uint32_t second = first * 214013u + 2531011u;
  return {static_cast<int>(first >> 16 & 0x7FFF), static_cast<int>(second >> 16 & 0x7FFF)};
}

void SteerNextTwoDraws(const std::function<bool(int, int)>& wanted) {
  while (!wanted(PeekTwoDraws().first, PeekTwoDraws().second)) ChimeRandom::Draw();
}

// Processes up to and including the block in which the gust countdown runs out; its first draw
// is countdownDraw and its second, the target's, satisfies target.
void RunToGust(ChimeHost& host, int countdownDraw, const std::function<bool(int)>& target) {
  while (host.Plugin().Wind().gustCountdown > 4096) host.Process(4096);
  SteerNextTwoDraws([&](int a, int b) { return a == countdownDraw && target(b); });
  host.Process(host.Plugin().Wind().gustCountdown);
}

TEST(WindEngineNumbers, GustsComeTwoToFourSecondsApartAndTargetsNeverFallBelowZero) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 0.0f);
    host.SetParameter(Tintinna::kWindVariation, 1.0f);  // targets 0 ± 3.0
    host.SetParameter(Tintinna::kClapSize, 0.0f);
    const WindState& w = host.Plugin().Wind();
    // Countdown trunc((2r − 1) × 44100) + 132300. Draw 0: −44100, two seconds; the target draw
    // below one half puts the target below 0, where it stops.
    RunToGust(host, 0, [](int draw) { return draw < 16000; });
    EXPECT_EQ(w.gustCountdown, 88200);
    EXPECT_EQ(w.targetWind, 0.0);
    EXPECT_EQ(w.windSlope, 0.0);
    // Draw 32767: r = 1, four seconds; a target draw from 32700 on gives (2r − 1) × 3.0 between
    // 2.9877 and 3.0, reached in a straight line over the countdown.
    RunToGust(host, 32767, [](int draw) { return draw >= 32700; });
    EXPECT_EQ(w.gustCountdown, 176400);
    EXPECT_GE(w.targetWind, 2.9877);
    EXPECT_LE(w.targetWind, 3.0);
    EXPECT_DOUBLE_EQ(w.windSlope, w.targetWind / 176400);
    // Draws 16383 and 16384 lie 1/32767 either side of one half: ±1.35 samples, truncated
    // toward zero.
    RunToGust(host, 16383, [](int) { return true; });
    EXPECT_EQ(w.gustCountdown, 132299);
    RunToGust(host, 16384, [](int) { return true; });
    EXPECT_EQ(w.gustCountdown, 132301);
  });
}

TEST(WindEngineNumbers, IntervalsTakeWholeMillisecondsWithFortyTwiceAsWide) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    host.Open();
    host.SetParameter(Tintinna::kWindSpeed, 0.0f);  // p = 0: a non-zero strike draw never strikes
    // 40 − trunc((2r − 1) × −20) with r = draw / 32767, worked per draw: 20 ms only at 0, 60 ms
    // only at 32767, 40 ms from 15565 to 17202 (1638 draws), 39 and 41 ms 819 draws each.
    const struct {
      int draw;
      int ms;
    } cases[] = {{0, 20},     {1, 21},     {819, 21},   {820, 22},   {14745, 38},
                 {14746, 39}, {15564, 39}, {15565, 40}, {17202, 40}, {17203, 41},
                 {18021, 41}, {18022, 42}, {32766, 59}, {32767, 60}};
    const WindState& w = host.Plugin().Wind();
    for (const auto& c : cases) {
      host.Process(w.strikeCountdown - 1);
      ASSERT_GT(w.gustCountdown, 1) << "no gust may take the steered draws";
      SteerNextTwoDraws(
          [&c](int strike, int interval) { return strike != 0 && interval == c.draw; });
      host.Process(1);  // the opportunity at the block end: a strike draw, then the interval
      EXPECT_EQ(w.strikeCountdown, c.ms * 44) << "draw " << c.draw;
    }
    EXPECT_TRUE(host.NoteOns().empty());
  });
}

TEST(WindEngineNumbers, ABlockDecayFollowsEveryChangeOfBlockLengthAndRate) {
  OnFreshThread([] {
    ChimeHost host(44100.0, 4096);
    host.Open();
    const WindState& w = host.Plugin().Wind();
    // 0.9999 per 1/11025 s: 0.9999^(512 / 4) = 0.98728094, 0.9999^(64 / 4) = 0.99840120.
    host.Process(512);
    EXPECT_NEAR(w.blockDecay, 0.98728094, 1e-8);
    EXPECT_NEAR(w.blockSeconds, 0.01160998, 1e-8);  // 512 / 44100
    host.Process(64);
    EXPECT_NEAR(w.blockDecay, 0.99840120, 1e-8);
    EXPECT_NEAR(w.blockSeconds, 0.00145125, 1e-8);
    host.Process(512);
    EXPECT_NEAR(w.blockDecay, 0.98728094, 1e-8);
    // At 48 kHz the same 512 samples are 0.9999^(512 × 11025 / 48000) = 0.98830830.
    host.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.Process(512);
    EXPECT_NEAR(w.blockDecay, 0.98830830, 1e-8);
    EXPECT_NEAR(w.blockSeconds, 0.01066667, 1e-8);
  });
}

// Runs a steady wind of 3.0 with the default sensitivity 99 until an opportunity meets an
// energy within 0.02 of ln 99 ÷ 2 = 2.29756, where 99 × e^(−2E) = 1 and so p = 0.5 ± 0.01, and
// gives that opportunity the strike draw draw. Returns whether it struck.
bool StrikesAtHalfChance(int draw) {
  ChimeHost host(44100.0, 4096);
  host.Open();
  host.SetParameter(Tintinna::kWindSpeed, 1.0f);
  host.SetParameter(Tintinna::kWindVariation, 0.0f);
  host.SetParameter(Tintinna::kClapSize, 0.0f);
  EXPECT_EQ(host.Plugin().Settings().sensitivity, 99);
  const WindState& w = host.Plugin().Wind();
  for (int i = 0; i < 20000; ++i) {
    if (w.strikeCountdown > 1) host.Process(w.strikeCountdown - 1);
    if (std::abs(w.energy - 2.29756) < 0.02 && w.gustCountdown > 1) {
      const size_t before = host.NoteOns().size();
      SteerNextDraw([draw](int d) { return d == draw; });
      host.Process(2);  // the opportunity falls on frame 1, inside this call
      return host.NoteOns().size() > before;
    }
    host.Process(1);
  }
  ADD_FAILURE() << "the energy never came near ln 99 / 2";
  return false;
}

TEST(WindEngineNumbers, TheStrikeChanceIsOneHalfAtAnEnergyOfLn99Halved) {
  OnFreshThread([] { EXPECT_TRUE(StrikesAtHalfChance(15400)) << "r = 0.470 strikes"; });
  OnFreshThread([] { EXPECT_FALSE(StrikesAtHalfChance(17367)) << "r = 0.530 does not"; });
}

}  // namespace
