// Tests of the terminal progress bar.
#include "tools/host/progress_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace host {
namespace {

TEST(ProgressBar, DrawsNothingWhenDisabled) {
  std::ostringstream out;
  {
    ProgressBar bar(out, false, std::chrono::milliseconds(0));
    for (int i = 0; i <= 1000; ++i) bar.Update(i, 1000);
  }
  EXPECT_TRUE(out.str().empty());
}

TEST(ProgressBar, LeavesNoTraceOfARunShorterThanItsDelay) {
  std::ostringstream out;
  {
    ProgressBar bar(out, true, std::chrono::hours(1));
    for (int i = 0; i <= 1000; ++i) bar.Update(i, 1000);
  }
  EXPECT_TRUE(out.str().empty());
}

TEST(ProgressBar, RedrawsOnlyWhenThePercentageChangesAndClearsItsLine) {
  std::ostringstream out;
  ProgressBar bar(out, true, std::chrono::milliseconds(0));
  for (int i = 1; i <= 512; ++i) bar.Update(i, 1024);  // appears on the 256th call, at 25%
  const std::string drawn = out.str();
  EXPECT_EQ(drawn.rfind("\r[##########", 0), 0u) << drawn;
  EXPECT_NE(drawn.find("] 25%"), std::string::npos);
  EXPECT_NE(drawn.find("] 50%"), std::string::npos);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\r'), 26);  // 25% to 50%
  bar.Finish();
  EXPECT_EQ(out.str().substr(drawn.size()), "\r" + std::string(48, ' ') + "\r");
}

}  // namespace
}  // namespace host
