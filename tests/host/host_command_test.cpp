// Tests of the tintinna-host command as a whole: exit status, messages, files, repeatability.
#include "tools/host/host_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/host/command_outcome.h"

namespace host {
namespace {

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(HostCommand, ExitsWithTwoAndOneLineOnABadCommandLine) {
  const Outcome outcome = RunCommand({"--rate", "fast", TEST_PLUGIN});
  EXPECT_EQ(outcome.status, kExitUsageError);
  EXPECT_EQ(outcome.err,
            "tintinna-host: bad --rate 'fast' (whole Hz from 1000 to 1000000) (see --help)\n");
  EXPECT_TRUE(outcome.out.empty());
}

TEST(HostCommand, ExitsWithOneAndOneLineWhenThePluginIsMissing) {
  const Outcome outcome = RunCommand({"/no/such/plugin.so"});
  EXPECT_EQ(outcome.status, kExitRuntimeError);
  EXPECT_EQ(outcome.err, "tintinna-host: /no/such/plugin.so: no such file\n");
}

TEST(HostCommand, ExitsWithOneAndOneLineForANonPlugin) {
  const Outcome outcome = RunCommand({NOT_A_PLUGIN});
  EXPECT_EQ(outcome.status, kExitRuntimeError);
  EXPECT_EQ(Lines(outcome.err), 1);
  EXPECT_NE(outcome.err.find("not a VST 2 plug-in"), std::string::npos);
}

TEST(HostCommand, ExitsWithOneAndOneLineForABadParameterValue) {
  const Outcome outcome = RunCommand({"--no-midi", "--set", "Pitch=loud", TEST_PLUGIN});
  EXPECT_EQ(outcome.status, kExitRuntimeError);
  EXPECT_EQ(Lines(outcome.err), 1);
  EXPECT_NE(outcome.err.find("bad value 'loud' for Pitch"), std::string::npos) << outcome.err;
}

TEST(HostCommand, PrintsHelpAndSucceeds) {
  const Outcome outcome = RunCommand({"--help"});
  EXPECT_EQ(outcome.status, kExitSuccess);
  EXPECT_EQ(outcome.out.rfind("usage: tintinna-host", 0), 0u);
}

TEST(HostCommand, WritesTheMidiFileAndSummarizesTheRun) {
  const std::string midi = testing::TempDir() + "host_command_summary.mid";
  const Outcome outcome =
      RunCommand({"--seconds", "1", "--set", "Pitch=12", "--midi", midi, TEST_PLUGIN});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_TRUE(outcome.err.empty());
  EXPECT_NE(outcome.out.find("plug-in: Test Ticker by Tests (id 'test', version 7"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("set: Pitch = 12\n"), std::string::npos);
  // The note at 44000 still sounds at 44100: the host ends it, so the file ends with none on.
  EXPECT_NE(outcome.out.find("MIDI: 45 note-ons, 45 note-offs, 0 controller messages"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("closed at the end: 1 note still sounding\n"), std::string::npos);
  EXPECT_NE(outcome.out.find("delivery: every event inside its call, in time order\n"),
            std::string::npos);
  EXPECT_NE(outcome.out.find("ch  1  C6   ( 72)        45  velocity  60 to  60"), std::string::npos)
      << outcome.out;
  EXPECT_EQ(ReadFile(midi).substr(0, 4), "MThd");
  std::filesystem::remove(midi);
}

TEST(HostCommand, PrintsEveryEventInTheOrderSentWhenAsked) {
  const Outcome outcome = RunCommand({"--no-midi", "--events", "--seconds", "0.03", TEST_PLUGIN});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  const auto first = outcome.out.find("note-on");
  const auto firstOff = outcome.out.find("note-off");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(firstOff, std::string::npos);
  EXPECT_LT(first, firstOff);
  EXPECT_NE(outcome.out.find("      1250     0.0283s  block       1024 +226"), std::string::npos)
      << outcome.out;
}

TEST(HostCommand, StaysSilentWhenQuiet) {
  const Outcome outcome =
      RunCommand({"--quiet", "--no-midi", "--events", "--seconds", "0.1", TEST_PLUGIN});
  EXPECT_EQ(outcome.status, kExitSuccess);
  EXPECT_TRUE(outcome.out.empty());
  EXPECT_TRUE(outcome.err.empty());
}

TEST(HostCommand, GivesTheSameBytesForTheSameArguments) {
  const std::string a = testing::TempDir() + "host_command_a.mid";
  const std::string b = testing::TempDir() + "host_command_b.mid";
  const Outcome first =
      RunCommand({"--seconds", "3", "--set", "Mode=on", "--midi", a, TEST_PLUGIN});
  const Outcome second =
      RunCommand({"--seconds", "3", "--set", "Mode=on", "--midi", b, TEST_PLUGIN});
  ASSERT_EQ(first.status, kExitSuccess);
  const std::string bytesA = ReadFile(a);
  EXPECT_GT(bytesA.size(), 100u);
  EXPECT_EQ(bytesA, ReadFile(b));
  // The summaries differ only in the file name.
  EXPECT_EQ(first.out.substr(0, first.out.find("MIDI file:")),
            second.out.substr(0, second.out.find("MIDI file:")));
  std::filesystem::remove(a);
  std::filesystem::remove(b);
}

}  // namespace
}  // namespace host
