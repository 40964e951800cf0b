// Tests of the fader: its rectangle, where the handle sits, and how it snaps to the pointer.
#include "controls/slider_control.h"

#include <gtest/gtest.h>

#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

class SliderTest : public ::testing::Test {
 protected:
  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
  IImage handle22{nullptr, 22, 21, 1};
  IMouseModifiers left{true, false, false, false, false};
  // Horizontal, track 150, handle 22 wide, at (70, 60).
  ISliderControl fader{&plugin, 70, 60, 150, TestPlugin::kAmount, handle22, 1};
};

TEST_F(SliderTest, AHorizontalSliderCoversItsTrackAndTheHandleHeight) {
  EXPECT_EQ(fader.DrawBounds(), (IBounds{70, 60, 220, 81}));
  EXPECT_EQ(fader.HandleSize(), 22);
}

TEST_F(SliderTest, AVerticalSliderCoversTheHandleWidthAndItsTrack) {
  ISliderControl upright(&plugin, 10, 20, 100, -1, IImage{nullptr, 16, 8, 1}, 0);
  EXPECT_EQ(upright.DrawBounds(), (IBounds{10, 20, 26, 120}));
  EXPECT_EQ(upright.HandleSize(), 8);
}

TEST_F(SliderTest, ClicksPutTheHandleCentreUnderThePointer) {
  fader.OnMouseDown(81, 70, left);
  EXPECT_EQ(fader.Value(), 0.0);
  fader.OnMouseDown(145, 70, left);
  EXPECT_EQ(fader.Value(), 0.5);
  fader.OnMouseDown(209, 70, left);
  EXPECT_EQ(fader.Value(), 1.0);
  EXPECT_DOUBLE_EQ(plugin.GetParameter(TestPlugin::kAmount)->Value(), 1.0);
}

TEST_F(SliderTest, PointsBeyondTheTrackEndsClampTheValue) {
  fader.OnMouseDown(300, 70, left);
  EXPECT_EQ(fader.Value(), 1.0);
  fader.OnMouseDrag(20, 70, -280, 0, left);
  EXPECT_EQ(fader.Value(), 0.0);
}

TEST_F(SliderTest, DragsFollowThePointerNotTheMovement) {
  fader.OnMouseDown(81, 70, left);
  fader.OnMouseDrag(113, 70, 500, 0, left);
  EXPECT_EQ(fader.Value(), 0.25);
}

TEST_F(SliderTest, ARightClickPromptsWithoutMovingTheHandle) {
  auto* editor = new RecordingGraphics(&plugin);
  plugin.AttachEditor(editor);
  fader.SetValueFromPlugin(0.3);
  fader.OnMouseDown(209, 70, {false, true, false, false, false});
  EXPECT_EQ(fader.Value(), 0.3);
  EXPECT_EQ(editor->entries.size(), 1u);
}

TEST_F(SliderTest, AHorizontalHandleRunsFromTheLeftEnd) {
  EXPECT_EQ(fader.GetHandleBounds(0.0), (IBounds{70, 60, 92, 81}));
  EXPECT_EQ(fader.GetHandleBounds(1.0), (IBounds{198, 60, 220, 81}));
  // 0.3 * 128 = 38.4, truncated.
  EXPECT_EQ(fader.GetHandleBounds(0.3), (IBounds{108, 60, 130, 81}));
}

TEST_F(SliderTest, AVerticalHandleIsAtTheTopForTheHighestValue) {
  ISliderControl upright(&plugin, 10, 20, 100, -1, IImage{nullptr, 16, 8, 1}, 0);
  EXPECT_EQ(upright.GetHandleBounds(1.0), (IBounds{10, 20, 26, 28}));
  EXPECT_EQ(upright.GetHandleBounds(0.0), (IBounds{10, 112, 26, 120}));
  upright.SnapToMouse(0, 24);  // centre at the top end
  EXPECT_EQ(upright.Value(), 1.0);
  upright.SnapToMouse(0, 70);  // 1 - 46 / 92
  EXPECT_EQ(upright.Value(), 0.5);
}

TEST_F(SliderTest, ANegativeValueMeansTheCurrentPosition) {
  fader.SetValueFromPlugin(0.5);
  EXPECT_EQ(fader.GetHandleBounds(-1.0), fader.GetHandleBounds(0.5));
}

TEST_F(SliderTest, DrawsTheHandleFrameOnlyWithItsBlend) {
  fader.SetValueFromPlugin(1.0);
  fader.SetGreyed(true);
  fader.Draw(graphics);
  ASSERT_EQ(graphics.bitmaps.size(), 1u);
  EXPECT_EQ(graphics.bitmaps[0].destination, (IBounds{198, 60, 220, 81}));
  EXPECT_EQ(graphics.bitmaps[0].sourceY, 0);
  EXPECT_EQ(graphics.bitmaps[0].blend.weight, 0.25f);
}

}  // namespace
