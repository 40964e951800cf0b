// Tintinna's parameters, its working settings and transposition.
#include "instrument/tintinna.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <typeinfo>

#include "tests/instrument/chime_host.h"
#include "tests/vst/fake_editor.h"

namespace {

using chime_test::ChimeHost;

std::string Display(Tintinna& plugin, int index) {
  IParameter::Text text;
  plugin.GetParameter(index)->FormatCurrentValue(text);
  return text;
}

std::string DisplayOf(Tintinna& plugin, int index, double value) {
  IParameter::Text text;
  plugin.GetParameter(index)->FormatValue(value, false, text);
  return text;
}

// ---- Settings before and after the host opens the instance ---------------------------------

TEST(TintinnaSettings, HoldTheirStartingValuesUntilTheHostOpensTheInstance) {
  ChimeHost host;
  const ChimeSettings& s = host.Plugin().Settings();
  EXPECT_EQ(s.meanWind, 0.0);
  EXPECT_EQ(s.windVariation, 0.0);
  EXPECT_EQ(s.sensitivity, 99.0);
  EXPECT_EQ(s.clapSize, 0.5);
  EXPECT_EQ(s.toneCount, 6);
  const int starting[] = {64, 66, 68, 69, 71, 73, 75, 76};
  for (int chime = 1; chime <= 8; ++chime) EXPECT_EQ(s.notes[chime], starting[chime - 1]);
  EXPECT_TRUE(s.anyDistance);
  EXPECT_EQ(s.noteSeconds, 0.5);
  EXPECT_EQ(s.ccNumberA, 11);
  EXPECT_EQ(s.ccNumberB, 11);
  EXPECT_TRUE(s.sendA);
  EXPECT_FALSE(s.sendB);
}

TEST(TintinnaSettings, FollowTheParameterDefaultsOnceOpened) {
  ChimeHost host;
  host.Open();
  const ChimeSettings& s = host.Plugin().Settings();
  EXPECT_DOUBLE_EQ(s.meanWind, 1.0);
  EXPECT_EQ(s.windVariation, 0.0);
  EXPECT_EQ(s.toneCount, 6);
  const int defaults[] = {48, 50, 52, 53, 55, 57, 59, 60};
  for (int chime = 1; chime <= 8; ++chime) EXPECT_EQ(s.notes[chime], defaults[chime - 1]);
  EXPECT_DOUBLE_EQ(s.noteSeconds, 0.1);
  EXPECT_FALSE(s.anyDistance);
  EXPECT_EQ(s.ccNumberA, 0);
  EXPECT_EQ(s.ccNumberB, 0);
  EXPECT_TRUE(s.ccActiveA);
  EXPECT_TRUE(s.ccActiveB);
  EXPECT_TRUE(s.sendA);
  EXPECT_FALSE(s.sendB) << "B duplicates A and stays silent";
}

TEST(TintinnaSettings, AlgorithmOneMeansRandomDistance) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kAlgorithm, 1.0f);
  EXPECT_TRUE(host.Plugin().Settings().anyDistance);
  host.SetParameter(Tintinna::kAlgorithm, 0.0f);
  EXPECT_FALSE(host.Plugin().Settings().anyDistance);
}

TEST(TintinnaSettings, TakeWindInTenthsAndSensitivityAsWholeNumbers) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kWindSpeed, 1.0f);
  host.SetParameter(Tintinna::kWindVariation, 0.5f);
  host.SetParameter(Tintinna::kSensitivity, 1.0f);
  const ChimeSettings& s = host.Plugin().Settings();
  EXPECT_DOUBLE_EQ(s.meanWind, 3.0);
  EXPECT_DOUBLE_EQ(s.windVariation, 1.5);
  EXPECT_EQ(s.sensitivity, 200.0);
}

// ---- The parameter table ------------------------------------------------------------------

TEST(TintinnaParameters, AreTwentyEightWithTheirHostVisibleNames) {
  ChimeHost host;
  Tintinna& plugin = host.Plugin();
  const char* names[28] = {"WSpeed",
                           "Variable",
                           "NumTones",
                           "Tone 1",
                           "Tone 2",
                           "Tone 3",
                           "Tone 4",
                           "Tone 5",
                           "Tone 6",
                           "Tone 7",
                           "Tone 8",
                           "Sensitiv",
                           "ClapSize",
                           "Algorithm",
                           "Duration",
                           "Channel",
                           "MinVelocity",
                           "ChannelA",
                           "CC num A",
                           "CC A",
                           "ChannelB",
                           "CC Number B",
                           "CC B",
                           "",
                           "",
                           "",
                           "",
                           ""};
  ASSERT_EQ(plugin.ParameterCount(), 28);
  for (int i = 0; i < 28; ++i) EXPECT_STREQ(plugin.GetParameter(i)->Name(), names[i]) << i;
  EXPECT_STREQ(plugin.GetParameter(Tintinna::kDuration)->UnitLabel(), "sec");
}

