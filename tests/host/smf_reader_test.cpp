// Tests of reading Standard MIDI Files for --midi-in: where the messages land, and the refusal of
// broken files.
#include "tools/host/smf_reader.h"

#include <gtest/gtest.h>

#include "tools/host/smf_writer.h"

namespace host {
namespace {

// Format 1, two tracks, 960 ticks per quarter (25 frames a tick at 48 kHz and 120 per minute):
// a name, running status, a SysEx dump and two messages at the same tick as the other track's.
const std::vector<uint8_t> kTwoTracks = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x03, 0xC0,
                                         // track 1 at byte 14, its body at 22
                                         'M', 'T', 'r', 'k', 0, 0, 0, 30, 0x00, 0xFF, 0x03, 0x01,
                                         'x', 0x00, 0x90, 0x3C, 0x64, 0x8F, 0x00, 0x3E, 0x50, 0x00,
                                         0xF0, 0x02, 0x01, 0xF7, 0x81, 0x70, 0x80, 0x3C, 0x00, 0x00,
                                         0xC1, 0x05, 0x00, 0xFF, 0x2F, 0x00,
                                         // track 2 at byte 52, its body at 60
                                         'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0xB0, 0x07, 0x7F,
                                         0x8F, 0x00, 0x07, 0x10, 0x00, 0xFF, 0x2F, 0x00};

bool Parse(const std::vector<uint8_t>& bytes, std::vector<HostMidiEvent>& events,
           std::string& error, double tempo = 120.0) {
  error.clear();
  return SmfReader::Parse(bytes, 48000, tempo, events, error);
}

TEST(SmfReading, MergesTracksInTimeOrderAtTheRunsTempo) {
  std::vector<HostMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(kTwoTracks, events, error)) << error;
  const struct {
    int64_t sampleTime;
    uint8_t status, data1, data2;
  } kWanted[] = {{0, 0x90, 60, 100},   {0, 0xB0, 7, 127},    {48000, 0x90, 62, 80},
                 {48000, 0xB0, 7, 16}, {54000, 0x80, 60, 0}, {54000, 0xC1, 5, 0}};
  ASSERT_EQ(events.size(), std::size(kWanted));
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].sampleTime, kWanted[i].sampleTime) << i;
    EXPECT_EQ(events[i].status, kWanted[i].status) << i;
    EXPECT_EQ(events[i].data1, kWanted[i].data1) << i;
    EXPECT_EQ(events[i].data2, kWanted[i].data2) << i;
  }
  ASSERT_TRUE(Parse(kTwoTracks, events, error, 60.0));
  EXPECT_EQ(events[2].sampleTime, 96000) << "half the tempo, twice as late";
  std::vector<uint8_t> smpte = kTwoTracks;
  smpte[12] = 0xE7;  // 25 frames a second of 40 ticks: a tick is a millisecond
  smpte[13] = 40;
  ASSERT_TRUE(Parse(smpte, events, error));
  EXPECT_EQ(events[2].sampleTime, 1920 * 48);
}

TEST(SmfReading, PlacesTheMessagesOfAFileThisHostWroteWhereTheyWere) {
  std::vector<HostMidiEvent> written(4);
  for (size_t i = 0; i < written.size(); ++i) {
    written[i].sampleTime = 25 * static_cast<int64_t>(i * i * 977);
    written[i].status = static_cast<uint8_t>(i % 2 == 0 ? 0x93 : 0x83);
    written[i].data1 = static_cast<uint8_t>(40 + i);
  }
  SmfSettings settings;
  settings.sampleRate = 48000;
  settings.trackName = "Chimes";
  std::vector<HostMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(SmfWriter::Build(written, settings), events, error)) << error;
  ASSERT_EQ(events.size(), written.size());
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].sampleTime, written[i].sampleTime);
    EXPECT_EQ(events[i].data1, written[i].data1);
  }
}

TEST(SmfReading, RefusesEveryCutAndBrokenFileInOneLineWithoutEvents) {
  std::vector<HostMidiEvent> events;
  std::string error;
  for (size_t size = 0; size < kTwoTracks.size(); ++size) {
    events.assign(1, HostMidiEvent{});
    const std::vector<uint8_t> cut(kTwoTracks.begin(), kTwoTracks.begin() + size);
    EXPECT_FALSE(Parse(cut, events, error)) << size;
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  const struct {
    size_t at;
    std::vector<uint8_t> bytes;
    const char* reason;
  } kBroken[] = {
      {0, {'X'}, "not a Standard MIDI File"},
      {7, {5}, "the header chunk is cut short"},
      {9, {2}, "a format 2 file (only formats 0 and 1 can be played)"},
      {11, {0}, "the file declares no tracks"},
      {11, {3}, "track 3 of 3 is missing or runs past the end of the file"},
      {12, {0xE9}, "a time division the file format does not have"},
      {21, {31}, "track 2 of 2 is missing or runs past the end of the file"},
      {21, {29}, "track 1: a meta or SysEx event runs past the end of its track"},
      {21, {0xFF}, "track 1 of 2 is missing or runs past the end of the file"},
      {59, {13}, "track 2 of 2 is missing or runs past the end of the file"},
      {28, {0x3C}, "track 1: a data byte where a status byte belongs"},
      {29, {0x90}, "track 1: a message cut short or broken by a status byte"},
      {31, {0x8F, 0x8F, 0x8F, 0x8F}, "track 1: an event is cut short or malformed"},
      {46, {0xF1}, "track 1: a system message that has no place in a file"},
      {37, {0x7F}, "track 1: a meta or SysEx event runs past the end of its track"},
  };
  for (const auto& b : kBroken) {
    std::vector<uint8_t> bytes = kTwoTracks;
    events.assign(1, HostMidiEvent{});
    std::copy(b.bytes.begin(), b.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(b.at));
    EXPECT_FALSE(Parse(bytes, events, error)) << b.reason;
    EXPECT_EQ(error, b.reason);
    EXPECT_TRUE(events.empty());
  }
  EXPECT_FALSE(SmfReader::ReadFile("/no/such.mid", 48000, 120.0, events, error));
  EXPECT_EQ(error, "/no/such.mid: cannot read the MIDI file");
}

}  // namespace
}  // namespace host
