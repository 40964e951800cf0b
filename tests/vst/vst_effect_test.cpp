// The effect record, speaker arrangements, host-specific set-up and the chunk header.
#include "plug/vst_effect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/vst/fake_editor.h"
#include "tests/vst/recording_host.h"
#include "tests/vst/test_plugin.h"

namespace {

intptr_t Dispatch(vst2::AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

struct Arrangements {
  vst2::VstSpeakerArrangement* input = nullptr;
  vst2::VstSpeakerArrangement* output = nullptr;
};

Arrangements GetArrangements(vst2::AEffect* effect) {
  Arrangements a;
  EXPECT_EQ(Dispatch(effect, vst2::effGetSpeakerArrangement, 0,
                     reinterpret_cast<intptr_t>(&a.input), &a.output),
            1);
  return a;
}

std::unique_ptr<TestPlugin> Make(const char* channelIO) {
  TestPluginOptions options;
  options.channelIO = channelIO;
  return std::make_unique<TestPlugin>(RecordingHost::Callback, options);
}

}  // namespace

TEST(EffectRecord, DescribesThePlugInToTheHost) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  vst2::AEffect* effect = plugin.Effect();
  EXPECT_EQ(effect->magic, 0x56737450);
  EXPECT_EQ(effect->numParams, TestPlugin::kParameters);
  EXPECT_EQ(effect->numPrograms, 3);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags, 0x1118);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->object, &plugin);
  EXPECT_EQ(effect->uniqueID, IEffectBase::FourCC("tstp"));
  EXPECT_EQ(effect->version, 10203);
  EXPECT_NE(effect->dispatcher, nullptr);
  EXPECT_NE(effect->process, nullptr);
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_NE(effect->processDoubleReplacing, nullptr);
  EXPECT_NE(effect->getParameter, nullptr);
  EXPECT_NE(effect->setParameter, nullptr);
  EXPECT_EQ(effect->user, nullptr);
  const char zeros[sizeof(effect->future)] = {};
  EXPECT_EQ(std::memcmp(effect->future, zeros, sizeof(zeros)), 0);
}

TEST(EffectRecord, FlagsFollowTheDeclaration) {
  RecordingHost host;
  TestPluginOptions options;
  options.channelIO = "2-2";
  options.stateChunks = true;
  options.isInstrument = false;
  TestPlugin plugin(RecordingHost::Callback, options);
  // No mono pair, program chunks on, not a synth.
  EXPECT_EQ(plugin.Effect()->flags, 0x10 | 0x1000 | 0x20);
}

TEST(EffectRecord, StartsWithEveryChannelConnectedAndABlockOf1024) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  EXPECT_EQ(plugin.GetBlockSize(), 1024);
  for (int i = 0; i < plugin.InputCount(); ++i) EXPECT_TRUE(plugin.GetInputChannel(i)->connected);
  for (int i = 0; i < plugin.OutputCount(); ++i) EXPECT_TRUE(plugin.GetOutputChannel(i)->connected);
}

TEST(EffectRecord, LatencyChangesTheInitialDelay) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  plugin.SetLatency(256);
  EXPECT_EQ(plugin.Effect()->initialDelay, 256);
  EXPECT_EQ(plugin.GetLatency(), 256);
}

TEST(SpeakerArrangements, TypesFollowTheChannelCounts) {
  RecordingHost host;
  const struct {
    const char* io;
    int32_t type;
    int32_t channels;
  } cases[] = {{"1-1", 0, 1}, {"2-2", 1, 2}, {"6-6", -2, 6}, {"0-0", -1, 0}};
  for (const auto& c : cases) {
    auto plugin = Make(c.io);
    const Arrangements a = GetArrangements(plugin->Effect());
    ASSERT_NE(a.input, nullptr);
    ASSERT_NE(a.output, nullptr);
    EXPECT_EQ(a.input->type, c.type) << c.io;
    EXPECT_EQ(a.input->numChannels, c.channels) << c.io;
    EXPECT_EQ(a.output->type, c.type) << c.io;
    EXPECT_EQ(a.output->numChannels, c.channels) << c.io;
  }
}

TEST(HostSpecificSetup, GivesAPlugInWithoutChannelsAStereoPairInHostsThatNeedOne) {
  RecordingHost host;
  host.product = "Ableton Live";
  host.vendorVersion = 90000;
  auto plugin = Make("0-0");
  vst2::AEffect* effect = plugin->Effect();
  Dispatch(effect, vst2::effOpen);
  EXPECT_EQ(plugin->GetHostType(), 9);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_TRUE(plugin->LegalIO(2, 2));
  EXPECT_EQ(GetArrangements(effect).input->numChannels, 2);
  EXPECT_EQ(GetArrangements(effect).output->numChannels, 2);

  // The new channels carry audio at the block size already set.
  float left[1024], right[1024], outLeft[1024] = {}, outRight[1024] = {};
  for (int i = 0; i < 1024; ++i) left[i] = right[i] = static_cast<float>(i);
  float* inputs[] = {left, right};
  float* outputs[] = {outLeft, outRight};
  effect->processReplacing(effect, inputs, outputs, 1024);
  EXPECT_EQ(outLeft[1023], 1023.0f);
  EXPECT_EQ(outRight[1023], 1023.0f);
}