TEST(TintinnaParameters, HaveTheirKindsAndRanges) {
  ChimeHost host;
  Tintinna& plugin = host.Plugin();
  struct Row {
    int index;
    IParameter::Kind kind;
    double minimum, maximum, step;
  };
  const Row rows[] = {
      {0, IParameter::kContinuous, 0, 30, 1},
      {1, IParameter::kContinuous, 0, 30, 1},
      {2, IParameter::kInteger, 1, 8, 1},
      {3, IParameter::kInteger, 0, 127, 1},
      {10, IParameter::kInteger, 0, 127, 1},
      {11, IParameter::kInteger, 1, 200, 1},
      {12, IParameter::kContinuous, 0, 1, 0.01},
      {13, IParameter::kEnumerated, 0, 1, 1},
      {14, IParameter::kContinuous, 0.1, 10, 0.1},
      {15, IParameter::kInteger, 0, 15, 1},
      {16, IParameter::kInteger, 0, 126, 1},
      {17, IParameter::kInteger, 0, 15, 1},
      {18, IParameter::kInteger, 0, 126, 1},
      {19, IParameter::kBool, 0, 1, 1},
      {20, IParameter::kInteger, 0, 15, 1},
      {21, IParameter::kInteger, 0, 126, 1},
      {22, IParameter::kBool, 0, 1, 1},
  };
  for (const Row& row : rows) {
    const IParameter* p = plugin.GetParameter(row.index);
    EXPECT_EQ(p->GetKind(), row.kind) << row.index;
    EXPECT_EQ(p->Minimum(), row.minimum) << row.index;
    EXPECT_EQ(p->Maximum(), row.maximum) << row.index;
    EXPECT_EQ(p->Step(), row.step) << row.index;
  }
  for (int index = 23; index < 28; ++index)
    EXPECT_EQ(plugin.GetParameter(index)->GetKind(), IParameter::kUndefined) << index;
}

TEST(TintinnaParameters, ShowTheirDefaultsAsHostsDisplayThem) {
  ChimeHost host;
  Tintinna& plugin = host.Plugin();
  const char* texts[23] = {"10", "0",  "6",  "48",  "50",   "52",         "53",  "55",
                           "57", "59", "60", "99",  "0.50", "Select Any", "0.1", "1",
                           "1",  "1",  "1",  "off", "1",    "1",          "off"};
  for (int i = 0; i < 23; ++i) EXPECT_EQ(Display(plugin, i), texts[i]) << i;
}

TEST(TintinnaParameters, ShowChannelsAndControllerNumbersCountingFromOne) {
  ChimeHost host;
  Tintinna& plugin = host.Plugin();
  for (int index : {15, 17, 20}) {
    EXPECT_EQ(DisplayOf(plugin, index, 0), "1");
    EXPECT_EQ(DisplayOf(plugin, index, 9), "10");
    EXPECT_EQ(DisplayOf(plugin, index, 15), "16");
  }
  for (int index : {16, 18, 21}) {
    EXPECT_EQ(DisplayOf(plugin, index, 63), "64");
    EXPECT_EQ(DisplayOf(plugin, index, 126), "127");
  }
  EXPECT_EQ(DisplayOf(plugin, 13, 1), "Favor Neighbors");
  EXPECT_EQ(DisplayOf(plugin, 19, 1), "on");
}

// ---- The two controller outputs -------------------------------------------------------------

TEST(TintinnaControllerOutputs, SilenceBWhileASendsTheSameController) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kActiveA, 1.0f);  // A off
  EXPECT_FALSE(host.Plugin().Settings().sendA);
  EXPECT_TRUE(host.Plugin().Settings().sendB) << "with A silent, B is no duplicate";
  host.SetParameter(Tintinna::kActiveA, 0.0f);  // A on again
  EXPECT_TRUE(host.Plugin().Settings().sendA);
  EXPECT_FALSE(host.Plugin().Settings().sendB);
}

