// Tests of tintinna-snapshot's command line.
#include "tools/snapshot/snapshot_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, snapshot::Options& options, std::string& error) {
  args.insert(args.begin(), "tintinna-snapshot");
  return snapshot::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SnapshotOptions, TakesSettingsInOrderWithSecondsProgramAndOutput) {
  snapshot::Options options;
  std::string error;
  ASSERT_TRUE(Parse({"--set", "WSpeed=25", "--seconds", "30", "--set", "Tone 1=C4", "--program",
                     "2", "--out", "x.png"},
                    options, error))
      << error;
  ASSERT_EQ(options.settings.size(), 2u);
  EXPECT_EQ(options.settings[0].first, "WSpeed");
  EXPECT_EQ(options.settings[0].second, "25");
  EXPECT_EQ(options.settings[1].first, "Tone 1");
  EXPECT_EQ(options.settings[1].second, "C4");
  EXPECT_EQ(options.seconds, 30.0);
  EXPECT_EQ(options.program, 2);
  EXPECT_EQ(options.output, "x.png");
}

TEST(SnapshotOptions, DefaultsDrawTheUntouchedInstance) {
  snapshot::Options options;
  std::string error;
  ASSERT_TRUE(Parse({}, options, error));
  EXPECT_TRUE(options.settings.empty());
  EXPECT_EQ(options.seconds, 0.0);
  EXPECT_EQ(options.program, -1);
  EXPECT_EQ(options.output, "editor.png");
}

TEST(SnapshotOptions, RefusesMalformedValues) {
  const std::vector<std::vector<const char*>> bad = {{"--set", "WSpeed"},
                                                     {"--set", "=3"},
                                                     {"--seconds", "-1"},
                                                     {"--seconds", "nan"},
                                                     {"--seconds", "1e9"},
                                                     {"--seconds", "3x"},
                                                     {"--program", "-2"},
                                                     {"--program", "one"},
                                                     {"--program", "99999999999"},
                                                     {"--out", ""},
                                                     {"--out"},
                                                     {"--frobnicate", "1"}};
  for (const auto& args : bad) {
    snapshot::Options options;
    std::string error;
    EXPECT_FALSE(Parse(args, options, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
