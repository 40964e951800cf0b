// Tests of the Standard MIDI File writer: exact bytes, variable-length quantities, timing.
#include "tools/host/smf_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace host {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Vlq(uint32_t value) {
  Bytes out;
  SmfWriter::AppendVariableLength(out, value);
  return out;
}

HostMidiEvent Event(int64_t sample, uint8_t status, uint8_t data1, uint8_t data2) {
  HostMidiEvent event;
  event.sampleTime = sample;
  event.status = status;
  event.data1 = data1;
  event.data2 = data2;
  return event;
}

// The track chunk that starts at offset; its body without the 8-byte chunk header.
Bytes TrackBody(const Bytes& file, size_t offset) {
  EXPECT_EQ(Bytes(file.begin() + offset, file.begin() + offset + 4), (Bytes{'M', 'T', 'r', 'k'}));
  const size_t length = (size_t{file[offset + 4]} << 24) | (size_t{file[offset + 5]} << 16) |
                        (size_t{file[offset + 6]} << 8) | file[offset + 7];
  return Bytes(file.begin() + offset + 8, file.begin() + offset + 8 + length);
}

TEST(VariableLengthQuantity, UsesOneByteUpTo127) {
  EXPECT_EQ(Vlq(0), Bytes{0x00});
  EXPECT_EQ(Vlq(0x40), Bytes{0x40});
  EXPECT_EQ(Vlq(0x7F), Bytes{0x7F});
}

