// Tests of the graphics core: the control list, value pushes, the dirty scan, the draw pass and
// mouse and key dispatch.
#include "graphics/graphics_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/bitmap_control.h"
#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

using Strings = std::vector<std::string>;

class GraphicsCoreTest : public ::testing::Test {
 protected:
  ProbeControl* Attach(const IBounds& bounds, int parameterIndex = -1,
                       const std::string& name = "") {
    auto* control = new ProbeControl(&plugin, bounds, parameterIndex, &journal, name);
    graphics.AttachControl(control);
    return control;
  }
  // One timer tick and paint: scan from an all-zero area and draw what it found.
  IBounds Tick() {
    IBounds area;
    if (graphics.CollectDirtyArea(area)) graphics.DrawArea(area);
    return area;
  }

  Strings journal;  // outlives the controls, which log their destruction into it
  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
  IMouseModifiers left{true, false, false, false, false};
};

// ---- Construction and the control list ------------------------------------------------------

TEST(GraphicsCoreConstruction, AFrameRateOfZeroOrLessMeansTwentyFour) {
  TestPlugin plugin;
  EXPECT_EQ(RecordingGraphics(&plugin, 0).FramesPerSecond(), 24);
  EXPECT_EQ(RecordingGraphics(&plugin, -5).FramesPerSecond(), 24);
  EXPECT_EQ(RecordingGraphics(&plugin, 30).FramesPerSecond(), 30);
}

TEST_F(GraphicsCoreTest, AttachingReturnsThePreviousControlCount) {
  EXPECT_EQ(graphics.AttachControl(new ProbeControl(&plugin, {0, 0, 1, 1})), 0);
  EXPECT_EQ(graphics.AttachControl(new ProbeControl(&plugin, {0, 0, 1, 1})), 1);
  EXPECT_EQ(graphics.ControlCount(), 2);
}

TEST_F(GraphicsCoreTest, IndicesOutsideTheListGiveNoControl) {
  Attach({0, 0, 1, 1});
  EXPECT_NE(graphics.GetControl(0), nullptr);
  EXPECT_EQ(graphics.GetControl(1), nullptr);
  EXPECT_EQ(graphics.GetControl(-1), nullptr);
}

TEST_F(GraphicsCoreTest, BackgroundGoesToIndexZeroBeforeEarlierControls) {
  ProbeControl* a = Attach({10, 10, 20, 20});
  ProbeControl* b = Attach({30, 10, 40, 20});
  ProbeControl* c = Attach({50, 10, 60, 20});
  graphics.skinImage = {nullptr, 800, 400, 1};
  graphics.AttachBackground(104, "img/bg.png");

  ASSERT_EQ(graphics.ControlCount(), 4);
  EXPECT_EQ(graphics.GetControl(1), a);
  EXPECT_EQ(graphics.GetControl(2), b);
  EXPECT_EQ(graphics.GetControl(3), c);
  EXPECT_EQ(graphics.loadedIds, std::vector<int>{104});

  IControl* background = graphics.GetControl(0);
  EXPECT_EQ(background->DrawBounds(), (IBounds{0, 0, 800, 400}));
  EXPECT_EQ(background->ParameterIndex(), -1);
  EXPECT_EQ(background->Blend().method, IBlend::kCopy);
  EXPECT_EQ(background->Blend().weight, 1.0f);
  // Drawn first, hit last.
  EXPECT_EQ(graphics.FindControlAt(15, 15), 1);
  EXPECT_EQ(graphics.FindControlAt(300, 300), 0);
  graphics.DrawArea({0, 0, 800, 400});
  ASSERT_FALSE(graphics.bitmaps.empty());
  EXPECT_EQ(graphics.bitmaps.front().blend.method, IBlend::kCopy);
}

TEST_F(GraphicsCoreTest, DestructionDeletesControlsFromLastToFirst) {
  {
    RecordingGraphics local(&plugin);
    local.AttachControl(new ProbeControl(&plugin, {0, 0, 1, 1}, -1, &journal, "first"));
    local.AttachControl(new ProbeControl(&plugin, {0, 0, 1, 1}, -1, &journal, "second"));
    local.AttachControl(new ProbeControl(&plugin, {0, 0, 1, 1}, -1, &journal, "third"));
  }
  EXPECT_EQ(journal, (Strings{"third destroyed", "second destroyed", "first destroyed"}));
}

