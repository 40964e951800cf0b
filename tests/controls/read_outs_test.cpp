// Tests of the read-outs: value texts with two decimals, note names, and following a control's
// look.
#include "controls/read_outs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "controls/text_control.h"
#include "controls/value_text_control.h"
#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"
#include "tests/support/allocation_counter.h"

namespace {

class ReadOutTest : public ::testing::Test {
 protected:
  void Scan() {
    IBounds area;
    graphics.CollectDirtyArea(area);
  }
  // In the host entry's order: into the bound controls first, then into the parameter.
  void HostSets(int index, double value) {
    graphics.SetParameterFromPlugin(index, value, false);
    plugin.GetParameter(index)->SetValueClamped(value);
  }

  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};
};

// ---- ValueReadOut ---------------------------------------------------------------------------

class ValueReadOutTest : public ReadOutTest {
 protected:
  ValueReadOutTest() {
    fader = new ProbeControl(&plugin, {70, 60, 220, 81}, TestPlugin::kOffset);
    graphics.AttachControl(fader);
    readOut = ValueReadOut::Attach(&plugin, graphics, {70, 80, 110, 100}, {}, fader);
  }
  ProbeControl* fader;
  ValueReadOut* readOut;
};

TEST_F(ValueReadOutTest, AttachesAnEmptyTextControlAtTheEndAndFollowsTheControl) {
  ASSERT_EQ(graphics.ControlCount(), 2);
  EXPECT_EQ(graphics.GetControl(1), readOut->TextControl());
  EXPECT_EQ(readOut->TextControl()->DrawBounds(), (IBounds{70, 80, 110, 100}));
  EXPECT_EQ(readOut->TextControl()->Text(), "");
  EXPECT_EQ(readOut->Parameter(), plugin.GetParameter(TestPlugin::kOffset));
  EXPECT_EQ(fader->ObserverCount(), 1);
}

TEST_F(ValueReadOutTest, ShowsNoTextUntilTheFollowedControlChanges) {
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "");
  HostSets(TestPlugin::kOffset, 99.0);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "99.00");
}

TEST_F(ValueReadOutTest, FormatsThePlainValueWithTwoRoundedDecimals) {
  HostSets(TestPlugin::kOffset, 0.5);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "0.50");
  HostSets(TestPlugin::kOffset, 12.345678);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "12.35");
  HostSets(TestPlugin::kOffset, -0.004);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "-0.00");
}

TEST_F(ValueReadOutTest, AScanBetweenThePushAndTheParameterStillShowsTheNewValue) {
  HostSets(TestPlugin::kOffset, 0.5);
  Scan();
  graphics.SetParameterFromPlugin(TestPlugin::kOffset, 90.0, false);
  Scan();  // the editor's tick, while the host's thread has yet to set the parameter
  plugin.GetParameter(TestPlugin::kOffset)->SetValueClamped(90.0);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "90.00");
}

TEST_F(ValueReadOutTest, ShowsTheLatestOfSeveralChanges) {
  HostSets(TestPlugin::kOffset, 1.0);
  HostSets(TestPlugin::kOffset, 2.0);
  HostSets(TestPlugin::kOffset, 3.0);
  Scan();
  EXPECT_EQ(readOut->TextControl()->Text(), "3.00");
}

TEST_F(ValueReadOutTest, AChangeThatGivesTheSameTextLeavesTheTextControlClean) {
  HostSets(TestPlugin::kOffset, 1.0);
  Scan();
  graphics.DrawArea({0, 0, 800, 400});
  graphics.DrawArea({0, 0, 800, 400});
  ASSERT_FALSE(readOut->TextControl()->IsDirty());
  HostSets(TestPlugin::kOffset, 1.001);
  Scan();
  EXPECT_FALSE(readOut->TextControl()->IsDirty());
  EXPECT_TRUE(fader->IsDirty());
}

TEST_F(ReadOutTest, AReadOutOfAnUnboundControlLeavesItsTextAlone) {
  auto* unbound = new ProbeControl(&plugin, {0, 0, 10, 10}, -1);
  graphics.AttachControl(unbound);
  ValueReadOut readOut(&plugin, graphics, {0, 20, 10, 30}, {}, unbound);
  EXPECT_EQ(readOut.Parameter(), nullptr);
  unbound->SetValueFromPlugin(0.5);
  Scan();
  EXPECT_EQ(readOut.TextControl()->Text(), "");
}

TEST_F(ReadOutTest, AFollowedIndexBeyondTheParameterListGivesNoParameter) {
  auto* stray = new ProbeControl(&plugin, {0, 0, 10, 10}, 42);
  graphics.AttachControl(stray);
  ValueReadOut readOut(&plugin, graphics, {0, 20, 10, 30}, {}, stray);
  EXPECT_EQ(readOut.Parameter(), nullptr);
}

// ---- NoteNameReadOut ------------------------------------------------------------------------

TEST(NoteNames, NameThePitchClassWithSharpsAndTheOctave) {
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(0), "C0");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(1), "C#0");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(11), "B0");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(60), "C5");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(61), "C#5");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(69), "A5");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(119), "B9");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(120), "C10");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(127), "G10");
}

