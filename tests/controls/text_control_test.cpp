// Tests of the text control: drawing, text changes, greyed colours and style replacement.
#include "controls/text_control.h"

#include <gtest/gtest.h>

#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

ITextStyle StyleIn(IRgba colour) {
  ITextStyle style;
  style.colour = colour;
  return style;
}

class TextControlTest : public ::testing::Test {
 protected:
  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
};

TEST_F(TextControlTest, DrawsItsTextInItsStyleAndBounds) {
  ITextStyle style = StyleIn({255, 1, 2, 3});
  style.alignment = ITextStyle::kRight;
  ITextControl label(&plugin, {400, 60, 440, 76}, style, "Tones:");
  EXPECT_TRUE(label.Draw(graphics));
  ASSERT_EQ(graphics.strings.size(), 1u);
  EXPECT_EQ(graphics.strings[0].text, "Tones:");
  EXPECT_EQ(graphics.strings[0].bounds, (IBounds{400, 60, 440, 76}));
  EXPECT_EQ(graphics.strings[0].style.colour, (IRgba{255, 1, 2, 3}));
  EXPECT_EQ(graphics.strings[0].style.alignment, ITextStyle::kRight);
}

TEST_F(TextControlTest, AnEmptyTextDrawsNothingAndSucceeds) {
  ITextControl empty(&plugin, {0, 0, 10, 10}, {}, nullptr);
  EXPECT_TRUE(empty.Draw(graphics));
  EXPECT_TRUE(graphics.strings.empty());
  EXPECT_EQ(empty.Text(), "");
}

TEST_F(TextControlTest, IsNotBoundToAParameter) {
  ITextControl label(&plugin, {0, 0, 10, 10}, {}, "x");
  EXPECT_EQ(label.ParameterIndex(), -1);
}

TEST_F(TextControlTest, SettingTheSameTextLeavesItClean) {
  ITextControl label(&plugin, {0, 0, 10, 10}, {}, "abc");
  label.MarkClean();
  label.SetText("abc");
  EXPECT_FALSE(label.IsDirty());
  ITextControl empty(&plugin, {0, 0, 10, 10}, {}, nullptr);
  empty.MarkClean();
  empty.SetText("");
  empty.SetText(nullptr);
  EXPECT_FALSE(empty.IsDirty());
}

TEST_F(TextControlTest, SettingADifferentTextMakesItDirty) {
  ITextControl label(&plugin, {0, 0, 10, 10}, {}, "abc");
  label.MarkClean();
  label.SetText("abd");
  EXPECT_TRUE(label.IsDirty());
  EXPECT_EQ(label.Text(), "abd");
}

TEST_F(TextControlTest, TheGreyedColourIsEachChannelLessOneHundredAndTwentyEight) {
  ITextControl text(&plugin, {0, 0, 10, 10}, StyleIn({200, 200, 160, 250}), "x");
  EXPECT_EQ(text.GreyedColour(), (IRgba{255, 72, 32, 122}));
  EXPECT_EQ(text.NormalColour(), (IRgba{200, 200, 160, 250}));
}

TEST_F(TextControlTest, DarkColoursGreyToBlack) {
  ITextControl text(&plugin, {0, 0, 10, 10}, StyleIn({255, 100, 128, 129}), "x");
  EXPECT_EQ(text.GreyedColour(), (IRgba{255, 0, 0, 1}));
}

TEST_F(TextControlTest, GreyingDrawsTheTextDarkerAndUngreyingRestoresIt) {
  ITextControl text(&plugin, {0, 0, 10, 10}, StyleIn({255, 255, 255, 255}), "x");
  text.MarkClean();
  text.SetGreyed(true);
  EXPECT_TRUE(text.IsDirty());
  EXPECT_EQ(text.Blend().weight, 0.25f);
  text.Draw(graphics);
  EXPECT_EQ(graphics.strings.back().style.colour, (IRgba{255, 127, 127, 127}));
  text.SetGreyed(false);
  text.Draw(graphics);
  EXPECT_EQ(graphics.strings.back().style.colour, (IRgba{255, 255, 255, 255}));
}

TEST_F(TextControlTest, ANewStyleTakesNewColoursOnlyAfterARefresh) {
  ITextControl text(&plugin, {0, 0, 10, 10}, StyleIn({255, 255, 255, 255}), "x");
  text.MarkClean();
  text.SetTextStyle(StyleIn({255, 200, 200, 200}));
  EXPECT_TRUE(text.IsDirty());
  EXPECT_EQ(text.NormalColour(), (IRgba{255, 255, 255, 255}));
  text.RefreshTextColours();
  EXPECT_EQ(text.NormalColour(), (IRgba{255, 200, 200, 200}));
  EXPECT_EQ(text.GreyedColour(), (IRgba{255, 72, 72, 72}));
}

}  // namespace