TEST_F(GraphicsCoreTest, ResizeDeletesEveryControlAndTellsThePlugin) {
  Attach({0, 0, 10, 10}, 1);
  graphics.HandleMouseDown(5, 5, left);
  graphics.Resize(640, 480);
  EXPECT_EQ(graphics.ControlCount(), 0);
  EXPECT_EQ(graphics.CapturedControl(), -1);
  EXPECT_EQ(graphics.Width(), 640);
  EXPECT_EQ(plugin.resizedWidth, 640);
  EXPECT_EQ(plugin.resizedHeight, 480);
}

// ---- Values pushed from the plug-in ---------------------------------------------------------

TEST_F(GraphicsCoreTest, ParameterValuesReachEveryControlBoundToThatParameterOnly) {
  ProbeControl* first = Attach({0, 0, 1, 1}, TestPlugin::kAmount);
  ProbeControl* other = Attach({0, 0, 1, 1}, TestPlugin::kGain);
  ProbeControl* second = Attach({0, 0, 1, 1}, TestPlugin::kAmount);
  graphics.SetParameterFromPlugin(TestPlugin::kAmount, 0.75, true);
  EXPECT_EQ(first->Value(), 0.75);
  EXPECT_EQ(second->Value(), 0.75);
  EXPECT_EQ(other->Value(), 0.0);
  EXPECT_TRUE(plugin.informs.empty());
}

TEST_F(GraphicsCoreTest, PlainParameterValuesAreNormalizedAndClampedOnTheWay) {
  ProbeControl* gain = Attach({0, 0, 1, 1}, TestPlugin::kGain);
  graphics.SetParameterFromPlugin(TestPlugin::kGain, 2.5, false);
  EXPECT_DOUBLE_EQ(gain->Value(), 0.25);
  graphics.SetParameterFromPlugin(TestPlugin::kGain, 42.0, false);
  EXPECT_EQ(gain->Value(), 1.0);
}

TEST_F(GraphicsCoreTest, ControlValuesAddressedByIndexIgnoreIndicesOutsideTheList) {
  ProbeControl* lamp = Attach({0, 0, 1, 1});
  graphics.SetControlFromPlugin(1, 0.5);
  graphics.SetControlFromPlugin(-1, 0.5);
  EXPECT_EQ(lamp->Value(), 0.0);
  graphics.SetControlFromPlugin(0, 0.5);
  EXPECT_EQ(lamp->Value(), 0.5);
}

// ---- Dirty scan and draw pass ---------------------------------------------------------------

TEST_F(GraphicsCoreTest, NewControlsAreDrawnInTheFirstPassAndThenLeftAlone) {
  ProbeControl* a = Attach({10, 10, 20, 20});
  ProbeControl* b = Attach({50, 30, 60, 45});
  EXPECT_EQ(Tick(), (IBounds{10, 10, 60, 45}));
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 1);
  IBounds area;
  EXPECT_FALSE(graphics.CollectDirtyArea(area));
  EXPECT_TRUE(area.IsEmpty());
}

TEST_F(GraphicsCoreTest, DrawingFollowsTheListOrderAndPresentsTheArea) {
  Attach({10, 10, 20, 20}, -1, "a");
  Attach({0, 0, 30, 30}, -1, "b");
  graphics.DrawArea({0, 0, 30, 30});
  EXPECT_EQ(journal, (Strings{"a draw", "b draw"}));
  EXPECT_EQ(graphics.presented, std::vector<IBounds>{(IBounds{0, 0, 30, 30})});
  EXPECT_EQ(graphics.DrawBounds(), (IBounds{0, 0, 30, 30}));
}

TEST_F(GraphicsCoreTest, AControlWithAllZeroBoundsIsNeverInTheAreaNorDrawn) {
  ProbeControl* nowhere = Attach({0, 0, 0, 0});
  Attach({5, 5, 10, 10});
  EXPECT_EQ(Tick(), (IBounds{5, 5, 10, 10}));
  graphics.DrawArea({0, 0, 800, 400});
  EXPECT_EQ(nowhere->draws, 0);
}

TEST_F(GraphicsCoreTest, AControlThatOnlyTouchesTheAreaIsDrawnToo) {
  Attach({0, 0, 10, 10});
  ProbeControl* neighbour = Attach({10, 0, 20, 10});
  ProbeControl* below = Attach({0, 10, 10, 20});
  ProbeControl* apart = Attach({11, 0, 20, 10});
  graphics.DrawArea({0, 0, 10, 10});
  EXPECT_EQ(neighbour->draws, 1);
  EXPECT_EQ(below->draws, 1);
  EXPECT_EQ(apart->draws, 0);
}

