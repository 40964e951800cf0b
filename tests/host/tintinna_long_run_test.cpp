// Long runs of tintinna.so through the host's engine: MIDI invariants over many simulated hours,
// and byte-identical MIDI files from two runs of the command with the same arguments.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tools/host/host_session.h"

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

}  // namespace
}  // namespace host
