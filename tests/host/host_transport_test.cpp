// Tests of the simulated transport, as VST 2 time information shows it.
#include "tools/host/host_transport.h"

#include <gtest/gtest.h>

#include "tools/host/vst2_host_context.h"

namespace host {
namespace {

TEST(Transport, ReportsAPlayingTransportWithEveryMusicalField) {
  Transport transport(44100.0, 120.0, 4, 4);
  transport.Start();
  const vst2::VstTimeInfo info = TimeInfoOf(transport.State());
  const int32_t wanted = vst2::kVstTransportPlaying | vst2::kVstPpqPosValid | vst2::kVstTempoValid |
                         vst2::kVstBarsValid | vst2::kVstTimeSigValid;
  EXPECT_EQ(info.flags & wanted, wanted);
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.sampleRate, 44100.0);
  EXPECT_EQ(info.timeSigNumerator, 4);
  EXPECT_EQ(info.timeSigDenominator, 4);
}

TEST(Transport, FlagsTheChangeOnlyUntilTheFirstBlockIsDone) {
  Transport transport(44100.0, 120.0, 4, 4);
  transport.Start();
  EXPECT_NE(TimeInfoOf(transport.State()).flags & vst2::kVstTransportChanged, 0);
  transport.Advance(512);
  EXPECT_EQ(TimeInfoOf(transport.State()).flags & vst2::kVstTransportChanged, 0);
}

TEST(Transport, AdvancesSamplesQuarterNotesAndBars) {
  Transport transport(48000.0, 90.0, 3, 4);
  transport.Start();
  // 90 per minute: a quarter is 32000 samples, a 3/4 bar 96000.
  for (int i = 0; i < 250; ++i) transport.Advance(512);  // 128000 samples: 4 quarters
  const vst2::VstTimeInfo info = TimeInfoOf(transport.State());
  EXPECT_EQ(info.samplePos, 128000.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 4.0);
  EXPECT_DOUBLE_EQ(info.barStartPos, 3.0);
  EXPECT_DOUBLE_EQ(info.nanoSeconds, 128000.0 / 48000.0 * 1e9);
}

TEST(Transport, PutsAPositionOnABarLineIntoThatBar) {
  Transport transport(44100.0, 120.0, 6, 8);  // 3 quarters per bar
  EXPECT_DOUBLE_EQ(transport.BarStartAt(3.0), 3.0);
  EXPECT_DOUBLE_EQ(transport.BarStartAt(8.999), 6.0);
  EXPECT_DOUBLE_EQ(transport.BarStartAt(0.0), 0.0);
}

TEST(Transport, StandsStillAndSaysSoWhenStopped) {
  Transport transport(44100.0, 120.0, 4, 4);
  transport.Start();
  transport.Advance(100);
  transport.Stop();
  transport.Advance(100);
  EXPECT_EQ(transport.SamplePosition(), 100);
  EXPECT_EQ(TimeInfoOf(transport.State()).flags & vst2::kVstTransportPlaying, 0);
}

}  // namespace
}  // namespace host