TEST_F(GraphicsCoreTest, HiddenControlsAreNotDrawnButAreMarkedClean) {
  ProbeControl* hidden = Attach({0, 0, 10, 10});
  hidden->SetHidden(true);  // also requests a redraw
  graphics.DrawArea({0, 0, 10, 10});
  graphics.DrawArea({0, 0, 10, 10});
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_FALSE(hidden->IsDirty());
}

TEST_F(GraphicsCoreTest, AValueFromThePluginIsDrawnInTwoConsecutivePasses) {
  ProbeControl* meter = Attach({0, 0, 10, 10});
  Tick();
  graphics.SetControlFromPlugin(0, 0.5);
  Tick();
  Tick();
  Tick();
  EXPECT_EQ(meter->drawnValues, (std::vector<double>{0.0, 0.5, 0.5}));
}

TEST_F(GraphicsCoreTest, ADirtyControlOutsideASmallerUpdateAreaIsCleanedWithoutDrawing) {
  ProbeControl* inside = Attach({0, 0, 10, 10});
  ProbeControl* outside = Attach({100, 100, 110, 110});
  graphics.DrawArea({0, 0, 10, 10});
  EXPECT_EQ(inside->draws, 1);
  EXPECT_EQ(outside->draws, 0);
  EXPECT_FALSE(outside->IsDirty());
}

TEST_F(GraphicsCoreTest, ARedrawRequestKeepsAControlOutsideTheAreaDirty) {
  ProbeControl* outside = Attach({100, 100, 110, 110});
  graphics.SetControlFromPlugin(0, 0.3);
  graphics.DrawArea({0, 0, 10, 10});
  EXPECT_TRUE(outside->IsDirty());
  graphics.DrawArea({0, 0, 10, 10});
  EXPECT_FALSE(outside->IsDirty());
}

TEST_F(GraphicsCoreTest, AChangeOfLookBetweenTheScanAndThePassIsDrawnByTheNextTick) {
  Attach({90, 145, 189, 245}, -1, "meter");
  ProbeControl* button = Attach({765, 65, 775, 75}, -1, "button");
  Tick();
  graphics.SetControlFromPlugin(0, 0.5);
  IBounds area;
  ASSERT_TRUE(graphics.CollectDirtyArea(area));
  button->SetGreyed(true);  // the host's thread, while the editor's is between scan and paint
  graphics.DrawArea(area);
  EXPECT_EQ(button->draws, 1);
  Tick();
  EXPECT_EQ(button->draws, 2) << "greyed on the screen too";
}

TEST_F(GraphicsCoreTest, MarkingAllDirtyPutsEveryControlInTheNextArea) {
  Attach({0, 0, 10, 10});
  Attach({90, 90, 100, 100});
  Tick();
  graphics.MarkAllControlsDirty();
  EXPECT_EQ(Tick(), (IBounds{0, 0, 100, 100}));
}

TEST_F(GraphicsCoreTest, AnEmptyListStillPresentsTheArea) {
  EXPECT_TRUE(graphics.DrawArea({0, 0, 50, 50}));
  EXPECT_EQ(graphics.presented, std::vector<IBounds>{(IBounds{0, 0, 50, 50})});
}

// An observer that dirties another control, as a read-out dirties its text.
class Dirtier : public IObserverInterface {
 public:
  Dirtier(IControl* target, Strings* journal, std::string name)
      : target_(target), journal_(journal), name_(std::move(name)) {}
  void Update() override {
    journal_->push_back(name_);
    if (target_) target_->MarkDirty(false);
  }

 private:
  IControl* target_;
  Strings* journal_;
  std::string name_;
};

TEST_F(GraphicsCoreTest, AReadOutLaterInTheListIsCaughtInTheSameScan) {
  ProbeControl* fader = Attach({0, 0, 10, 10});
  ProbeControl* text = Attach({50, 50, 60, 60});
  Dirtier readOut(text, &journal, "update");
  fader->AttachObserver(&readOut);
  Tick();
  journal.clear();
  graphics.SetControlFromPlugin(0, 0.4);
  IBounds area;
  ASSERT_TRUE(graphics.CollectDirtyArea(area));
  EXPECT_EQ(area, (IBounds{0, 0, 60, 60}));
  EXPECT_EQ(journal, Strings{"update"});
}

