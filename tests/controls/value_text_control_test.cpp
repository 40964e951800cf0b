// Tests of the value field: dragging and the wheel with gearing and wrap-around, and its text.
#include "controls/value_text_control.h"

#include <gtest/gtest.h>

#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

class ValueTextTest : public ::testing::Test {
 protected:
  // A 20 pixel high field with gearing 4, bound to parameter.
  IValueTextControl Field(int parameter, int direction = 0, double gearing = 4.0) {
    return IValueTextControl(&plugin, {460, 100, 480, 120}, parameter, {}, nullptr, true, true,
                             direction, gearing);
  }
  std::string DrawnText(IValueTextControl& field) {
    graphics.strings.clear();
    field.Draw(graphics);
    return graphics.strings.empty() ? "<nothing>" : graphics.strings[0].text;
  }

  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
  IMouseModifiers none{};
  IMouseModifiers shift{false, false, true, false, false};
  IMouseModifiers control{false, false, false, true, false};
};

TEST_F(ValueTextTest, DraggingUpOverTheFullHeightRaisesByOneOverTheGearing) {
  IValueTextControl field = Field(TestPlugin::kAmount);
  field.SetValueFromPlugin(0.5);
  field.OnMouseDrag(470, 90, 0, -20, none);
  EXPECT_DOUBLE_EQ(field.Value(), 0.75);
  field.OnMouseDrag(470, 100, 0, 10, none);
  EXPECT_DOUBLE_EQ(field.Value(), 0.625);
  EXPECT_DOUBLE_EQ(plugin.GetParameter(TestPlugin::kAmount)->Value(), 0.625);
}

TEST_F(ValueTextTest, AHorizontalFieldRisesWhenDraggedRight) {
  IValueTextControl field = Field(TestPlugin::kAmount, 1, 2.0);
  field.SetValueFromPlugin(0.5);
  field.OnMouseDrag(475, 110, 5, -40, none);
  EXPECT_DOUBLE_EQ(field.Value(), 0.625);
}

TEST_F(ValueTextTest, DraggingPastEitherEndWrapsAround) {
  IValueTextControl field = Field(TestPlugin::kAmount);
  field.SetValueFromPlugin(0.1);
  field.OnMouseDrag(470, 120, 0, 10, none);  // 0.1 - 0.125
  EXPECT_EQ(field.Value(), 1.0);
  field.OnMouseDrag(470, 110, 0, -1, none);  // 1.0 + 0.0125
  EXPECT_EQ(field.Value(), 0.0);
}

TEST_F(ValueTextTest, AWheelNotchOnAnIntegerParameterIsOneStep) {
  IValueTextControl field = Field(TestPlugin::kNote);
  field.SetValueFromPlugin(60.0 / 127.0);
  field.OnMouseWheel(470, 110, shift, 1);  // modifiers do not matter for stepped parameters
  EXPECT_DOUBLE_EQ(field.Value(), 61.0 / 127.0);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kNote)->Value(), 61.0);
  field.OnMouseWheel(470, 110, none, -3);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kNote)->Value(), 58.0);
}

TEST_F(ValueTextTest, AWheelNotchOnAContinuousParameterIsAHundredthOrAThousandth) {
  IValueTextControl field = Field(TestPlugin::kGain);
  EXPECT_EQ(field.WheelStep(none), 0.01);
  EXPECT_EQ(field.WheelStep(shift), 0.001);
  EXPECT_EQ(field.WheelStep(control), 0.001);
  field.SetValueFromPlugin(0.5);
  field.OnMouseWheel(470, 110, none, 2);
  EXPECT_DOUBLE_EQ(field.Value(), 0.52);
}

TEST_F(ValueTextTest, TheWheelWrapsAroundLikeADrag) {
  IValueTextControl field = Field(TestPlugin::kNote);
  field.SetValueFromPlugin(1.0);
  field.OnMouseWheel(470, 110, none, 1);
  EXPECT_EQ(field.Value(), 0.0);
  field.OnMouseWheel(470, 110, none, -1);
  EXPECT_EQ(field.Value(), 1.0);
}

TEST_F(ValueTextTest, AFieldWithoutAnyParameterStepsByAHundredth) {
  IValueTextControl field = Field(-1);
  EXPECT_EQ(field.WheelStep(shift), 0.01);
}

TEST_F(ValueTextTest, AnUnboundFieldUsesAndUpdatesItsOwnParameter) {
  IParameter own;
  own.DefineInteger("Own", 0, 0, 10, "st");
  IValueTextControl field(&plugin, {0, 0, 20, 20}, -1, {}, &own, true, true, 0, 4.0);
  EXPECT_DOUBLE_EQ(field.WheelStep(none), 0.1);
  field.SetValueFromPlugin(0.3);
  EXPECT_EQ(DrawnText(field), "3 st");
  EXPECT_EQ(own.Value(), 3.0);
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(ValueTextTest, AGreyedFieldIgnoresDragAndWheelButStillShowsItsText) {
  IValueTextControl field = Field(TestPlugin::kNote);
  field.SetValueFromPlugin(60.0 / 127.0);
  field.SetGreyed(true);
  field.OnMouseDrag(470, 100, 0, -20, none);
  field.OnMouseWheel(470, 100, none, 5);
  EXPECT_DOUBLE_EQ(field.Value(), 60.0 / 127.0);
  EXPECT_TRUE(plugin.informs.empty());
  EXPECT_EQ(DrawnText(field), "60 ");
}

TEST_F(ValueTextTest, ShowsTheDisplayTextABlankAndTheUnit) {
  IValueTextControl field = Field(TestPlugin::kGain);
  plugin.GetParameter(TestPlugin::kGain)->SetValueClamped(2.5);
  EXPECT_EQ(DrawnText(field), "2.50 dB");
}

TEST_F(ValueTextTest, AnEmptyUnitStillGetsItsBlank) {
  IValueTextControl field = Field(TestPlugin::kNote);
  EXPECT_EQ(DrawnText(field), "60 ");
}

TEST_F(ValueTextTest, WithoutTheUnitOnlyTheDisplayTextIsShown) {
  IValueTextControl field(&plugin, {0, 0, 20, 20}, TestPlugin::kGain, {}, nullptr, true, false, 0,
                          4.0);
  EXPECT_EQ(DrawnText(field), "5.00");
}

TEST_F(ValueTextTest, WithoutShowValueTheTextIsLeftAlone) {
  IValueTextControl field(&plugin, {0, 0, 20, 20}, TestPlugin::kGain, {}, nullptr, false, true, 0,
                          4.0);
  EXPECT_EQ(DrawnText(field), "<nothing>");
}

}  // namespace
