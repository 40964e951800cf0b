// HeapBuffer: the growth policy in page-sized and small steps, shrinking, and refusals.
#include "plug/heap_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

TEST(HeapBufferGrowth, ResizingAFreshBufferToZeroAllocatesNothing) {
  HeapBuffer buffer;
  EXPECT_EQ(buffer.Resize(0, false), nullptr);
  EXPECT_EQ(buffer.Allocated(), 0);
  EXPECT_EQ(buffer.Data(), nullptr);
}

TEST(HeapBufferGrowth, PageSizedGrowthStaysNinetySixBytesShortOfAPageMultiple) {
  HeapBuffer buffer(4096);
  EXPECT_NE(buffer.Resize(8, false), nullptr);
  EXPECT_EQ(buffer.Allocated(), 4000);
  EXPECT_EQ(buffer.Size(), 8);
  buffer.Resize(4000, false);
  EXPECT_EQ(buffer.Allocated(), 4000) << "a size that still fits keeps the block";
  buffer.Resize(4001, false);
  EXPECT_EQ(buffer.Allocated(), 8096);
}

TEST(HeapBufferGrowth, PageSizedGrowthAddsHalfTheSizeRoundedToPages) {
  HeapBuffer buffer(4096);
  buffer.Resize(10000, false);
  EXPECT_EQ(buffer.Allocated(), 12192);
  HeapBuffer large(4096);
  large.Resize(100000, false);
  EXPECT_EQ(large.Allocated(), 147360);
}

TEST(HeapBufferGrowth, PageSizedGrowthStepIsCappedAtFourMegabytes) {
  HeapBuffer buffer(4096);
  // Step 4 194 304 (not 10 000 000 / 2): (20 000 000 + 4 194 304 + 96) rounded down to pages,
  // less 96.
  buffer.Resize(20000000, false);
  EXPECT_EQ(buffer.Allocated(), 24190880);
}

TEST(HeapBufferGrowth, SmallGranularityGrowsBySizePlusHalfOrGranularity) {
  HeapBuffer buffer(32);
  buffer.Resize(4, false);
  EXPECT_EQ(buffer.Allocated(), 36);
  buffer.Resize(40, false);
  EXPECT_EQ(buffer.Allocated(), 72);
  buffer.Resize(100, false);
  EXPECT_EQ(buffer.Allocated(), 150);
}

TEST(HeapBufferGrowth, ContentsSurviveReallocation) {
  HeapBuffer buffer(32);
  auto* bytes = static_cast<unsigned char*>(buffer.Resize(20, false));
  for (int i = 0; i < 20; ++i) bytes[i] = static_cast<unsigned char>(i + 1);
  bytes = static_cast<unsigned char*>(buffer.Resize(5000, false));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(bytes[i], i + 1);
}

TEST(HeapBufferShrink, ShrinkingKeepsTheBlockUnlessFarBelowIt) {
  HeapBuffer buffer(4096);
  buffer.Resize(10000, false);
  buffer.Resize(100, true);
  EXPECT_EQ(buffer.Allocated(), 12192) << "100 is not below 12192 - 4 * 4096";
  EXPECT_EQ(buffer.Size(), 100);

  HeapBuffer large(4096);
  large.Resize(100000, false);
  large.Resize(100, true);
  EXPECT_EQ(large.Allocated(), 4000);
  EXPECT_EQ(large.Size(), 100);
}

TEST(HeapBufferShrink, OnlyASizeBelowTheCurrentOneAndHalfTheBlockShrinks) {
  HeapBuffer growing(4096);
  growing.Resize(100000, false);
  growing.Resize(100, false);
  growing.Resize(200, true);
  EXPECT_EQ(growing.Allocated(), 147360) << "200 is above the size in use";

  // Granularity 32: 800 lies below the size and below 1500 - 4 * 32, but not below 1500 / 2.
  HeapBuffer small(32);
  small.Resize(1000, false);
  ASSERT_EQ(small.Allocated(), 1500);
  small.Resize(800, true);
  EXPECT_EQ(small.Allocated(), 1500);
  small.Resize(700, true);
  EXPECT_EQ(small.Allocated(), 1050) << "700 + 350";
}

TEST(HeapBufferShrink, WithoutAllowShrinkMemoryIsNeverGivenBack) {
  HeapBuffer buffer(4096);
  buffer.Resize(100000, false);
  EXPECT_EQ(buffer.Resize(0, false), nullptr);
  EXPECT_EQ(buffer.Allocated(), 147360);
  EXPECT_NE(buffer.Resize(100, false), nullptr);
  EXPECT_EQ(buffer.Allocated(), 147360);
}

TEST(HeapBufferRefusals, ImpossibleSizesLeaveTheBufferAsItWas) {
  HeapBuffer buffer(4096);
  auto* bytes = static_cast<char*>(buffer.Resize(16, false));
  std::memcpy(bytes, "fifteen letters", 16);
  EXPECT_EQ(buffer.Resize(-1, true), nullptr);
  EXPECT_EQ(buffer.Resize(std::numeric_limits<int32_t>::max(), false), nullptr);
  EXPECT_EQ(buffer.Size(), 16);
  EXPECT_EQ(buffer.Allocated(), 4000);
  EXPECT_STREQ(static_cast<const char*>(buffer.Data()), "fifteen letters");
}

}  // namespace