TEST_F(GraphicsCoreTest, ObserversAreNotifiedInListOrderDuringTheScan) {
  ProbeControl* a = Attach({0, 0, 10, 10});
  ProbeControl* b = Attach({0, 0, 10, 10});
  Dirtier onB(nullptr, &journal, "b");
  Dirtier onA(nullptr, &journal, "a");
  b->AttachObserver(&onB);
  a->AttachObserver(&onA);
  b->MarkDirty(false);
  a->MarkDirty(false);
  IBounds area;
  graphics.CollectDirtyArea(area);
  EXPECT_EQ(journal, (Strings{"a", "b"}));
}

// ---- Mouse and key dispatch -----------------------------------------------------------------

TEST_F(GraphicsCoreTest, APressOnAnEmptySpotSendsNothingAnywhere) {
  Attach({0, 0, 10, 10}, 3, "c");
  graphics.HandleMouseDown(50, 50, left);
  graphics.HandleMouseDrag(5, 5, left);
  graphics.HandleMouseUp(50, 50, left);
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(plugin.gestures.empty());
}

TEST_F(GraphicsCoreTest, ThePressedControlKeepsDragsAndReleaseOutsideItsBounds) {
  Attach({0, 0, 10, 10}, 3, "c");
  Attach({100, 100, 200, 200}, -1, "other");
  graphics.HandleMouseDown(5, 5, left);
  graphics.HandleMouseDrag(150, 150, left);
  graphics.HandleMouseDrag(140, 170, left);
  graphics.HandleMouseUp(140, 170, left);
  EXPECT_EQ(journal, (Strings{"c down 5,5", "c drag 150,150 by 145,145", "c drag 140,170 by -10,20",
                              "c up 140,170"}));
  EXPECT_EQ(graphics.CapturedControl(), -1);
}

TEST_F(GraphicsCoreTest, ADragToTheSamePositionIsNotForwarded) {
  Attach({0, 0, 10, 10}, -1, "c");
  graphics.HandleMouseDown(5, 5, left);
  graphics.HandleMouseDrag(5, 5, left);
  graphics.HandleMouseDrag(6, 5, left);
  graphics.HandleMouseDrag(6, 5, left);
  EXPECT_EQ(journal, (Strings{"c down 5,5", "c drag 6,5 by 1,0"}));
}

TEST_F(GraphicsCoreTest, PressAndReleaseOfABoundControlBracketOneEdit) {
  Attach({0, 0, 10, 10}, 3);
  graphics.HandleMouseDown(5, 5, left);
  graphics.HandleMouseUp(5, 5, left);
  EXPECT_EQ(plugin.gestures, (std::vector<TestPlugin::Gesture>{{true, 3}, {false, 3}}));
}

TEST_F(GraphicsCoreTest, AnUnboundControlReportsNoEdit) {
  Attach({0, 0, 10, 10}, -1);
  graphics.HandleMouseDown(5, 5, left);
  graphics.HandleMouseUp(5, 5, left);
  EXPECT_TRUE(plugin.gestures.empty());
}

TEST_F(GraphicsCoreTest, AReleaseWithoutAPressReachesNoControlAndEndsNoEdit) {
  // The release that follows the right click which cancelled a value entry.
  Attach({0, 0, 10, 10}, 2, "c");
  graphics.HandleMouseUp(5, 5, left);
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(plugin.gestures.empty());
}

// A host that tracks edits sees each end after a begin of the same parameter, one edit at a time.
::testing::AssertionResult Balanced(const std::vector<TestPlugin::Gesture>& gestures) {
  int open = -1;
  for (const TestPlugin::Gesture& g : gestures) {
    if (g.begin && open >= 0) return ::testing::AssertionFailure() << "begin inside an edit";
    if (!g.begin && open != g.index) return ::testing::AssertionFailure() << "end without begin";
    open = g.begin ? g.index : -1;
  }
  if (open >= 0) return ::testing::AssertionFailure() << "edit left open";
  return ::testing::AssertionSuccess();
}

