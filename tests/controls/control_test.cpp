// Tests of the control base: observers, values from either side, dirty flags, hit testing,
// greying and the value prompt.
#include "controls/control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

class CountingObserver : public IObserverInterface {
 public:
  explicit CountingObserver(std::vector<int>* order = nullptr, int id = 0)
      : order_(order), id_(id) {}
  void Update() override {
    ++updates;
    if (order_) order_->push_back(id_);
  }
  int updates = 0;

 private:
  std::vector<int>* order_;
  int id_;
};

class ControlTest : public ::testing::Test {
 protected:
  TestPlugin plugin;
  ProbeControl control{&plugin, {10, 20, 30, 40}, TestPlugin::kAmount};
  IMouseModifiers none{};
};

// ---- Observers ------------------------------------------------------------------------------

TEST_F(ControlTest, AnObserverAttachedTwiceIsUpdatedOnce) {
  CountingObserver observer;
  control.AttachObserver(&observer);
  control.AttachObserver(&observer);
  control.MarkDirty(false);
  control.NotifyObservers();
  EXPECT_EQ(observer.updates, 1);
  EXPECT_EQ(control.ObserverCount(), 1);
}

TEST_F(ControlTest, SeveralChangesBetweenScansGiveOneUpdatePerObserver) {
  CountingObserver first, second;
  control.AttachObserver(&first);
  control.AttachObserver(&second);
  control.SetValueFromPlugin(0.1);
  control.SetValueFromPlugin(0.2);
  control.SetValueFromPlugin(0.3);
  control.NotifyObservers();
  control.NotifyObservers();
  EXPECT_EQ(first.updates, 1);
  EXPECT_EQ(second.updates, 1);
}

TEST_F(ControlTest, ObserversAreUpdatedInOrderOfAttachment) {
  std::vector<int> order;
  CountingObserver a(&order, 1), b(&order, 2), c(&order, 3);
  control.AttachObserver(&b);
  control.AttachObserver(&a);
  control.AttachObserver(&c);
  control.MarkDirty(false);
  control.NotifyObservers();
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));
}

TEST_F(ControlTest, NothingIsNotifiedWithoutAChange) {
  CountingObserver observer;
  control.AttachObserver(&observer);
  control.NotifyObservers();  // the construction itself is no change
  EXPECT_EQ(observer.updates, 0);
}

// Changes the control it observes, as a read-out might.
class Rearming : public IObserverInterface {
 public:
  explicit Rearming(IControl* subject) : subject_(subject) {}
  void Update() override {
    if (++updates == 1) subject_->MarkDirty(false);
  }
  int updates = 0;

 private:
  IControl* subject_;
};

TEST_F(ControlTest, AnObserverThatChangesTheControlIsCalledAgainAtTheNextScan) {
  Rearming observer(&control);
  control.AttachObserver(&observer);
  control.MarkDirty(false);
  control.NotifyObservers();
  EXPECT_EQ(observer.updates, 1);
  EXPECT_TRUE(control.NotificationPending());
  control.NotifyObservers();
  EXPECT_EQ(observer.updates, 2);
  control.NotifyObservers();
  EXPECT_EQ(observer.updates, 2);
}

// ---- Values from the plug-in side -----------------------------------------------------------

TEST_F(ControlTest, AFreshControlIsDirtyAndHasNoDefault) {
  EXPECT_TRUE(control.IsDirty());
  EXPECT_LT(control.DefaultValue(), 0.0);
}

TEST_F(ControlTest, TheFirstPushedValueBecomesTheDefaultThatADoubleClickRestores) {
  control.SetValueFromPlugin(0.4);
  control.SetValueFromPlugin(0.9);
  EXPECT_EQ(control.DefaultValue(), 0.4);
  control.OnMouseDoubleClick(15, 25, none);
  EXPECT_EQ(control.Value(), 0.4);
  // The double click is a user edit: the plug-in hears of it.
  ASSERT_EQ(plugin.informs.size(), 1u);
  EXPECT_DOUBLE_EQ(plugin.GetParameter(TestPlugin::kAmount)->Value(), 0.4);
}