TEST(VariableLengthQuantity, SetsTheContinuationBitOnAllButTheLastByte) {
  EXPECT_EQ(Vlq(0x80), (Bytes{0x81, 0x00}));
  EXPECT_EQ(Vlq(0x2000), (Bytes{0xC0, 0x00}));
  EXPECT_EQ(Vlq(0x3FFF), (Bytes{0xFF, 0x7F}));
  EXPECT_EQ(Vlq(0x4000), (Bytes{0x81, 0x80, 0x00}));
  EXPECT_EQ(Vlq(0x1FFFFF), (Bytes{0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(Vlq(0x200000), (Bytes{0x81, 0x80, 0x80, 0x00}));
  EXPECT_EQ(Vlq(0x0FFFFFFF), (Bytes{0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(SampleToTick, PlacesOneQuarterNoteAtTheTicksPerQuarter) {
  // 120 per minute: a quarter is half a second, 22050 samples at 44.1 kHz.
  EXPECT_EQ(SmfWriter::SampleToTick(22050, 44100, 960, 500000), 960);
  EXPECT_EQ(SmfWriter::SampleToTick(44100 * 60, 44100, 960, 500000), 120 * 960);
}

TEST(SampleToTick, RoundsToTheNearestTickWithHalvesUp) {
  // One tick is 22050 / 960 = 22.96875 samples.
  EXPECT_EQ(SmfWriter::SampleToTick(11, 44100, 960, 500000), 0);
  EXPECT_EQ(SmfWriter::SampleToTick(12, 44100, 960, 500000), 1);
  // 48 kHz, 1 tick per quarter of 1 s: 24000 samples is exactly half a tick.
  EXPECT_EQ(SmfWriter::SampleToTick(23999, 48000, 1, 1000000), 0);
  EXPECT_EQ(SmfWriter::SampleToTick(24000, 48000, 1, 1000000), 1);
}

TEST(SampleToTick, StaysExactOverADayAtHighRates) {
  const int64_t day = 24LL * 3600;
  EXPECT_EQ(SmfWriter::SampleToTick(day * 192000, 192000, 960, 500000), day * 2 * 960);
  EXPECT_EQ(SmfWriter::SampleToTick(day * 44100 + 1, 44100, 960, 500000), day * 2 * 960);
}

TEST(SampleToTick, GivesTickZeroForNegativeSamples) {
  EXPECT_EQ(SmfWriter::SampleToTick(-500, 44100, 960, 500000), 0);
}

TEST(MicrosecondsPerQuarter, RoundsTheTempoToWholeMicroseconds) {
  EXPECT_EQ(SmfWriter::MicrosecondsPerQuarter(120.0), 500000u);
  EXPECT_EQ(SmfWriter::MicrosecondsPerQuarter(90.0), 666667u);
  EXPECT_EQ(SmfWriter::MicrosecondsPerQuarter(0.0), 500000u);
}

TEST(SmfFile, HasAFormatOneHeaderWithTwoTracks) {
  const Bytes file = SmfWriter::Build({}, SmfSettings{});
  const Bytes header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x03, 0xC0};
  ASSERT_GE(file.size(), header.size());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), header);
}

TEST(SmfFile, StartsWithTempoAndTimeSignatureInTheFirstTrack) {
  SmfSettings settings;
  settings.tempo = 90.0;
  settings.numerator = 6;
  settings.denominator = 8;
  const Bytes file = SmfWriter::Build({}, settings);
  const Bytes expected = {0x00, 0xFF, 0x51, 0x03, 0x0A, 0x2C, 0x2B,  // 666667 µs
                          0x00, 0xFF, 0x58, 0x04, 6,    3,    24,   8, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(TrackBody(file, 14), expected);
}

TEST(SmfFile, WritesEventsWithDeltaTimesAndEndsTheTrack) {
  SmfSettings settings;
  settings.trackName = "Ab";
  // 22050 samples = 960 ticks (0x87 0x40); 44100 + 23 = 1921 ticks, 961 after the first.
  const std::vector<HostMidiEvent> events = {Event(0, 0xB0, 11, 64), Event(22050, 0x90, 60, 100),
                                             Event(44123, 0x80, 60, 0), Event(44123, 0xC2, 5, 0)};
  const Bytes file = SmfWriter::Build(events, settings);
  const size_t second = 14 + 8 + TrackBody(file, 14).size();
  const Bytes expected = {0x00, 0xFF, 0x03, 0x02, 'A', 'b',  0x00, 0xB0, 11,
                          64,   0x87, 0x40, 0x90, 60,  100,  0x87, 0x41, 0x80,
                          60,   0,    0x00, 0xC2, 5,   0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(TrackBody(file, second), expected);
  EXPECT_EQ(file.size(), second + 8 + expected.size());
}

TEST(SmfFile, OrdersEventsByTimeAndKeepsTheSendingOrderWithinOneTime) {
  // A bounce sent early for a later time, then an off and an on at the same earlier time.
  const std::vector<HostMidiEvent> events = {Event(2000, 0x90, 62, 90), Event(1000, 0x80, 60, 0),
                                             Event(1000, 0x90, 60, 80)};
  SmfSettings settings;
  settings.ticksPerQuarter = 22050;  // one tick per sample
  const Bytes file = SmfWriter::Build(events, settings);
  const Bytes body = TrackBody(file, 14 + 8 + TrackBody(file, 14).size());
  const Bytes expected = {0x87, 0x68, 0x80, 60, 0,  0x00, 0x90, 60,   80,
                          0x87, 0x68, 0x90, 62, 90, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(body, expected);
}

TEST(SmfFile, DropsSystemMessagesAndMasksDataBytes) {
  const std::vector<HostMidiEvent> events = {Event(0, 0xF8, 0, 0), Event(0, 0x40, 1, 2),
                                             Event(0, 0x91, 0xC0, 0xFF)};
  const Bytes file = SmfWriter::Build(events, SmfSettings{});
  const Bytes body = TrackBody(file, 14 + 8 + TrackBody(file, 14).size());
  EXPECT_EQ(body, (Bytes{0x00, 0x91, 0x40, 0x7F, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(SmfFile, BridgesGapsLongerThanAVariableLengthQuantity) {
  SmfSettings settings;
  settings.sampleRate = 1000;
  settings.tempo = 60.0;
  settings.ticksPerQuarter = 1000;  // one tick per sample
  const int64_t far = int64_t{SmfWriter::kMaxVariableLength} + 5;
  const Bytes file = SmfWriter::Build({Event(far, 0x90, 60, 1)}, settings);
  const Bytes body = TrackBody(file, 14 + 8 + TrackBody(file, 14).size());
  const Bytes expected = {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00, 0x05,
                          0x90, 60,   1,    0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(body, expected);
}

}  // namespace
}  // namespace host