TEST(TintinnaControllerOutputs, SendBothWhenChannelOrNumberDiffers) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kChannelB, 1.0f);
  EXPECT_TRUE(host.Plugin().Settings().sendB);
  host.SetParameter(Tintinna::kChannelB, 0.0f);
  EXPECT_FALSE(host.Plugin().Settings().sendB);
  host.SetParameter(Tintinna::kNumberA, 1.0f);
  EXPECT_TRUE(host.Plugin().Settings().sendB);
  host.SetParameter(Tintinna::kActiveB, 1.0f);
  EXPECT_FALSE(host.Plugin().Settings().sendB) << "B switched off";
  EXPECT_TRUE(host.Plugin().Settings().sendA);
}

// ---- Transposition --------------------------------------------------------------------------

TEST(TintinnaTransposition, RaisesEveryNoteAndItsParameterByOneStep) {
  ChimeHost host;
  host.Open();
  host.automation.clear();
  host.SetParameter(Tintinna::kTransposeUp, 1.0f);
  for (int chime = 1; chime <= 8; ++chime) {
    const int index = Tintinna::kTone1 + chime - 1;
    const double parameter = host.Plugin().GetParameter(index)->Value();
    EXPECT_EQ(host.Plugin().Settings().notes[chime], static_cast<int>(parameter));
    EXPECT_EQ(Display(host.Plugin(), index),
              std::to_string(std::array{49, 51, 53, 54, 56, 58, 60, 61}[chime - 1]));
  }
  // The host hears of every tone that moved.
  int informed = 0;
  for (const auto& [index, value] : host.automation)
    if (index >= Tintinna::kTone1 && index < Tintinna::kTone1 + 8) ++informed;
  EXPECT_EQ(informed, 8);
}

TEST(TintinnaTransposition, LowersEveryNoteByOneStep) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kTransposeDown, 1.0f);
  const int expected[] = {47, 49, 51, 52, 54, 56, 58, 59};
  for (int chime = 1; chime <= 8; ++chime) {
    EXPECT_EQ(host.Plugin().Settings().notes[chime], expected[chime - 1]);
    EXPECT_EQ(host.Plugin().GetParameter(Tintinna::kTone1 + chime - 1)->Value(),
              expected[chime - 1]);
  }
}

TEST(TintinnaTransposition, IsBlockedUpwardByAnyNoteAt127) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kTone1 + 7, 1.0f);  // "Tone 8" at 127, beyond "NumTones"
  host.SetParameter(Tintinna::kTransposeUp, 1.0f);
  EXPECT_EQ(host.Plugin().Settings().notes[1], 48);
  EXPECT_EQ(host.Plugin().Settings().notes[8], 127);
  EXPECT_EQ(host.Plugin().GetParameter(Tintinna::kTone1)->Value(), 48.0);
  // Downward is still free.
  host.SetParameter(Tintinna::kTransposeDown, 1.0f);
  EXPECT_EQ(host.Plugin().Settings().notes[1], 47);
  EXPECT_EQ(host.Plugin().Settings().notes[8], 126);
}

TEST(TintinnaTransposition, IsBlockedDownwardByAnyNoteAtZero) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kTone1 + 2, 0.0f);
  host.SetParameter(Tintinna::kTransposeDown, 1.0f);
  EXPECT_EQ(host.Plugin().Settings().notes[1], 48);
  EXPECT_EQ(host.Plugin().Settings().notes[3], 0);
}

TEST(TintinnaTransposition, DoesNothingWhenTheButtonIsReleased) {
  ChimeHost host;
  host.Open();
  host.SetParameter(Tintinna::kTransposeUp, 0.0f);
  host.SetParameter(Tintinna::kTransposeDown, 0.0f);
  EXPECT_EQ(host.Plugin().Settings().notes[1], 48);
  EXPECT_EQ(host.Plugin().Settings().notes[8], 60);
}

// ---- Lifetime --------------------------------------------------------------------------------

// However it is deleted, the instrument stops its editor while it is still whole, so that an
// editor thread never calls into parts already taken apart.
TEST(TintinnaLifetime, StopsItsEditorBeforeAnyPartIsTakenApart) {
  static const std::type_info* stoppedIn = nullptr;  // the layer being destroyed at the time
  struct Spy : FakeEditor {
    using FakeEditor::FakeEditor;
    void CloseEditorWindow() override {
      if (!stoppedIn) stoppedIn = &typeid(*Plugin());
    }
  };
  auto* plugin = new Tintinna(nullptr);
  plugin->AttachEditor(new Spy(plugin, 800, 400));
  delete plugin;
  ASSERT_NE(stoppedIn, nullptr);
  EXPECT_EQ(*stoppedIn, typeid(Tintinna));
}

}  // namespace
