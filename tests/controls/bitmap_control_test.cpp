// Tests of the image-strip control: its rectangle, the frame chosen for a value, and the blend.
#include "controls/bitmap_control.h"

#include <gtest/gtest.h>

#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

class BitmapControlTest : public ::testing::Test {
 protected:
  // The first source row the control drew from at value.
  int SourceRowAt(IBitmapControl& control, double value) {
    control.SetValueFromPlugin(value);
    graphics.bitmaps.clear();
    control.Draw(graphics);
    return graphics.bitmaps.at(0).sourceY;
  }

  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
  IImage fiveFrames{nullptr, 20, 100, 5};
};

TEST_F(BitmapControlTest, CoversOneFrameOfItsImage) {
  IBitmapControl meter(&plugin, 90, 145, -1, IImage{nullptr, 99, 5100, 51});
  EXPECT_EQ(meter.DrawBounds(), (IBounds{90, 145, 189, 245}));
  EXPECT_EQ(meter.TargetBounds(), meter.DrawBounds());
}

TEST_F(BitmapControlTest, FiveFramesSplitTheValuesIntoRoundedSteps) {
  IBitmapControl control(&plugin, 0, 0, -1, fiveFrames);
  EXPECT_EQ(SourceRowAt(control, 0.0), 0);
  EXPECT_EQ(SourceRowAt(control, 0.124), 0);
  EXPECT_EQ(SourceRowAt(control, 0.125), 20);
  EXPECT_EQ(SourceRowAt(control, 0.5), 40);
  EXPECT_EQ(SourceRowAt(control, 0.874), 60);
  EXPECT_EQ(SourceRowAt(control, 0.875), 80);
  EXPECT_EQ(SourceRowAt(control, 1.0), 80);
}

TEST_F(BitmapControlTest, ASingleFrameOrNoFrameCountAlwaysShowsTheTop) {
  EXPECT_EQ(IBitmapControl::FrameForValue(0.9, 1), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(0.9, 0), 1);
  IBitmapControl picture(&plugin, 0, 0, -1, IImage{nullptr, 20, 100, 1});
  EXPECT_EQ(SourceRowAt(picture, 1.0), 0);
}

TEST_F(BitmapControlTest, ValuesOutsideTheRangeShowTheEndFrames) {
  EXPECT_EQ(IBitmapControl::FrameForValue(-3.0, 5), 1);
  EXPECT_EQ(IBitmapControl::FrameForValue(7.0, 5), 5);
}

TEST_F(BitmapControlTest, DrawsIntoItsBoundsWithItsBlend) {
  IBitmapControl control(&plugin, 30, 40, -1, fiveFrames, IBlend{IBlend::kAdd, 0.5f});
  control.Draw(graphics);
  ASSERT_EQ(graphics.bitmaps.size(), 1u);
  EXPECT_EQ(graphics.bitmaps[0].destination, (IBounds{30, 40, 50, 60}));
  EXPECT_EQ(graphics.bitmaps[0].sourceX, 0);
  EXPECT_EQ(graphics.bitmaps[0].blend.method, IBlend::kAdd);
  EXPECT_EQ(graphics.bitmaps[0].blend.weight, 0.5f);
}

TEST_F(BitmapControlTest, GreyingOverridesTheWeightItWasBuiltWith) {
  IBitmapControl control(&plugin, 0, 0, -1, fiveFrames, IBlend{IBlend::kDefault, 0.5f});
  control.SetGreyed(true);
  EXPECT_EQ(control.Blend().weight, 0.25f);
  control.SetGreyed(false);
  EXPECT_EQ(control.Blend().weight, 1.0f);
  control.Draw(graphics);
  EXPECT_EQ(graphics.bitmaps.at(0).blend.weight, 1.0f);
}

}  // namespace
