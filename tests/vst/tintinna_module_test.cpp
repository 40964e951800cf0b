// The built plug-in library, loaded and driven through its export as a host drives it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/vst/loaded_module.h"
#include "tests/vst/recording_host.h"

namespace {

class TintinnaModule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module.IsOpen()) << dlerror();
    vst2::EntryProc entry = module.Entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    effect = entry(RecordingHost::Callback);
    ASSERT_NE(effect, nullptr);
    Dispatch(vst2::effOpen);
  }
  void TearDown() override {
    if (effect) Dispatch(vst2::effClose);
  }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  std::string ParamName(int index) {
    char text[64] = {};
    Dispatch(vst2::effGetParamName, index, 0, text);
    return text;
  }

  LoadedModule module{TINTINNA_MODULE_PATH};
  RecordingHost host;
  vst2::AEffect* effect = nullptr;
};

}  // namespace

TEST_F(TintinnaModule, PresentsTheChimeInstrumentRecord) {
  EXPECT_EQ(effect->magic, vst2::kEffectMagic);
  EXPECT_EQ(effect->flags, 0x1119);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->numParams, 28);
  EXPECT_EQ(effect->numPrograms, 6);
  EXPECT_EQ(effect->version, 10000);
  EXPECT_EQ(effect->uniqueID, 't' << 24 | 'n' << 16 | 't' << 8 | 'a');
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(Dispatch(vst2::effGetPlugCategory), 2);
}

TEST_F(TintinnaModule, GivesTheEditorRectangleWhenItHasAnEditor) {
  vst2::ERect* rect = nullptr;
  const intptr_t result = Dispatch(vst2::effEditGetRect, 0, 0, &rect);
  if (!(effect->flags & vst2::kFlagHasEditor)) {
    EXPECT_EQ(result, 0);
    return;
  }
  ASSERT_EQ(result, 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->bottom, 400);
  EXPECT_EQ(rect->right, 800);
}

TEST_F(TintinnaModule, NamesItsParameters) {
  EXPECT_EQ(ParamName(0), "WSpeed");
  EXPECT_EQ(ParamName(1), "Variable");
  EXPECT_EQ(ParamName(2), "NumTones");
  EXPECT_EQ(ParamName(3), "Tone 1");
  EXPECT_EQ(ParamName(10), "Tone 8");
  EXPECT_EQ(ParamName(11), "Sensitiv");
  EXPECT_EQ(ParamName(13), "Algorithm");
  EXPECT_EQ(ParamName(14), "Duration");
  EXPECT_EQ(ParamName(19), "CC A");
  EXPECT_EQ(ParamName(22), "CC B");
  EXPECT_EQ(ParamName(23), "");
  char label[64] = {};
  Dispatch(vst2::effGetParamLabel, 14, 0, label);
  EXPECT_STREQ(label, "sec");
  char display[64] = {};
  Dispatch(vst2::effGetParamDisplay, 13, 0, display);
  EXPECT_STREQ(display, "Select Any");
}

TEST_F(TintinnaModule, SavesAndRestoresA232ByteChunk) {
  void* data = nullptr;
  const intptr_t size = Dispatch(vst2::effGetChunk, 0, 0, &data);
  ASSERT_EQ(size, 232);
  EXPECT_EQ(std::memcmp(data, "tffp", 4), 0);
  const std::string saved(static_cast<char*>(data), static_cast<size_t>(size));
  const float speed = effect->getParameter(effect, 0);
  effect->setParameter(effect, 0, 1.0f);
  EXPECT_EQ(Dispatch(vst2::effSetChunk, 0, size, const_cast<char*>(saved.data())), 1);
  EXPECT_EQ(effect->getParameter(effect, 0), speed);
}

TEST_F(TintinnaModule, NamesItsSixPrograms) {
  char name[64] = {};
  EXPECT_EQ(Dispatch(vst2::effGetProgramNameIndexed, 5, 0, name), 1);
  EXPECT_STREQ(name, "- 6 -");
  EXPECT_EQ(Dispatch(vst2::effGetProgramNameIndexed, 6, 0, name), 0);
}

TEST_F(TintinnaModule, PassesIncomingMidiThrough) {
  vst2::VstMidiEvent event{};
  event.type = vst2::kVstMidiType;
  event.byteSize = sizeof(event);
  event.deltaFrames = 12;
  event.midiData[0] = static_cast<char>(0xB2);
  event.midiData[1] = 7;
  event.midiData[2] = 100;
  vst2::VstEvents list{1, 0, {reinterpret_cast<vst2::VstEvent*>(&event), nullptr}};
  host.Clear();
  EXPECT_EQ(Dispatch(vst2::effProcessEvents, 0, 0, &list), 1);
  EXPECT_TRUE(host.events.empty());
  static float buffer[64];
  float* buffers[] = {buffer, buffer};
  effect->processReplacing(effect, buffers, buffers, 64);
  int passed = 0;
  for (const ReceivedEvent& e : host.events) {
    if (e.bytes[0] != 0xB2) continue;
    ++passed;
    EXPECT_EQ(e.deltaFrames, 12);
    EXPECT_EQ(e.bytes[2], 100);
  }
  EXPECT_EQ(passed, 1);
}

TEST_F(TintinnaModule, ProcessesAnOversizeBlockWithoutTouchingPastTheEnd) {
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  Dispatch(vst2::effSetBlockSize, 0, 64);
  Dispatch(vst2::effMainsChanged, 0, 1);
  constexpr int kFrames = 1000;
  static float in[2][kFrames + 1], out[2][kFrames + 1];
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kFrames; ++i) in[c][i] = static_cast<float>(i);
    out[c][kFrames] = -1.0f;
  }
  float* inputs[] = {in[0], in[1]};
  float* outputs[] = {out[0], out[1]};
  effect->processReplacing(effect, inputs, outputs, kFrames);
  EXPECT_EQ(out[0][kFrames - 1], static_cast<float>(kFrames - 1));
  EXPECT_EQ(out[1][kFrames], -1.0f);
  for (const ReceivedEvent& e : host.events) {
    EXPECT_GE(e.deltaFrames, 0);
    EXPECT_LT(e.deltaFrames, kFrames);
  }
}