TEST(NoteNames, AreAllDifferentAndFitTheirFields) {
  std::set<std::string> names;
  for (int note = 0; note < 128; ++note) {
    const std::string name = NoteNameReadOut::NoteNameFor(note);
    EXPECT_LT(name.size(), 5u) << note;
    EXPECT_EQ(std::stoi(name.substr(name.find_first_of("0123456789"))), note / 12) << note;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 128u);
}

TEST(NoteNames, OutsideTheMidiRangeAreEmpty) {
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(-1), "");
  EXPECT_STREQ(NoteNameReadOut::NoteNameFor(128), "");
}

class NoteNameReadOutTest : public ReadOutTest {
 protected:
  NoteNameReadOutTest() {
    ITextStyle leftWhite;
    leftWhite.colour = {255, 255, 255, 255};
    leftWhite.alignment = ITextStyle::kLeft;
    tone = new IValueTextControl(&plugin, {460, 60, 480, 80}, TestPlugin::kNote, leftWhite, nullptr,
                                 true, true, 0, 14.0);
    graphics.AttachControl(tone);
    ITextStyle plain;
    readOut = NoteNameReadOut::Attach(&plugin, graphics, {460, 80, 480, 100}, plain, tone);
  }
  std::string Name() const { return readOut->TextControl()->Text(); }

  IValueTextControl* tone;
  NoteNameReadOut* readOut;
};

TEST_F(NoteNameReadOutTest, ShowsTheNoteOfTheFollowedParameter) {
  EXPECT_EQ(Name(), "");
  HostSets(TestPlugin::kNote, 61);
  Scan();
  EXPECT_EQ(Name(), "C#5");
  HostSets(TestPlugin::kNote, 0);
  Scan();
  EXPECT_EQ(Name(), "C0");
  HostSets(TestPlugin::kNote, 127);
  Scan();
  EXPECT_EQ(Name(), "G10");
}

TEST_F(NoteNameReadOutTest, TakesTheLookOfTheFollowedControl) {
  HostSets(TestPlugin::kNote, 64);
  Scan();
  const ITextStyle style = readOut->TextControl()->TextStyle();
  EXPECT_EQ(style.alignment, ITextStyle::kLeft);
  EXPECT_EQ(style.colour, (IRgba{255, 255, 255, 255}));
}

TEST_F(NoteNameReadOutTest, GreysWithTheFollowedControlAtTheNextScan) {
  HostSets(TestPlugin::kNote, 64);
  Scan();
  tone->SetGreyed(true);
  EXPECT_FALSE(readOut->TextControl()->IsGreyed());
  Scan();
  EXPECT_TRUE(readOut->TextControl()->IsGreyed());
  EXPECT_EQ(readOut->TextControl()->TextStyle().colour, (IRgba{255, 127, 127, 127}));
  graphics.DrawArea({0, 0, 800, 400});
  EXPECT_EQ(graphics.strings.back().text, "E5");
  EXPECT_EQ(graphics.strings.back().style.colour, (IRgba{255, 127, 127, 127}));

  tone->SetGreyed(false);
  Scan();
  EXPECT_FALSE(readOut->TextControl()->IsGreyed());
  EXPECT_EQ(readOut->TextControl()->TextStyle().colour, (IRgba{255, 255, 255, 255}));
}

TEST_F(NoteNameReadOutTest, FollowsAStyleReplacedOnTheFollowedControl) {
  ITextStyle grey;
  grey.colour = {255, 127, 127, 127};
  tone->SetGreyed(true);
  tone->SetTextStyle(grey);
  tone->RefreshTextColours();
  Scan();
  EXPECT_EQ(readOut->TextControl()->TextStyle().colour, (IRgba{255, 127, 127, 127}));
  EXPECT_EQ(readOut->TextControl()->TextStyle().alignment, ITextStyle::kCentre);
}

// ---- An editor that cannot take the read-out's text control -------------------------------

TEST(ReadOutAttach, IsRefusedWholeWhenTheEditorCannotTakeItsTextControl) {
  if (!allocation_counter::CanFailCAllocations())
    GTEST_SKIP() << "the C allocator is the sanitizer's here";
  TestPlugin plugin;
  RecordingGraphics graphics{&plugin};  // no controls yet: the first attach must allocate
  ProbeControl fader(&plugin, {70, 60, 220, 81}, TestPlugin::kOffset);
  ITextControl tone(&plugin, {0, 0, 40, 20}, ITextStyle{}, "60");

  allocation_counter::FailCAllocations(true);
  ValueReadOut* value = ValueReadOut::Attach(&plugin, graphics, {70, 80, 110, 100}, {}, &fader);
  NoteNameReadOut* note = NoteNameReadOut::Attach(&plugin, graphics, {0, 20, 40, 40}, {}, &tone);
  allocation_counter::FailCAllocations(false);

  // The core has deleted the text controls it could not take: nothing may point at them.
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(note, nullptr);
  EXPECT_EQ(graphics.ControlCount(), 0);
  EXPECT_EQ(fader.ObserverCount(), 0);
  EXPECT_EQ(tone.ObserverCount(), 0);
}

}  // namespace
