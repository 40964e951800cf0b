// Tests of switches and momentary buttons: cycling through frames, the prompt, press and release.
#include "controls/switch_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

class SwitchTest : public ::testing::Test {
 protected:
  SwitchTest() {
    graphics = new RecordingGraphics(&plugin);
    plugin.AttachEditor(graphics);
  }
  std::vector<double> Clicks(IControl& control, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
      control.OnMouseDown(1, 1, left);
      values.push_back(control.Value());
    }
    return values;
  }
  std::vector<double> SentValues() const {
    std::vector<double> values;
    for (const auto& inform : plugin.informs) values.push_back(inform.normalized);
    return values;
  }

  TestPlugin plugin;
  RecordingGraphics* graphics;
  IMouseModifiers left{true, false, false, false, false};
  IMouseModifiers right{false, true, false, false, false};
};

TEST_F(SwitchTest, ATwoFrameSwitchTogglesBetweenOffAndOn) {
  ISwitchControl toggle(&plugin, 0, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  EXPECT_EQ(Clicks(toggle, 4), (std::vector<double>{1.0, 0.0, 1.0, 0.0}));
  EXPECT_EQ(SentValues(), (std::vector<double>{1.0, 0.0, 1.0, 0.0}));
}

TEST_F(SwitchTest, AThreeFrameSwitchStepsByHalvesAndWraps) {
  ISwitchControl selector(&plugin, 0, 0, TestPlugin::kAmount, IImage{nullptr, 10, 30, 3});
  EXPECT_EQ(Clicks(selector, 4), (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
}

TEST_F(SwitchTest, StepsThatDoNotAddUpToOneStillReachTheLastFrame) {
  // Nine ninths add up to a hair above 1.0, which must count as the end, not wrap early.
  ISwitchControl selector(&plugin, 0, 0, -1, IImage{nullptr, 10, 100, 10});
  const std::vector<double> values = Clicks(selector, 10);
  EXPECT_EQ(values[8], 1.0);
  EXPECT_EQ(values[9], 0.0);
}

TEST_F(SwitchTest, AOneFrameSwitchAlternatesBetweenZeroAndOne) {
  ISwitchControl lamp(&plugin, 0, 0, -1, IImage{nullptr, 10, 10, 1});
  EXPECT_EQ(Clicks(lamp, 3), (std::vector<double>{1.0, 0.0, 1.0}));
}

TEST_F(SwitchTest, ARightClickPromptsAndStillReportsTheUnchangedValue) {
  ISwitchControl toggle(&plugin, 0, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  toggle.OnMouseDown(1, 1, right);
  EXPECT_EQ(graphics->entries.size(), 1u);
  EXPECT_EQ(toggle.Value(), 0.0);
  EXPECT_EQ(SentValues(), std::vector<double>{0.0});
}

TEST_F(SwitchTest, AContactReportsOneOnPressAndZeroOnRelease) {
  IContactControl button(&plugin, 765, 65, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  button.OnMouseDown(766, 66, left);
  EXPECT_EQ(button.Value(), 1.0);
  button.OnMouseUp(766, 66, left);
  EXPECT_EQ(button.Value(), 0.0);
  EXPECT_EQ(SentValues(), (std::vector<double>{1.0, 0.0}));
}

TEST_F(SwitchTest, ContactsTreatADoubleClickAsASecondPress) {
  IContactControl contact(&plugin, 0, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  IContactControlNoDblClick other(&plugin, 20, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  ISwitchControl plain(&plugin, 40, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  EXPECT_TRUE(contact.DoubleClickIsClick());
  EXPECT_TRUE(other.DoubleClickIsClick());
  EXPECT_FALSE(plain.DoubleClickIsClick());
}

TEST_F(SwitchTest, ADoubleClickedContactProducesTwoPresses) {
  auto* button =
      new IContactControl(&plugin, 0, 0, TestPlugin::kEnabled, IImage{nullptr, 10, 20, 2});
  graphics->AttachControl(button);
  graphics->HandleMouseDown(1, 1, left);
  graphics->HandleMouseUp(1, 1, left);
  EXPECT_TRUE(graphics->HandleDoubleClick(1, 1, left));
  graphics->HandleMouseUp(1, 1, left);
  EXPECT_EQ(SentValues(), (std::vector<double>{1.0, 0.0, 1.0, 0.0}));
}

}  // namespace