TEST_F(GraphicsCoreTest, PressesDoubleClicksAndWheelStepsEachBracketOneEdit) {
  ProbeControl* button = Attach({0, 0, 10, 10}, 3, "button");
  button->AllowDoubleClickAsClick();
  Attach({20, 0, 30, 10}, 4, "field");
  // A double click as the window system reports it: press, release, double click, release.
  graphics.HandleMouseDown(4, 4, left);
  graphics.HandleMouseUp(4, 4, left);
  EXPECT_TRUE(graphics.HandleDoubleClick(4, 4, left));
  EXPECT_EQ(graphics.CapturedControl(), 0);
  graphics.HandleMouseDrag(8, 8, left);
  graphics.HandleMouseUp(8, 8, left);
  EXPECT_EQ(journal, (Strings{"button down 4,4", "button up 4,4", "button down 4,4",
                              "button drag 8,8 by 4,4", "button up 8,8"}));
  EXPECT_EQ(plugin.gestures,
            (std::vector<TestPlugin::Gesture>{{true, 3}, {false, 3}, {true, 3}, {false, 3}}));
  plugin.gestures.clear();
  graphics.HandleMouseDown(24, 4, left);
  graphics.HandleMouseUp(24, 4, left);
  EXPECT_FALSE(graphics.HandleDoubleClick(24, 4, left));  // back to its default, as one edit
  graphics.HandleMouseUp(24, 4, left);
  graphics.HandleMouseWheel(24, 4, left, 1);  // one edit per step
  graphics.HandleMouseDown(24, 4, left);
  graphics.HandleMouseWheel(24, 4, left, 1);  // inside the press's edit
  graphics.HandleMouseDown(4, 4, left);       // a second press without a release
  graphics.ReleaseMouse();                    // and the window lost the mouse
  EXPECT_TRUE(Balanced(plugin.gestures));
  EXPECT_EQ(plugin.gestures.size(), 10u);
}

TEST_F(GraphicsCoreTest, AnOrdinaryDoubleClickGoesToTheDoubleClickHandlerWithoutCapture) {
  Attach({0, 0, 10, 10}, 3, "c");
  EXPECT_FALSE(graphics.HandleDoubleClick(4, 4, left));
  EXPECT_EQ(journal, Strings{"c double 4,4"});
  EXPECT_EQ(graphics.CapturedControl(), -1);
}

TEST_F(GraphicsCoreTest, ADoubleClickOnNothingReportsFalse) {
  EXPECT_FALSE(graphics.HandleDoubleClick(4, 4, left));
}

TEST_F(GraphicsCoreTest, TheLastControlUnderThePointerIsHitFirst) {
  Attach({0, 0, 100, 100}, -1, "under");
  Attach({10, 10, 20, 20}, -1, "over");
  EXPECT_EQ(graphics.FindControlAt(15, 15), 1);
  EXPECT_EQ(graphics.FindControlAt(50, 50), 0);
  EXPECT_EQ(graphics.FindControlAt(100, 50), -1);
}

TEST_F(GraphicsCoreTest, HiddenAndGreyedControlsAreNotHit) {
  Attach({0, 0, 100, 100}, -1, "under");
  ProbeControl* greyed = Attach({10, 10, 20, 20});
  ProbeControl* hidden = Attach({30, 30, 40, 40});
  greyed->SetGreyed(true);
  hidden->SetHidden(true);
  EXPECT_EQ(graphics.FindControlAt(15, 15), 0);
  EXPECT_EQ(graphics.FindControlAt(35, 35), 0);
}

TEST_F(GraphicsCoreTest, TheCapturedControlIsFoundWhereverThePointerIs) {
  Attach({0, 0, 10, 10});
  graphics.HandleMouseDown(5, 5, left);
  EXPECT_EQ(graphics.FindControlAt(500, 300), 0);
}

TEST_F(GraphicsCoreTest, WheelAndKeysGoToTheControlUnderThePointer) {
  Attach({0, 0, 10, 10}, -1, "a");
  Attach({20, 0, 30, 10}, -1, "b");
  graphics.HandleMouseWheel(25, 5, left, -2);
  graphics.HandleKeyDown(5, 5, 13);
  graphics.HandleMouseWheel(50, 50, left, 1);
  EXPECT_EQ(journal, (Strings{"b wheel 25,5 -2", "a key 5,5 13"}));
}

TEST_F(GraphicsCoreTest, PointerMovementWithoutAButtonIsNotReported) {
  Attach({0, 0, 10, 10}, -1, "a");
  EXPECT_FALSE(graphics.HandleMouseOver(5, 5, {}));
  EXPECT_TRUE(journal.empty());
}

}  // namespace
