// Tests of tintinna-host's command-line parsing.
#include "tools/host/host_options.h"

#include <gtest/gtest.h>

namespace host {
namespace {

ParseResult Parse(std::vector<std::string> args) {
  return ParseOptions(args);
}

TEST(OptionParsing, GivesTheDefaultsForAPluginAlone) {
  const ParseResult result = Parse({"plug.so"});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.options.pluginPath, "plug.so");
  EXPECT_EQ(result.options.sampleRate, 44100);
  EXPECT_EQ(result.options.blockSize, 512);
  EXPECT_EQ(result.options.tempo, 120.0);
  EXPECT_EQ(result.options.seconds, 60.0);
  EXPECT_EQ(result.options.midiPath, "tintinna.mid");
  EXPECT_EQ(result.options.program, -1);
}

TEST(OptionParsing, AcceptsValuesAfterASpaceOrAnEqualsSign) {
  const ParseResult result =
      Parse({"--rate", "48000", "--block=64", "--tempo", "92.5", "--time-signature=6/8",
             "--seconds", "1.5", "--program", "2", "--midi=out.mid", "p.so"});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.options.sampleRate, 48000);
  EXPECT_EQ(result.options.blockSize, 64);
  EXPECT_EQ(result.options.tempo, 92.5);
  EXPECT_EQ(result.options.numerator, 6);
  EXPECT_EQ(result.options.denominator, 8);
  EXPECT_EQ(result.options.seconds, 1.5);
  EXPECT_EQ(result.options.program, 2);
  EXPECT_EQ(result.options.midiPath, "out.mid");
}

TEST(OptionParsing, KeepsParameterAssignmentsInOrderWithTheirKind) {
  const ParseResult result =
      Parse({"--set", "WSpeed=25", "--set-normalized=3=0.5", "--set", "CC A=on", "p.so"});
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.options.assignments.size(), 3u);
  EXPECT_EQ(result.options.assignments[0].key, "WSpeed");
  EXPECT_EQ(result.options.assignments[0].value, "25");
  EXPECT_FALSE(result.options.assignments[0].normalized);
  EXPECT_EQ(result.options.assignments[1].key, "3");
  EXPECT_EQ(result.options.assignments[1].value, "0.5");
  EXPECT_TRUE(result.options.assignments[1].normalized);
  EXPECT_EQ(result.options.assignments[2].key, "CC A");
}

TEST(OptionParsing, TakesAutomationPointsAtTheirLastAtSignAndAMidiInputFile) {
  const ParseResult result = Parse({"--automate", "CC A=a@b@1.5", "--automate-normalized=3=0.2@0",
                                    "--midi-in", "in.mid", "p.so"});
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.options.automation.size(), 2u);
  EXPECT_EQ(result.options.automation[0].assignment.key, "CC A");
  EXPECT_EQ(result.options.automation[0].assignment.value, "a@b");
  EXPECT_EQ(result.options.automation[0].seconds, 1.5);
  EXPECT_FALSE(result.options.automation[0].assignment.normalized);
  EXPECT_EQ(result.options.automation[1].assignment.key, "3");
  EXPECT_TRUE(result.options.automation[1].assignment.normalized);
  EXPECT_EQ(result.options.automation[1].seconds, 0.0);
  EXPECT_EQ(result.options.midiInPath, "in.mid");
}

TEST(OptionParsing, TakesAPathThatLooksLikeAnOptionAfterADoubleDash) {
  const ParseResult result = Parse({"--quiet", "--", "-odd.so"});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.options.pluginPath, "-odd.so");
  EXPECT_TRUE(result.options.quiet);
}

TEST(OptionParsing, NeedsNoPluginForHelp) {
  const ParseResult result = Parse({"--help"});
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.options.help);
}

TEST(OptionParsing, SwitchesOffTheMidiFile) {
  const ParseResult result = Parse({"--no-midi", "p.so"});
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.options.midiPath.empty());
}

struct BadCommandLine {
  std::vector<std::string> args;
  std::string errorMentions;
};