TEST_F(ControlTest, ADoubleClickWithoutADefaultDoesNothing) {
  control.OnMouseDoubleClick(15, 25, none);
  EXPECT_EQ(control.Value(), 0.0);
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(ControlTest, APushedValueAboveOneIsStoredAsOneAndNotSentBack) {
  control.SetValueFromPlugin(1.7);
  EXPECT_EQ(control.Value(), 1.0);
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(ControlTest, APushedNaNIsStoredAsTheLowerBound) {
  control.SetValueFromPlugin(0.5);
  control.SetValueFromPlugin(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(control.Value(), 0.0);
}

TEST_F(ControlTest, PushingTheSameValueAgainLeavesTheControlClean) {
  control.SetValueFromPlugin(0.5);
  control.MarkClean();
  control.MarkClean();
  ASSERT_FALSE(control.IsDirty());
  control.SetValueFromPlugin(0.5);
  EXPECT_FALSE(control.IsDirty());
}

TEST_F(ControlTest, APushedValueIsDirtyForTwoCleanings) {
  control.MarkClean();
  control.SetValueFromPlugin(0.5);
  EXPECT_TRUE(control.IsDirty());
  EXPECT_TRUE(control.RedrawRequested());
  control.MarkClean();
  EXPECT_TRUE(control.IsDirty());
  EXPECT_FALSE(control.RedrawRequested());
  control.MarkClean();
  EXPECT_FALSE(control.IsDirty());
}

TEST_F(ControlTest, OnlyAChangeAfterTheScanLookedOutlivesTheNextCleaning) {
  control.MarkClean();
  control.MarkDirty(false);  // seen by the scan, so drawn by its pass
  control.NoteScanned();
  control.MarkClean();
  EXPECT_FALSE(control.IsDirty());
  control.NoteScanned();     // the scan found it clean: it lies outside the area
  control.MarkDirty(false);  // then a change lands, from another thread
  control.MarkClean();
  EXPECT_TRUE(control.IsDirty()) << "lost: neither drawn nor dirty";
  control.NoteScanned();
  control.MarkClean();
  EXPECT_FALSE(control.IsDirty());
}

// ---- Values from the user -------------------------------------------------------------------

TEST_F(ControlTest, AWheelNotchMovesTheValueByAHundredth) {
  control.SetValueFromPlugin(0.5);
  control.OnMouseWheel(15, 25, none, 3);
  EXPECT_DOUBLE_EQ(control.Value(), 0.53);
  EXPECT_DOUBLE_EQ(plugin.GetParameter(TestPlugin::kAmount)->Value(), 0.53);
}

TEST_F(ControlTest, AWheelNotchWithShiftOrControlMovesByAThousandth) {
  control.SetValueFromPlugin(0.5);
  control.OnMouseWheel(15, 25, {false, false, true, false, false}, 3);
  EXPECT_DOUBLE_EQ(control.Value(), 0.503);
  control.OnMouseWheel(15, 25, {false, false, false, true, false}, -3);
  EXPECT_DOUBLE_EQ(control.Value(), 0.5);
}

TEST_F(ControlTest, TheWheelStopsAtEitherEnd) {
  control.SetValueFromPlugin(0.99);
  control.OnMouseWheel(15, 25, none, 3);
  EXPECT_EQ(control.Value(), 1.0);
  control.OnMouseWheel(15, 25, none, -300);
  EXPECT_EQ(control.Value(), 0.0);
}

TEST_F(ControlTest, MarkingDirtyWithPushSendsTheValueToTheBoundParameter) {
  control.OnMouseWheel(15, 25, none, 50);
  ASSERT_EQ(plugin.informs.size(), 1u);
  EXPECT_EQ(plugin.informs[0].index, TestPlugin::kAmount);
  EXPECT_DOUBLE_EQ(plugin.informs[0].normalized, 0.5);
  control.MarkDirty(false);
  EXPECT_EQ(plugin.informs.size(), 1u);
}

TEST_F(ControlTest, AnUnboundControlSendsNothing) {
  ProbeControl unbound(&plugin, {0, 0, 10, 10}, -1);
  unbound.OnMouseWheel(5, 5, none, 10);
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(ControlTest, AUserValueEqualToTheCurrentOneChangesNothing) {
  control.SetValueFromPlugin(0.25);
  control.MarkClean();
  control.MarkClean();
  control.SetValueFromUser(0.25);
  EXPECT_FALSE(control.IsDirty());
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(ControlTest, ADifferentUserValueIsSentAndDrawnTwice) {
  control.MarkClean();
  control.SetValueFromUser(0.75);
  EXPECT_EQ(plugin.informs.size(), 1u);
  EXPECT_TRUE(control.RedrawRequested());
  control.MarkClean();
  EXPECT_TRUE(control.IsDirty());
}

TEST_F(ControlTest, ResetWithoutADefaultEndsAtTheLowerBound) {
  control.SetValueFromUser(0.6);
  control.ResetToDefault();
  EXPECT_EQ(control.Value(), 0.0);
  EXPECT_TRUE(control.RedrawRequested());
}

// ---- Hit testing, hiding and greying --------------------------------------------------------

TEST_F(ControlTest, HitsIncludeTheTopLeftEdgesAndExcludeTheBottomRightOnes) {
  EXPECT_TRUE(control.HitTest(10, 20));
  EXPECT_TRUE(control.HitTest(29, 39));
  EXPECT_FALSE(control.HitTest(30, 25));
  EXPECT_FALSE(control.HitTest(15, 40));
  EXPECT_FALSE(control.HitTest(9, 25));
}

TEST_F(ControlTest, AControlWithAllZeroBoundsIsNeverHit) {
  ProbeControl nowhere(&plugin, {0, 0, 0, 0});
  EXPECT_FALSE(nowhere.HitTest(0, 0));
}

TEST_F(ControlTest, GreyingSetsTheBlendWeightExactlyAndKeepsTheValue) {
  ProbeControl faint(&plugin, {0, 0, 1, 1});
  faint.SetValueFromPlugin(0.6);
  faint.SetGreyed(true);
  EXPECT_EQ(faint.Blend().weight, 0.25f);
  EXPECT_TRUE(faint.IsGreyed());
  faint.SetGreyed(false);
  EXPECT_EQ(faint.Blend().weight, 1.0f);
  EXPECT_EQ(faint.Value(), 0.6);
}

TEST_F(ControlTest, GreyingAndHidingAreDrawnInTwoPassesLikePushedValues) {
  control.MarkClean();
  control.SetGreyed(true);
  EXPECT_TRUE(control.IsDirty());
  EXPECT_TRUE(control.RedrawRequested());
  control.MarkClean();
  control.MarkClean();
  control.SetHidden(true);
  EXPECT_TRUE(control.IsHidden());
  EXPECT_TRUE(control.RedrawRequested());
}

// ---- The value prompt -----------------------------------------------------------------------

class PromptTest : public ::testing::Test {
 protected:
  PromptTest() {
    graphics = new RecordingGraphics(&plugin);
    plugin.AttachEditor(graphics);  // the plug-in owns it from here on
  }
  TestPlugin plugin;
  RecordingGraphics* graphics;
  IMouseModifiers right{false, true, false, false, false};
};

TEST_F(PromptTest, ARightClickOpensTheValueEntryForTheBoundParameter) {
  ProbeControl control(&plugin, {0, 0, 10, 10}, TestPlugin::kGain);
  control.MarkClean();
  control.OnMouseDown(5, 5, right);
  ASSERT_EQ(graphics->entries.size(), 1u);
  EXPECT_EQ(graphics->entries[0].control, &control);
  EXPECT_EQ(graphics->entries[0].parameter, plugin.GetParameter(TestPlugin::kGain));
  EXPECT_FALSE(graphics->entries[0].textMode);
  EXPECT_TRUE(control.RedrawRequested());
}

TEST_F(PromptTest, ALeftClickOpensNothing) {
  ProbeControl control(&plugin, {0, 0, 10, 10}, TestPlugin::kGain);
  control.OnMouseDown(5, 5, {true, false, false, false, false});
  EXPECT_TRUE(graphics->entries.empty());
}

TEST_F(PromptTest, AnUnboundOrDisabledControlOpensNothing) {
  ProbeControl unbound(&plugin, {0, 0, 10, 10}, -1);
  unbound.OnMouseDown(5, 5, right);
  ProbeControl disabled(&plugin, {0, 0, 10, 10}, TestPlugin::kGain);
  disabled.SetPromptDisabled(true);
  disabled.OnMouseDown(5, 5, right);
  EXPECT_TRUE(graphics->entries.empty());
}

TEST_F(PromptTest, AnIndexBeyondTheParameterListOpensTheEntryWithoutAParameter) {
  ProbeControl stray(&plugin, {0, 0, 10, 10}, 99);
  stray.PromptForValue();
  ASSERT_EQ(graphics->entries.size(), 1u);
  EXPECT_EQ(graphics->entries[0].parameter, nullptr);
}

}  // namespace
