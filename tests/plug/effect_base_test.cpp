// IEffectBase: construction, channel declarations, host identification, versions, parameter
// changes from the editor, the editor's attachment and the order of destruction.
#include "plug/effect_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/plug/recording_effect.h"

namespace {

TEST(EffectBaseConstruction, TheChannelStringGivesOneRecordPerPairAndTheLargestCounts) {
  RecordingEffect effect(4, "1-1 2-2");
  ASSERT_EQ(effect.ChannelIOCount(), 2);
  EXPECT_EQ(effect.GetChannelIO(0)->inputs, 1);
  EXPECT_EQ(effect.GetChannelIO(1)->outputs, 2);
  EXPECT_EQ(effect.InputCount(), 2);
  EXPECT_EQ(effect.OutputCount(), 2);
  EXPECT_FALSE(effect.GetInputChannel(0)->connected);

  RecordingEffect single(4, "2-2");
  EXPECT_EQ(single.ChannelIOCount(), 1);
  EXPECT_EQ(single.InputCount(), 2);
  RecordingEffect unequal(4, "0-2 6-1");
  EXPECT_EQ(unequal.InputCount(), 6);
  EXPECT_EQ(unequal.OutputCount(), 2);
}

TEST(EffectBaseConstruction, LegalIOMatchesDeclaredPairsWithNegativesAsWildcards) {
  RecordingEffect effect(4, "1-1 2-2");
  EXPECT_TRUE(effect.LegalIO(1, -1));
  EXPECT_TRUE(effect.LegalIO(2, 2));
  EXPECT_FALSE(effect.LegalIO(1, 2));
  EXPECT_TRUE(effect.LegalIO(-1, -1));
  EXPECT_FALSE(effect.LegalIO(3, -1));
}

TEST(EffectBaseConstructionDeathTest, AMalformedChannelStringStopsTheProgramNamingTheCheck) {
  EXPECT_DEATH(RecordingEffect(4, "1-1 x"), "channelIOStrValid");
  EXPECT_DEATH(RecordingEffect(4, "2"), "effect_base\\.cpp:[0-9]+");
  EXPECT_DEATH(RecordingEffect(4, ""), "channelIOStrValid");
}

TEST(EffectBaseConstruction, ParametersAndPresetsExistFromTheStart) {
  RecordingEffect effect(28, "1-1", 6);
  EXPECT_EQ(effect.ParameterCount(), 28);
  EXPECT_EQ(effect.GetParameter(27)->GetKind(), IParameter::kUndefined);
  EXPECT_EQ(effect.GetParameter(28), nullptr);
  EXPECT_EQ(effect.GetParameter(-1), nullptr);
  EXPECT_EQ(effect.GetSampleRate(), 44100.0);
  EXPECT_EQ(effect.GetBlockSize(), 0);
  EXPECT_EQ(effect.GetHostType(), -1);
  EXPECT_EQ(effect.UniqueId(), 0x746E7461);
  ASSERT_EQ(effect.PresetCount(), 6);
  EXPECT_EQ(effect.CurrentPreset(), 0);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(effect.GetPresetName(i), "- " + std::to_string(i + 1) + " -");
    EXPECT_FALSE(effect.GetPreset(i)->initialised) << i;
    EXPECT_EQ(effect.GetPreset(i)->chunk.Size(), 0) << "slot " << i << " holds no values yet";
  }
  EXPECT_EQ(effect.GetPreset(6), nullptr);
}

TEST(EffectBaseConstruction, LongNamesAreCutTo127Characters) {
  const std::string name(300, 'w');
  RecordingEffect effect(1, "1-1", 1, name.c_str());
  EXPECT_EQ(std::string(effect.EffectName()), name.substr(0, 127));
}

TEST(EffectBaseHost, ProductTextsAreMatchedWithoutRegardToCase) {
  RecordingEffect effect;
  effect.SetHost("REAPER", 0x50000);
  EXPECT_EQ(effect.GetHostType(), 1);
  EXPECT_EQ(effect.HostVersion(), 0x50000);
  effect.SetHost("Ableton Live 9", 0);
  EXPECT_EQ(effect.GetHostType(), 9);
  effect.SetHost("", 0);
  EXPECT_EQ(effect.GetHostType(), 0);
  effect.SetHost(nullptr, 0);
  EXPECT_EQ(effect.GetHostType(), 0);
}

TEST(EffectBaseHost, TheFirstKeyInTableOrderWins) {
  RecordingEffect effect;
  effect.SetHost("Live Cubase", 0);
  EXPECT_EQ(effect.GetHostType(), 3);
  effect.SetHost("reaper-cubase bridge", 0);
  EXPECT_EQ(effect.GetHostType(), 3);
  effect.SetHost("Fruity Live", 0);
  EXPECT_EQ(effect.GetHostType(), 7);
  effect.SetHost("Nuendo by Reaper", 0);
  EXPECT_EQ(effect.GetHostType(), 1);
  effect.SetHost("Digital Logic Orion", 0);
  EXPECT_EQ(effect.GetHostType(), 18);
  effect.SetHost("some other host", 0);
  EXPECT_EQ(effect.GetHostType(), 0);
}