class OptionParsingErrors : public testing::TestWithParam<BadCommandLine> {};

TEST_P(OptionParsingErrors, RefusesWithAOneLineReason) {
  const ParseResult result = ParseOptions(GetParam().args);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(GetParam().errorMentions), std::string::npos) << result.error;
  EXPECT_EQ(result.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, OptionParsingErrors,
    testing::Values(BadCommandLine{{}, "no plug-in"},
                    BadCommandLine{{"a.so", "b.so"}, "more than one plug-in"},
                    BadCommandLine{{"--bogus", "p.so"}, "unknown option --bogus"},
                    BadCommandLine{{"p.so", "--rate"}, "--rate needs a value"},
                    BadCommandLine{{"--rate", "44.1k", "p.so"}, "bad --rate"},
                    BadCommandLine{{"--rate", "999", "p.so"}, "bad --rate"},
                    BadCommandLine{{"--block", "0", "p.so"}, "bad --block"},
                    BadCommandLine{{"--block", "70000", "p.so"}, "bad --block"},
                    BadCommandLine{{"--tempo", "nan", "p.so"}, "bad --tempo"},
                    BadCommandLine{{"--seconds", "0", "p.so"}, "bad --seconds"},
                    BadCommandLine{{"--seconds", "-3", "p.so"}, "bad --seconds"},
                    BadCommandLine{{"--time-signature", "3/5", "p.so"}, "bad --time-signature"},
                    BadCommandLine{{"--set", "WSpeed", "p.so"}, "bad --set"},
                    BadCommandLine{{"--set", "=3", "p.so"}, "bad --set"},
                    BadCommandLine{{"--set-normalized", "a=", "p.so"}, "bad --set-normalized"},
                    BadCommandLine{{"--automate", "WSpeed=25", "p.so"}, "bad --automate"},
                    BadCommandLine{{"--automate", "WSpeed=25@-1", "p.so"}, "bad --automate"},
                    BadCommandLine{{"--automate", "WSpeed@1", "p.so"}, "bad --automate"},
                    BadCommandLine{{"--automate-normalized", "=1@1", "p.so"}, "bad --automate-n"},
                    BadCommandLine{{"--midi-in=", "p.so"}, "needs a file name"},
                    BadCommandLine{{"--program", "-1", "p.so"}, "bad --program"},
                    BadCommandLine{{"--quiet=yes", "p.so"}, "takes no value"},
                    BadCommandLine{{"--midi=", "p.so"}, "needs a file name"},
                    BadCommandLine{{"--wav=", "p.so"}, "needs a file name"},
                    BadCommandLine{{"--instrument", "kazoo", "p.so"},
                                   "unknown --instrument 'kazoo'"},
                    BadCommandLine{{"--instrument", "0", "p.so"}, "unknown --instrument"},
                    BadCommandLine{{"--instrument", "129", "p.so"}, "unknown --instrument"},
                    BadCommandLine{{"--wav-format", "mp3", "p.so"}, "bad --wav-format"}));

TEST(OptionParsing, TakesInstrumentsByNameAliasOrNumber) {
  const struct {
    const char* text;
    int program;
  } cases[] = {{"tubular-bells", 14}, {"Music Box", 10}, {"crystal", 98},
               {"fx-3-crystal", 98},  {"1", 0},          {"128", 127},
               {"celesta", 8},        {"warm", 89}};
  for (const auto& c : cases) {
    const ParseResult result = Parse({"--instrument", c.text, "p.so"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.instrument, c.program) << c.text;
    EXPECT_EQ(FindInstrument(InstrumentName(c.program)), c.program);
  }
  const ParseResult defaults = Parse({"--wav", "a.wav", "--wav-format=float", "p.so"});
  ASSERT_TRUE(defaults.ok);
  EXPECT_EQ(defaults.options.instrument, kTubularBells);
  EXPECT_TRUE(defaults.options.wavFloat);
}

}  // namespace
}  // namespace host
