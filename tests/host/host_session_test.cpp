// Tests of a whole run through the host's engine against the test plug-in, which plays a note
// (60 + Pitch) every 1000 samples of song position for 250 samples.
#include "tools/host/host_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/host/event_collector.h"
#include "tools/host/smf_writer.h"

namespace host {
namespace {

class HostSessionTest : public testing::Test {
 protected:
  HostSessionTest() { options_.pluginPath = TEST_PLUGIN; }
  bool Run() {
    collector_ = EventCollector(options_.sampleRate);
    error_.clear();
    return RunSession(options_, collector_, report_, error_);
  }
  std::vector<HostMidiEvent> NoteOns() const {
    std::vector<HostMidiEvent> ons;
    for (const auto& event : collector_.Events()) {
      if (event.IsNoteOn()) ons.push_back(event);
    }
    return ons;
  }
  std::string TempPath(const std::string& name) const {
    return testing::TempDir() + "host_session_" + name;
  }

  HostOptions options_;
  EventCollector collector_{44100};
  SessionReport report_;
  std::string error_;
};

TEST_F(HostSessionTest, RecordsEveryNoteAtItsAbsoluteSampleTime) {
  options_.seconds = 1.0;
  ASSERT_TRUE(Run()) << error_;
  const auto ons = NoteOns();
  ASSERT_EQ(ons.size(), 45u);  // samples 0, 1000, ..., 44000
  for (size_t i = 0; i < ons.size(); ++i) {
    EXPECT_EQ(ons[i].sampleTime, static_cast<int64_t>(i) * 1000);
    EXPECT_EQ(ons[i].blockStart % 512, 0);
    EXPECT_EQ(ons[i].blockStart + ons[i].deltaFrames, ons[i].sampleTime);
    EXPECT_EQ(ons[i].data1, 60);
  }
}

TEST_F(HostSessionTest, KeepsNoteOffsThatFallInALaterBlockInPlace) {
  options_.seconds = 0.05;
  ASSERT_TRUE(Run()) << error_;
  std::vector<int64_t> offs;
  for (const auto& event : collector_.Events()) {
    if (event.IsNoteOff()) offs.push_back(event.sampleTime);
  }
  // The note at 1000 (block 512..1023) ends at 1250, in block 1024..1535.
  ASSERT_GE(offs.size(), 2u);
  EXPECT_EQ(offs[0], 250);
  EXPECT_EQ(offs[1], 1250);
}

TEST_F(HostSessionTest, ClosesTheNoteStillSoundingAtTheEndAndFindsTheDeliveryRight) {
  options_.seconds = 1050.0 / 44100;  // the note at 1000 would end at 1250
  ASSERT_TRUE(Run()) << error_;
  ASSERT_EQ(report_.frames, 1050);
  EXPECT_EQ(report_.closedNotes, 1);
  const HostMidiEvent& last = collector_.Events().back();
  EXPECT_TRUE(last.IsNoteOff());
  EXPECT_EQ(last.data1, 60);
  EXPECT_EQ(last.sampleTime, 1050);
  EXPECT_EQ(report_.eventsOutsideCall, 0);
  EXPECT_EQ(report_.eventsOutOfOrder, 0);
}

TEST_F(HostSessionTest, RunsTheWholeLengthWithAShortLastBlock) {
  options_.seconds = 1.0;
  options_.blockSize = 1000;
  ASSERT_TRUE(Run()) << error_;
  EXPECT_EQ(report_.frames, 44100);
  EXPECT_EQ(report_.blocks, 45);
  EXPECT_EQ(report_.effectName, "Test Ticker");
  EXPECT_EQ(report_.vendorName, "Tests");
  EXPECT_EQ(report_.numParams, 4);
}

TEST_F(HostSessionTest, AppliesParametersByTheirDisplayedValues) {
  options_.seconds = 0.1;
  options_.assignments = {{"Pitch", "25", false}, {"Steps", "7", false}};
  ASSERT_TRUE(Run()) << error_;
  const auto ons = NoteOns();
  ASSERT_FALSE(ons.empty());
  EXPECT_EQ(ons[0].data1, 85);
  EXPECT_EQ(ons[0].data2, 95);
  EXPECT_EQ(report_.parameterSettings, (std::vector<std::string>{"Pitch = 25", "Steps = 7"}));
}

TEST_F(HostSessionTest, AppliesTheProgramBeforeTheParameters) {
  options_.seconds = 0.1;
  options_.program = 2;
  ASSERT_TRUE(Run()) << error_;
  EXPECT_EQ(NoteOns().at(0).data1, 62);
  options_.assignments = {{"Pitch", "4", false}};
  ASSERT_TRUE(Run()) << error_;
  EXPECT_EQ(NoteOns().at(0).data1, 64);
}

TEST_F(HostSessionTest, SendsControllersOnlyWhenTheTransportReachesASecond) {
  options_.seconds = 2.0;
  options_.blockSize = 441;
  options_.assignments = {{"Mode", "on", false}, {"Pitch", "9", false}};
  ASSERT_TRUE(Run()) << error_;
  std::vector<int64_t> times;
  for (const auto& event : collector_.Events()) {
    if (event.IsControlChange()) times.push_back(event.sampleTime);
  }
  EXPECT_EQ(times, (std::vector<int64_t>{0, 44100}));
}

TEST_F(HostSessionTest, AppliesAutomationAtTheFirstBlockStartingAtOrAfterItsTime) {
  options_.seconds = 0.1;
  // Blocks of 512: a point at frame 1500 comes with the block at 1536, whose note at 2000 has
  // it; one at 1537 waits for the block at 2048.
  const struct {
    int frame;
    int64_t firstChanged;
  } kCases[] = {{1500, 2000}, {1537, 3000}, {0, 0}};
  for (const auto& c : kCases) {
    options_.automation = {{{"Pitch", "10", false}, c.frame / 44100.0}};
    ASSERT_TRUE(Run()) << error_;
    for (const auto& on : NoteOns()) {
      EXPECT_EQ(on.data1, on.sampleTime >= c.firstChanged ? 70 : 60)
          << c.frame << " " << on.sampleTime;
    }
  }
  options_.automation = {{{"Pitch", "0.5", true}, 0.1}};
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_, "automation of Pitch at 0.1 s comes after the run's end");
}

TEST_F(HostSessionTest, DeliversIncomingMidiInItsBlockAtItsOffset) {
  // At 48 kHz and 120 per minute a tick of the file lasts 25 frames: times survive the file.
  const std::vector<HostMidiEvent> in = {
      {.sampleTime = 0, .status = 0xBF, .data1 = 7, .data2 = 9},
      {.sampleTime = 1525, .status = 0x9F, .data1 = 5, .data2 = 90},
      {.sampleTime = 2100, .status = 0x8F, .data1 = 5},
      {.sampleTime = 4800, .status = 0x9F, .data1 = 6, .data2 = 1}};
  SmfSettings settings;
  settings.sampleRate = 48000;
  options_.midiInPath = TempPath("in.mid");
  ASSERT_TRUE(SmfWriter::WriteFile(options_.midiInPath, SmfWriter::Build(in, settings), error_));
  options_.sampleRate = 48000;
  options_.seconds = 0.1;  // the last message falls after the end
  ASSERT_TRUE(Run()) << error_;
  std::vector<HostMidiEvent> back;  // the plug-in sends what it receives straight back
  for (const auto& event : collector_.Events()) {
    if (event.Channel() == 15) back.push_back(event);
  }
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].sampleTime, in[i].sampleTime);
    EXPECT_EQ(back[i].blockStart, in[i].sampleTime / 512 * 512);
    EXPECT_EQ(back[i].status, in[i].status);
    EXPECT_EQ(back[i].data1, in[i].data1);
    EXPECT_EQ(back[i].data2, in[i].data2);
  }
  EXPECT_EQ(report_.midiInEvents, 4);
  EXPECT_EQ(report_.midiInDelivered, 3);
  std::filesystem::remove(options_.midiInPath);
}

