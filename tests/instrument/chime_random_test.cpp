// The per-thread generator behind every random decision of the chimes.
#include "instrument/chime_random.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<int> FirstDraws(int count) {
  std::vector<int> draws;
  std::thread thread([&] {
    for (int i = 0; i < count; ++i) draws.push_back(ChimeRandom::Draw());
  });
  thread.join();
  return draws;
}

TEST(ChimeRandom, StartsEveryThreadAtStateOne) {
  // The classic sequence of this generator from seed 1.
  EXPECT_EQ(FirstDraws(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(ChimeRandom, KeepsOneSequencePerThread) {
  std::vector<int> other;
  std::thread thread([&] {
    ChimeRandom::Draw();
    ChimeRandom::Draw();
    std::thread inner([&] { other.push_back(ChimeRandom::Draw()); });
    inner.join();
    other.push_back(ChimeRandom::Draw());
  });
  thread.join();
  EXPECT_EQ(other, (std::vector<int>{41, 6334}));
}

TEST(ChimeRandom, UniformDrawsCoverBothEnds) {
  std::thread thread([] {
    bool sawZero = false, sawOne = false;
    for (int i = 0; i < (1 << 20) && !(sawZero && sawOne); ++i) {
      const double r = ChimeRandom::UniformDraw();
      ASSERT_GE(r, 0.0);
      ASSERT_LE(r, 1.0);
      sawZero |= r == 0.0;
      sawOne |= r == 1.0;
    }
    EXPECT_TRUE(sawZero);
    EXPECT_TRUE(sawOne);
  });
  thread.join();
}

}  // namespace
