// Long runs of tintinna.so through the host's engine: MIDI invariants over many simulated hours,
// byte-identical MIDI files from two runs of the command with the same arguments, and incoming
// MIDI passed through.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tools/host/event_collector.h"
#include "tools/host/host_session.h"
#include "tools/host/smf_writer.h"

namespace host {
namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kBlock = 512;
constexpr double kNoteSeconds = 0.5;
// A bounce sounds 25 ms after its strike and may lie that far beyond the block.
constexpr int32_t kBounceReach = kRate * 25 / 1000 + 1;

// Checks each event as it arrives, so a day of MIDI never has to be held in memory.
class InvariantChecker : public HostObserver {
 public:
  void OnMidiEvent(const HostMidiEvent& event) override {
    ++events_;
    if (event.deltaFrames < 0 || event.deltaFrames >= kBlock) {
      Fail("offset " + std::to_string(event.deltaFrames) + " outside the block", event);
    }
    if (event.sampleTime < lastTime_) Fail("out of time order", event);
    lastTime_ = event.sampleTime;
    if (!event.IsNoteOn() && !event.IsNoteOff()) return;
    int64_t& since = soundingSince_[static_cast<size_t>(event.Channel() * 128 + event.data1)];
    if (event.IsNoteOn()) {
      ++noteOns_;
      // Every strike ends the chime's previous note first, so note-ons never stack.
      if (since >= 0) Fail("note-on while the note still sounds", event);
      since = event.sampleTime;
      sounding_.push_back(event.Channel() * 128 + event.data1);
    } else {
      ++noteOffs_;
      if (since >= 0) {
        since = -1;
        std::erase(sounding_, event.Channel() * 128 + event.data1);
      }
    }
  }

  void OnBlockDone(int64_t blockStart, int32_t frames, int64_t) override {
    const int64_t blockEnd = blockStart + frames;
    // A note-off goes out in the block in which it falls due, or with a bounce onto its chime
    // made in that block, so after a block no note may have sounded much longer than its
    // length.
    for (int key : sounding_) {
      const int64_t age = blockEnd - soundingSince_[static_cast<size_t>(key)];
      if (age > kMaxAge) {
        ++failures_;
        if (firstFailure_.empty()) {
          firstFailure_ = "note " + std::to_string(key % 128) + " stuck for " +
                          std::to_string(age) + " samples at " + std::to_string(blockEnd);
        }
      }
    }
  }

  int64_t lastTime_ = 0;
  int64_t events_ = 0;
  int64_t noteOns_ = 0;
  int64_t noteOffs_ = 0;
  int64_t failures_ = 0;
  std::string firstFailure_;
  std::vector<int> sounding_;

 private:
  static constexpr int64_t kMaxAge =
      static_cast<int64_t>(kRate * kNoteSeconds) + kBlock + kBounceReach;

  void Fail(const std::string& what, const HostMidiEvent& event) {
    ++failures_;
    if (firstFailure_.empty()) {
      firstFailure_ = what + " at sample " + std::to_string(event.sampleTime) + " (status " +
                      std::to_string(event.status) + ", note " + std::to_string(event.data1) + ")";
    }
  }

  std::array<int64_t, 16 * 128> soundingSince_ = [] {
    std::array<int64_t, 16 * 128> all{};
    all.fill(-1);
    return all;
  }();
};

HostOptions LivelyOptions(double seconds) {
  HostOptions options;
  options.pluginPath = TINTINNA_PLUGIN;
  options.sampleRate = kRate;
  options.blockSize = kBlock;
  options.seconds = seconds;
  options.assignments = {{"WSpeed", "25", false},
                         {"Variable", "10", false},
                         {"ClapSize", "0.8", false},
                         {"Duration", "0.5", false}};
  return options;
}

TEST(TintinnaThroughTheHost, KeepsItsMidiInvariantsForManyHours) {
  InvariantChecker checker;
  SessionReport report;
  std::string error;
  bool ran = false;
  // The plug-in's random sequence belongs to the calling thread and starts fresh on a new one.
  std::thread([&] {
    ran = RunSession(LivelyOptions(LONG_RUN_HOURS * 3600.0), checker, report, error);
  }).join();
  ASSERT_TRUE(ran) << error;
  EXPECT_EQ(report.frames, static_cast<int64_t>(LONG_RUN_HOURS) * 3600 * kRate);
  EXPECT_EQ(checker.failures_, 0) << checker.firstFailure_;
  // A lively wind strikes several times a second.
  EXPECT_GT(checker.noteOns_, static_cast<int64_t>(LONG_RUN_HOURS) * 3600);
  // At most one note per chime is still waiting for its note-off when the run ends.
  EXPECT_LE(checker.sounding_.size(), 8u);
  EXPECT_GE(checker.noteOffs_, checker.noteOns_);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TintinnaThroughTheHost, WritesTheSameMidiFileForTheSameArguments) {
  const std::string dir = testing::TempDir();
  std::string files[2] = {dir + "tintinna_run_a.mid", dir + "tintinna_run_b.mid"};
  for (const auto& file : files) {
    const std::string command = std::string("\"") + TINTINNA_HOST + "\" --quiet --seconds 120 " +
                                "--set WSpeed=25 --set ClapSize=0.8 --midi \"" + file + "\" \"" +
                                TINTINNA_PLUGIN + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  const std::string first = ReadFile(files[0]);
  EXPECT_GT(first.size(), 1000u);
  EXPECT_EQ(first, ReadFile(files[1]));
  for (const auto& file : files) std::remove(file.c_str());
}

TEST(TintinnaThroughTheHost, PassesIncomingMidiThroughAtItsTimeMergedWithItsOwn) {
  // At 48 kHz and 120 per minute a tick of the file lasts 25 frames: times survive the file.
  std::vector<HostMidiEvent> in;
  for (int64_t i = 0; i < 40; ++i) {
    HostMidiEvent event;
    event.sampleTime = 25 * (i * 7 + i * i * 6);  // the last at 4.9 s
    event.status = i % 2 == 0 ? 0x9F : 0x8F;
    event.data1 = static_cast<uint8_t>(20 + i / 2);
    event.data2 = i % 2 == 0 ? 64 : 0;
    in.push_back(event);
  }
  HostOptions options = LivelyOptions(5.0);
  options.sampleRate = 48000;
  options.midiInPath = testing::TempDir() + "tintinna_midi_in.mid";
  SmfSettings settings;
  settings.sampleRate = 48000;
  std::string error;
  ASSERT_TRUE(SmfWriter::WriteFile(options.midiInPath, SmfWriter::Build(in, settings), error));
  EventCollector collector(options.sampleRate);
  SessionReport report;
  ASSERT_TRUE(RunSession(options, collector, report, error)) << error;
  std::vector<HostMidiEvent> back;
  for (const auto& event : collector.Events()) {
    if (event.Channel() == 15) back.push_back(event);
  }
  ASSERT_EQ(back.size(), in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(back[i].sampleTime, in[i].sampleTime) << i;
    EXPECT_EQ(back[i].deltaFrames, in[i].sampleTime % kBlock) << i;
    EXPECT_EQ(back[i].status, in[i].status) << i;
    EXPECT_EQ(back[i].data1, in[i].data1) << i;
  }
  EXPECT_GT(collector.Events().size(), in.size() + 20) << "its own strikes go on";
  EXPECT_EQ(report.eventsOutsideCall, 0);
  EXPECT_EQ(report.eventsOutOfOrder, 0);
  std::remove(options.midiInPath.c_str());
}

}  // namespace
}  // namespace host