TEST_F(HostSessionTest, SavesAStateThatALaterRunRestores) {
  const std::string path = TempPath("state.bin");
  options_.seconds = 0.05;
  options_.assignments = {{"Pitch", "10", false}};
  options_.saveState = path;
  ASSERT_TRUE(Run()) << error_;
  EXPECT_EQ(report_.stateBytesSaved, 20u);
  EXPECT_EQ(std::filesystem::file_size(path), 20u);

  options_.assignments.clear();
  options_.saveState.clear();
  options_.loadState = path;
  ASSERT_TRUE(Run()) << error_;
  EXPECT_EQ(NoteOns().at(0).data1, 70);
  std::filesystem::remove(path);
}

TEST_F(HostSessionTest, ReportsAStateThePluginRefuses) {
  const std::string path = TempPath("garbage.bin");
  std::ofstream(path, std::ios::binary) << "not a state";
  options_.loadState = path;
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_, path + ": the plug-in refused this state");
  std::filesystem::remove(path);
}

TEST_F(HostSessionTest, ReportsAMissingOrEmptyStateFile) {
  options_.loadState = TempPath("missing.bin");
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_, options_.loadState + ": cannot read the state file");
  const std::string empty = TempPath("empty.bin");
  std::ofstream(empty, std::ios::binary).close();
  options_.loadState = empty;
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_, empty + ": not a plug-in state (0 bytes)");
  std::filesystem::remove(empty);
}

TEST_F(HostSessionTest, ReportsAProgramBeyondThePluginsPrograms) {
  options_.program = 3;
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_, "program 3 is out of range (the plug-in has 3 programs)");
}

TEST_F(HostSessionTest, ReportsAnUnknownParameterWithoutProcessing) {
  options_.assignments = {{"Volume", "3", false}};
  EXPECT_FALSE(Run());
  EXPECT_NE(error_.find("unknown parameter 'Volume'"), std::string::npos) << error_;
  EXPECT_TRUE(collector_.Events().empty());
  EXPECT_EQ(report_.blocks, 0);
}

TEST_F(HostSessionTest, ReportsAPluginThatIsNotOne) {
  options_.pluginPath = TEST_PLUGIN_BAD_MAGIC;
  EXPECT_FALSE(Run());
  EXPECT_EQ(error_,
            std::string(TEST_PLUGIN_BAD_MAGIC) + ": not a VST 2 plug-in: bad magic 0x12345678");
}

TEST(SessionLength, RoundsSecondsToTheNearestFrameAndRunsAtLeastOne) {
  HostOptions options;
  options.sampleRate = 48000;
  options.seconds = 0.5;
  EXPECT_EQ(SessionFrames(options), 24000);
  options.seconds = 1e-9;
  EXPECT_EQ(SessionFrames(options), 1);
}

}  // namespace
}  // namespace host