TEST(EffectBaseSettings, VersionsReadPackedOrDecimal) {
  RecordingEffect effect;
  EXPECT_EQ(effect.EffectVersion(false), 0x10000);
  EXPECT_EQ(effect.EffectVersion(true), 10000);
}

TEST(EffectBaseSettings, SampleRatesThatAreNotPositiveAndFiniteAreRefused) {
  RecordingEffect effect;
  effect.SetSampleRate(48000.0);
  effect.SetSampleRate(0.0);
  effect.SetSampleRate(-44100.0);
  effect.SetSampleRate(std::numeric_limits<double>::quiet_NaN());
  effect.SetSampleRate(std::numeric_limits<double>::infinity());
  EXPECT_EQ(effect.GetSampleRate(), 48000.0);
}

TEST(EffectBaseEditorChanges, SetsTheParameterInformsTheHostThenNotifiesUnderTheLock) {
  RecordingEffect effect;
  effect.GetParameter(2)->DefineInteger("Chimes", 1, 1, 8, "");
  effect.SetParameterFromGUI(2, 0.5);
  EXPECT_EQ(effect.GetParameter(2)->Value(), 5.0);
  ASSERT_EQ(effect.events.size(), 2u);
  EXPECT_EQ(effect.events[0], std::make_pair('i', 2));
  EXPECT_EQ(effect.events[1], std::make_pair('c', 2));
  EXPECT_EQ(effect.informed[0].second, 0.5);
  EXPECT_TRUE(effect.changedUnderLock[0]);
}

TEST(EffectBaseEditorChanges, BadIndicesAndNonFiniteValuesChangeNothing) {
  RecordingEffect effect;
  effect.SetParameterFromGUI(4, 0.5);
  effect.SetParameterFromGUI(-1, 0.5);
  effect.SetParameterFromGUI(0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(effect.events.empty());
  EXPECT_EQ(effect.GetParameter(0)->Value(), 0.0);
}

TEST(EffectBaseDefaults, IncomingMidiIsPassedThroughAndNoteNamesAreEmpty) {
  RecordingEffect effect;
  effect.ProcessMidiMessage(IMidiMessage::MakeNoteOn(61, 90, 3, 2));
  ASSERT_EQ(effect.sent.size(), 1u);
  EXPECT_EQ(effect.sent[0].data1, 61);
  char name[8] = "C#4";
  EXPECT_FALSE(effect.GetMidiNoteText(61, name, sizeof name));
  EXPECT_STREQ(name, "");
}

// An editor that notes how many parameters the plug-in still had when it was destroyed.
class WatchingGraphics : public RecordingGraphics {
 public:
  WatchingGraphics(IEffectBase* plugin, int* parametersAtDestruction)
      : RecordingGraphics(plugin), parametersAtDestruction_(parametersAtDestruction) {}
  ~WatchingGraphics() override { *parametersAtDestruction_ = Plugin()->ParameterCount(); }

 private:
  int* parametersAtDestruction_;
};

TEST(EffectBaseEditor, AttachingPushesNormalizedValuesCreatesTheSurfaceAndTakesOwnership) {
  int parametersAtDestruction = -1;
  {
    RecordingEffect effect;
    effect.GetParameter(1)->DefineInteger("Note", 64, 0, 128, "");
    auto* graphics = new WatchingGraphics(&effect, &parametersAtDestruction);
    auto* control = new ProbeControl(&effect, IBounds{0, 0, 10, 10}, 1);
    graphics->AttachControl(control);
    effect.AttachEditor(graphics);
    EXPECT_EQ(effect.GetEditor(), graphics);
    EXPECT_EQ(graphics->surfacesCreated, 1);
    EXPECT_DOUBLE_EQ(control->Value(), 0.5);
  }
  EXPECT_EQ(parametersAtDestruction, 4) << "the editor goes before the parameters";
}

TEST(EffectBaseEditor, RefreshingPushesCurrentValuesIntoBoundControls) {
  RecordingEffect effect;
  effect.GetParameter(3)->DefineContinuous("Gain", 0.0, 0.0, 10.0, 0.01, "");
  auto* graphics = new RecordingGraphics(&effect);
  auto* control = new ProbeControl(&effect, IBounds{0, 0, 10, 10}, 3);
  graphics->AttachControl(control);
  effect.RefreshEditorValues();  // no editor yet: nothing to do
  effect.AttachEditor(graphics);
  effect.GetParameter(3)->SetValueClamped(2.5);
  effect.RefreshEditorValues();
  EXPECT_DOUBLE_EQ(control->Value(), 0.25);
}

}  // namespace
