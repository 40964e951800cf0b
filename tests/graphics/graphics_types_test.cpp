// Tests of the editor's shared value types: rectangles, colours and image frames.
#include "graphics/graphics_types.h"

#include <gtest/gtest.h>

namespace {

TEST(BoundsUnion, WithAnEmptyRectangleIsTheOtherRectangle) {
  const IBounds some{10, 20, 30, 40};
  EXPECT_EQ(IBounds{}.Union(some), some);
  EXPECT_EQ(some.Union(IBounds{}), some);
}

TEST(BoundsUnion, OfTwoRectanglesSpansBoth) {
  EXPECT_EQ((IBounds{10, 50, 20, 60}.Union(IBounds{5, 55, 15, 70})), (IBounds{5, 50, 20, 70}));
}

TEST(BoundsUnion, KeepsTheOriginWhenARectangleStartsThere) {
  // Only the all-zero rectangle is empty: one at the origin with a size counts.
  EXPECT_EQ((IBounds{0, 0, 5, 5}.Union(IBounds{10, 10, 20, 20})), (IBounds{0, 0, 20, 20}));
}

TEST(BoundsEmptiness, ZeroWidthAwayFromTheOriginIsNotEmpty) {
  EXPECT_FALSE((IBounds{10, 10, 10, 20}.IsEmpty()));
  EXPECT_TRUE(IBounds{}.IsEmpty());
}

TEST(BoundsIntersection, RectanglesTouchingAlongTheRightEdgeIntersect) {
  const IBounds left{0, 0, 10, 10};
  const IBounds right{10, 0, 20, 10};
  EXPECT_TRUE(left.Intersects(right));
  // Seen from the other side the touching edge is the left one, which does not count.
  EXPECT_FALSE(right.Intersects(left));
}

TEST(BoundsIntersection, RectanglesTouchingAlongTheBottomEdgeIntersect) {
  EXPECT_TRUE((IBounds{0, 0, 10, 10}.Intersects(IBounds{0, 10, 10, 20})));
  EXPECT_FALSE((IBounds{0, 10, 10, 20}.Intersects(IBounds{0, 0, 10, 10})));
}

TEST(BoundsIntersection, SeparateRectanglesDoNotIntersect) {
  EXPECT_FALSE((IBounds{0, 0, 10, 10}.Intersects(IBounds{11, 0, 20, 10})));
  EXPECT_FALSE((IBounds{0, 0, 10, 10}.Intersects(IBounds{0, 11, 10, 20})));
}

TEST(BoundsIntersection, AnEmptyRectangleIntersectsNothing) {
  EXPECT_FALSE((IBounds{}.Intersects(IBounds{-5, -5, 5, 5})));
  EXPECT_FALSE((IBounds{-5, -5, 5, 5}.Intersects(IBounds{})));
}

TEST(BoundsIntersection, OverlapIsTheInnerRectangle) {
  EXPECT_EQ((IBounds{0, 0, 10, 10}.Intersection(IBounds{5, 2, 20, 8})), (IBounds{5, 2, 10, 8}));
}

TEST(BoundsIntersection, OfRectanglesThatDoNotMeetIsAllZero) {
  EXPECT_EQ((IBounds{0, 0, 10, 10}.Intersection(IBounds{30, 30, 40, 40})), IBounds{});
}

TEST(Colour, PacksAsAlphaRedGreenBlueWordAndBack) {
  const IRgba colour{0x80, 0x12, 0x34, 0x56};
  EXPECT_EQ(colour.Packed(), 0x80123456u);
  EXPECT_EQ(IRgba::FromPacked(0x80123456u), colour);
}

TEST(TextStyle, DefaultsToOpaqueBlackFourteenPixelCentredArial) {
  const ITextStyle style;
  EXPECT_STREQ(style.fontFace, "Arial");
  EXPECT_EQ(style.size, 14);
  EXPECT_EQ(style.colour, (IRgba{255, 0, 0, 0}));
  EXPECT_EQ(style.alignment, ITextStyle::kCentre);
  EXPECT_EQ(style.orientation, 0);
}

TEST(ImageFrames, StartAtRoundedMultiplesOfTheFrameHeight) {
  const IImage strip{nullptr, 14, 1778, 127};
  EXPECT_EQ(strip.FrameTop(1), 0);
  EXPECT_EQ(strip.FrameTop(2), 14);
  EXPECT_EQ(strip.FrameTop(127), 1764);
  // 100 rows in 3 frames: 33.33 rounds down, 66.67 rounds up.
  const IImage odd{nullptr, 10, 100, 3};
  EXPECT_EQ(odd.FrameTop(2), 33);
  EXPECT_EQ(odd.FrameTop(3), 67);
}

TEST(ImageFrames, OfASinglePictureAllStartAtTheTop) {
  const IImage picture{nullptr, 10, 100, 1};
  EXPECT_EQ(picture.FrameTop(5), 0);
  const IImage noFrames{nullptr, 10, 100, 0};
  EXPECT_EQ(noFrames.FrameTop(3), 0);
}

}  // namespace