TEST(HostSpecificSetup, LeavesAPlugInWithoutChannelsAloneInOtherHosts) {
  RecordingHost host;
  host.product = "Some Host";
  auto plugin = Make("0-0");
  Dispatch(plugin->Effect(), vst2::effOpen);
  EXPECT_EQ(plugin->GetHostType(), 0);
  EXPECT_EQ(plugin->Effect()->numInputs, 0);
}

TEST(HostSpecificSetup, FollowsTheProductTheHostNames) {
  const struct {
    const char* product;
    int channels;
  } hosts[] = {{"Cakewalk SONAR", 2}, {"Forte", 2},  {"Orion", 2}, {"SAWStudio", 2},
               {"Cubase", 0},         {"REAPER", 0}, {"Logic", 0}};
  for (const auto& h : hosts) {
    RecordingHost host;
    host.product = h.product;
    auto plugin = Make("0-0");
    Dispatch(plugin->Effect(), vst2::effOpen);
    EXPECT_EQ(plugin->Effect()->numInputs, h.channels) << h.product;
  }
}

TEST(HostSpecificSetup, DisconnectsInputsBeyondTheSecondInHostsThatExpectStereo) {
  RecordingHost host;
  host.product = "Adobe Audition";
  auto plugin = Make("4-4");
  // Outputs are connected from construction: cut them first, so that the set-up must connect.
  vst2::VstSpeakerArrangement two{};
  two.numChannels = 2;
  Dispatch(plugin->Effect(), vst2::effSetSpeakerArrangement, 0, 0, &two);
  ASSERT_FALSE(plugin->GetOutputChannel(2)->connected);
  Dispatch(plugin->Effect(), vst2::effOpen);
  EXPECT_EQ(plugin->GetHostType(), 17);
  EXPECT_TRUE(plugin->GetInputChannel(1)->connected);
  EXPECT_FALSE(plugin->GetInputChannel(2)->connected);
  EXPECT_FALSE(plugin->GetInputChannel(3)->connected);
  EXPECT_TRUE(plugin->GetOutputChannel(2)->connected);
  EXPECT_TRUE(plugin->GetOutputChannel(3)->connected);
}

TEST(ChunkHeader, IsTheMagicAndTheVersionLittleEndian) {
  IStateChunk chunk;
  chunk.AppendInt32(42);
  IVstEffect::WriteChunkHeader(chunk);
  ASSERT_EQ(chunk.Size(), 8);
  const uint8_t expected[] = {'t', 'f', 'f', 'p', 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(chunk.Data(), expected, 8), 0);
  int32_t position = 0;
  EXPECT_EQ(IVstEffect::ReadChunkHeader(chunk, &position), 0x10000);
  EXPECT_EQ(position, 8);
}

TEST(ChunkHeader, IsAbsentFromABareStateWhichIsReadFromItsStart) {
  IStateChunk chunk;
  chunk.AppendDouble(1.5);
  int32_t position = 0;
  EXPECT_EQ(IVstEffect::ReadChunkHeader(chunk, &position), 0);
  EXPECT_EQ(position, 0);
}

TEST(ChunkHeader, CutAfterTheMagicLeavesNothingToRead) {
  IStateChunk chunk;
  chunk.AppendInt32(IVstEffect::kChunkMagic);
  chunk.Append("\x01\x00", 2);
  int32_t position = 0;
  EXPECT_EQ(IVstEffect::ReadChunkHeader(chunk, &position), 0);
  EXPECT_EQ(position, -1);
}

TEST(Editor, AttachingOneAddsTheEditorFlagAndItsRectangle) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  plugin.AttachEditor(nullptr);
  EXPECT_EQ(plugin.Effect()->flags, 0x1118);
  plugin.AttachEditor(new FakeEditor(&plugin, 800, 400));
  EXPECT_EQ(plugin.Effect()->flags, 0x1119);
  vst2::ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(plugin.Effect(), vst2::effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 400);
  EXPECT_EQ(rect->right, 800);
}

TEST(Editor, ResizingTakesTheEditorsOwnSize) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  auto* editor = new FakeEditor(&plugin, 800, 400);
  plugin.AttachEditor(editor);
  editor->SetSize(640, 300);
  plugin.EditorResized(1, 1);
  EXPECT_EQ(plugin.EditorRect().bottom, 300);
  EXPECT_EQ(plugin.EditorRect().right, 640);
}

TEST(Editor, OpensAndClosesThroughTheDispatcher) {
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  auto* editor = new FakeEditor(&plugin, 800, 400);
  plugin.AttachEditor(editor);
  int parent = 0;
  EXPECT_EQ(Dispatch(plugin.Effect(), vst2::effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(editor->openedWith, &parent);
  EXPECT_EQ(Dispatch(plugin.Effect(), vst2::effEditClose), 1);
  EXPECT_EQ(editor->closes, 1);
  editor->opens = false;
  EXPECT_EQ(Dispatch(plugin.Effect(), vst2::effEditOpen, 0, 0, &parent), 0);
}
