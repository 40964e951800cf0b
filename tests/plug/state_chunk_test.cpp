// IStateChunk: little-endian appends, bounded positional reads, zero-filling resize.
#include "plug/state_chunk.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const IStateChunk& chunk) {
  return {chunk.Data(), chunk.Data() + chunk.Size()};
}

TEST(StateChunkAppend, ValuesAreStoredLittleEndian) {
  IStateChunk chunk;
  ASSERT_TRUE(chunk.AppendInt32(0x70666674));
  ASSERT_TRUE(chunk.AppendDouble(1.0));
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{'t', 'f', 'f', 'p', 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(StateChunkRead, ValuesComeBackInOrderWithTheNextPosition) {
  IStateChunk chunk;
  chunk.AppendInt32(-2);
  chunk.AppendDouble(-0.25);
  int32_t integer = 0;
  double real = 0.0;
  EXPECT_EQ(chunk.ReadInt32(&integer, 0), 4);
  EXPECT_EQ(chunk.ReadDouble(&real, 4), 12);
  EXPECT_EQ(integer, -2);
  EXPECT_EQ(real, -0.25);
}

TEST(StateChunkRead, AReadPastTheEndFailsAndLeavesTheOutputAlone) {
  IStateChunk chunk;
  chunk.AppendDouble(3.0);
  double value = 9.0;
  EXPECT_EQ(chunk.ReadDouble(&value, 1), -1);
  EXPECT_EQ(chunk.ReadDouble(&value, -1), -1);
  EXPECT_EQ(chunk.ReadDouble(&value, std::numeric_limits<int32_t>::max()), -1);
  EXPECT_EQ(value, 9.0);
  EXPECT_EQ(chunk.ReadDouble(&value, 0), 8);
}

TEST(StateChunkResize, GrowingZeroFillsAndEmptyingDropsEverything) {
  IStateChunk chunk;
  chunk.AppendInt32(-1);
  ASSERT_TRUE(chunk.Resize(2));
  ASSERT_TRUE(chunk.Resize(6));
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}));
  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_FALSE(chunk.Resize(-4));
}

TEST(StateChunkAppend, ANegativeSizeOrMissingBytesAreRefused) {
  IStateChunk chunk;
  EXPECT_FALSE(chunk.Append(nullptr, 4));
  EXPECT_FALSE(chunk.Append("abcd", -1));
  EXPECT_EQ(chunk.Size(), 0);
}

}  // namespace
