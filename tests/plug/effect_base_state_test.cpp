// IEffectBase state and presets: chunks of parameter values, preset selection and naming.
#include "plug/effect_base.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/plug/recording_effect.h"

namespace {

// 28 parameters of range -100..100; parameter i holds i + 0.5.
class StateTest : public ::testing::Test {
 protected:
  StateTest() {
    for (int i = 0; i < kCount; ++i) {
      effect.GetParameter(i)->DefineContinuous("P", i + 0.5, -100.0, 100.0, 0.01, "");
    }
  }
  double Value(int i) { return effect.GetParameter(i)->Value(); }
  void SetAll(double value) {
    for (int i = 0; i < kCount; ++i) effect.GetParameter(i)->SetValueClamped(value);
  }
  // What the host's program change does when state chunks are off.
  void SelectProgram(int index) {
    effect.StorePreset(nullptr);
    effect.ApplyPreset(index);
  }

  static constexpr int kCount = 28;
  RecordingEffect effect{kCount, "1-1 2-2", 6};
};

TEST_F(StateTest, SerializedValuesAreLittleEndianDoublesInIndexOrder) {
  IStateChunk chunk;
  ASSERT_TRUE(effect.SerializeParams(chunk));
  ASSERT_EQ(chunk.Size(), kCount * 8);
  double first = 0.0;
  chunk.ReadDouble(&first, 0);
  EXPECT_EQ(first, 0.5);
  EXPECT_EQ(chunk.Data()[8 * 27 + 7], 0x40) << "27.5 is 0x403B800000000000";
  EXPECT_EQ(chunk.Data()[8 * 27 + 6], 0x3B);
}

TEST_F(StateTest, AChunkRoundTripRestoresEveryValueAndNotifiesEveryParameter) {
  IStateChunk chunk;
  effect.SerializeState(chunk);
  SetAll(-3.0);
  EXPECT_EQ(effect.UnserializeState(chunk, 0), kCount * 8);
  for (int i = 0; i < kCount; ++i) EXPECT_EQ(Value(i), i + 0.5);
  ASSERT_EQ(effect.events.size(), static_cast<size_t>(kCount));
  EXPECT_EQ(effect.events.back(), std::make_pair('c', kCount - 1));
  EXPECT_TRUE(effect.changedUnderLock.back());
}

TEST_F(StateTest, AShortChunkSetsWhatItHoldsAndKeepsTheRest) {
  IStateChunk chunk;
  for (int i = 0; i < 10; ++i) chunk.AppendDouble(50.0);
  chunk.AppendInt32(0);  // half a value
  EXPECT_EQ(effect.UnserializeParams(chunk, 0), -1);
  EXPECT_EQ(Value(9), 50.0);
  EXPECT_EQ(Value(10), 10.5) << "where it ran out";
  EXPECT_EQ(Value(11), 11.5);
  EXPECT_EQ(effect.events.size(), static_cast<size_t>(kCount)) << "all notified anyway";
  IStateChunk empty;
  EXPECT_EQ(effect.UnserializeParams(empty, 0), -1);
  EXPECT_EQ(Value(0), 50.0);
}

TEST_F(StateTest, ValuesBeyondTheRangeAreClampedAndNonFiniteOnesIgnored) {
  IStateChunk chunk;
  chunk.AppendDouble(1e9);
  chunk.AppendDouble(-1e9);
  chunk.AppendDouble(std::numeric_limits<double>::quiet_NaN());
  chunk.AppendDouble(std::numeric_limits<double>::infinity());
  chunk.AppendDouble(-std::numeric_limits<double>::infinity());
  chunk.AppendDouble(42.0);
  effect.UnserializeParams(chunk, 0);
  EXPECT_EQ(Value(0), 100.0);
  EXPECT_EQ(Value(1), -100.0);
  EXPECT_EQ(Value(2), 2.5);
  EXPECT_EQ(Value(3), 3.5);
  EXPECT_EQ(Value(4), 4.5);
  EXPECT_EQ(Value(5), 42.0) << "a skipped value still takes its slot";
}

TEST_F(StateTest, ReadingStartsAtTheGivenPosition) {
  IStateChunk chunk;
  chunk.AppendInt32(0x70666674);
  chunk.AppendInt32(0x10000);
  effect.SerializeParams(chunk);
  SetAll(0.0);
  EXPECT_EQ(effect.UnserializeParams(chunk, 8), 8 + kCount * 8);
  EXPECT_EQ(Value(27), 27.5);
}

TEST(EffectBaseStateList, AValueListIsWrittenAsDoublesInParameterOrder) {
  RecordingEffect effect(3, "1-1", 1);
  IStateChunk chunk;
  const std::vector<std::variant<int, double>> values{7, 0.25, -2};
  EXPECT_TRUE(effect.SerializeValueList(chunk, values));
  std::vector<double> read(3);
  for (int i = 0; i < 3; ++i) chunk.ReadDouble(&read[static_cast<size_t>(i)], 8 * i);
  EXPECT_EQ(read, (std::vector<double>{7.0, 0.25, -2.0}));
  IStateChunk shortChunk;
  EXPECT_FALSE(effect.SerializeValueList(shortChunk, std::span(values).first(1)));
  EXPECT_EQ(shortChunk.Size(), 24) << "missing values are written as zeros";
}

TEST(EffectBaseStateList, NoParametersSerializeToNothingSuccessfully) {
  RecordingEffect effect(0, "1-1", 1);
  IStateChunk chunk;
  EXPECT_TRUE(effect.SerializeParams(chunk));
  EXPECT_EQ(chunk.Size(), 0);
}

TEST_F(StateTest, FreshPresetsAreNumberedAndTheFirstIsCurrent) {
  EXPECT_EQ(effect.PresetCount(), 6);
  EXPECT_STREQ(effect.GetPresetName(0), "- 1 -");
  EXPECT_STREQ(effect.GetPresetName(5), "- 6 -");
  EXPECT_STREQ(effect.GetPresetName(6), "");
  EXPECT_STREQ(effect.GetPresetName(-1), "");
  EXPECT_EQ(effect.CurrentPreset(), 0);
  EXPECT_FALSE(effect.ApplyPreset(6));
  EXPECT_FALSE(effect.ApplyPreset(-1));
}

TEST_F(StateTest, SelectingAnUnusedPresetNamesItAndTakesTheCurrentValues) {
  SelectProgram(2);
  EXPECT_FALSE(effect.GetPreset(0)->initialised) << "storing does not initialise";
  EXPECT_EQ(effect.GetPreset(0)->chunk.Size(), kCount * 8);
  EXPECT_TRUE(effect.GetPreset(2)->initialised);
  EXPECT_STREQ(effect.GetPresetName(2), "user preset 1");
  EXPECT_EQ(effect.CurrentPreset(), 2);
  SelectProgram(0);
  EXPECT_STREQ(effect.GetPresetName(0), "user preset 2");
}

TEST_F(StateTest, ValuesChangedInAPresetComeBackWhenItIsSelectedAgain) {
  SelectProgram(2);
  SetAll(12.0);
  SelectProgram(3);
  SetAll(-7.0);
  SelectProgram(2);
  EXPECT_EQ(Value(0), 12.0);
  EXPECT_EQ(Value(27), 12.0);
  SelectProgram(3);
  EXPECT_EQ(Value(13), -7.0);
}

TEST_F(StateTest, ApplyingAPresetTwiceGivesTheValuesItTookOver) {
  SetAll(1.0);
  effect.StorePreset("renamed");  // values stored into preset 0 before it is ever applied
  SetAll(2.0);
  ASSERT_TRUE(effect.ApplyPreset(0));
  SetAll(3.0);
  ASSERT_TRUE(effect.ApplyPreset(0));
  EXPECT_EQ(Value(5), 2.0);
}

TEST_F(StateTest, RenamingBeforeSelectionKeepsThePresetUnused) {
  effect.StorePreset("Breeze");
  EXPECT_STREQ(effect.GetPresetName(0), "Breeze");
  EXPECT_FALSE(effect.GetPreset(0)->initialised);
  effect.StorePreset("");
  EXPECT_STREQ(effect.GetPresetName(0), "Breeze") << "an empty name keeps the old one";
  effect.ApplyPreset(0);
  EXPECT_STREQ(effect.GetPresetName(0), "user preset 1");
}

TEST_F(StateTest, HostNamesOfAnyLengthAreCutTo255Characters) {
  const std::string name(1000, 'g');
  effect.StorePreset(name.c_str());
  EXPECT_EQ(std::string(effect.GetPresetName(0)), name.substr(0, 255));
}

TEST_F(StateTest, AppliedPresetsRefreshTheEditorOnlyWhenTheyLoad) {
  auto* graphics = new RecordingGraphics(&effect);
  auto* control = new ProbeControl(&effect, IBounds{0, 0, 10, 10}, 2);
  graphics->AttachControl(control);
  effect.AttachEditor(graphics);
  SelectProgram(1);  // slot 1 holds 2.5 for parameter 2, normalized 0.5125
  effect.GetParameter(2)->SetValueClamped(50.0);
  effect.RefreshEditorValues();
  ASSERT_DOUBLE_EQ(control->Value(), 0.75);
  // From here on values change behind the editor's back: only a refresh shows them.
  effect.GetParameter(2)->SetValueClamped(-50.0);

  effect.GetPreset(4)->initialised = true;  // initialised but holding no values
  EXPECT_FALSE(effect.ApplyPreset(4));
  EXPECT_EQ(effect.CurrentPreset(), 1);
  EXPECT_DOUBLE_EQ(control->Value(), 0.75) << "a preset that did not load refreshes nothing";

  ASSERT_TRUE(effect.ApplyPreset(1));
  EXPECT_DOUBLE_EQ(control->Value(), 0.5125);
  effect.GetParameter(2)->SetValueClamped(50.0);
  ASSERT_TRUE(effect.ApplyPreset(5)) << "an unused slot takes over the current values";
  EXPECT_DOUBLE_EQ(control->Value(), 0.75);
}

TEST_F(StateTest, DefaultPresetsFillTheFirstUnusedSlotsUntilNoneAreLeft) {
  SelectProgram(1);
  effect.FillDefaultPresets(nullptr, 2);
  EXPECT_STREQ(effect.GetPresetName(0), "Default");
  EXPECT_STREQ(effect.GetPresetName(1), "user preset 1");
  EXPECT_STREQ(effect.GetPresetName(2), "Default");
  EXPECT_STREQ(effect.GetPresetName(3), "- 4 -");
  effect.FillDefaultPresets("Calm", 10);
  EXPECT_STREQ(effect.GetPresetName(5), "Calm");
  EXPECT_TRUE(effect.GetPreset(5)->initialised);
}

TEST(EffectBasePresets, APluginWithoutPresetsGetsOneDefaultHoldingItsValues) {
  RecordingEffect effect(2, "1-1", 0);
  effect.GetParameter(1)->DefineContinuous("Gain", 0.75, 0.0, 1.0, 0.01, "");
  effect.EnsureOnePreset();
  effect.EnsureOnePreset();
  ASSERT_EQ(effect.PresetCount(), 1);
  EXPECT_STREQ(effect.GetPresetName(0), "Default");
  effect.GetParameter(1)->SetValueClamped(0.0);
  ASSERT_TRUE(effect.ApplyPreset(0));
  EXPECT_EQ(effect.GetParameter(1)->Value(), 0.75);
}

TEST(EffectBasePresets, UserPresetNumbersCountExistingUserPresetNames) {
  RecordingEffect effect(1, "1-1", 3);
  effect.StorePreset("my user preset");
  char name[IPresetEntry::kNameSize];
  effect.NextUserPresetName(name);
  EXPECT_STREQ(name, "user preset 2");
  effect.StorePreset("User Preset");
  effect.NextUserPresetName(name);
  EXPECT_STREQ(name, "user preset 1") << "the search is case-sensitive";
}

}  // namespace
