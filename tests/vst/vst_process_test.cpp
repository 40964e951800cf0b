// The processing and parameter entries of the effect record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

#include "tests/support/allocation_counter.h"
#include "tests/vst/recording_host.h"
#include "tests/vst/test_plugin.h"

namespace {

constexpr float kGuardValue = -777.0f;

class Processing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int c = 0; c < 2; ++c) {
      in[c].assign(kFrames, 0.0f);
      out[c].assign(kFrames + kSlack, kGuardValue);
      for (int i = 0; i < kFrames; ++i) in[c][i] = static_cast<float>(c * 10000 + i);
    }
  }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  void Replacing(int frames) {
    float* inputs[] = {in[0].data(), in[1].data()};
    float* outputs[] = {out[0].data(), out[1].data()};
    effect->processReplacing(effect, inputs, outputs, frames);
  }

  static constexpr int kFrames = 1000;
  static constexpr int kSlack = 16;
  RecordingHost host;
  TestPlugin plugin{RecordingHost::Callback};
  vst2::AEffect* effect = plugin.Effect();
  std::vector<float> in[2];
  std::vector<float> out[2];
};

}  // namespace

TEST_F(Processing, ReplacingCopiesTheInputsToTheOutputsAndAsksForMidi) {
  Replacing(512);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(out[c][0], in[c][0]);
    EXPECT_EQ(out[c][511], in[c][511]);
    EXPECT_EQ(out[c][512], kGuardValue);
  }
  EXPECT_EQ(host.Count(vst2::audioMasterWantMidi), 1);
  EXPECT_EQ(plugin.blockCount, 1);
}

TEST_F(Processing, AccumulatingAddsToWhatTheOutputsHold) {
  for (int c = 0; c < 2; ++c) out[c].assign(kFrames + kSlack, 1.0f);
  float* inputs[] = {in[0].data(), in[1].data()};
  float* outputs[] = {out[0].data(), out[1].data()};
  effect->process(effect, inputs, outputs, 100);
  EXPECT_EQ(out[1][99], in[1][99] + 1.0f);
  EXPECT_EQ(out[1][100], 1.0f);
}

TEST_F(Processing, DoubleReplacingWorksOnTheHostBuffers) {
  std::vector<double> left(64, 0.25), right(64, -0.5), outLeft(64), outRight(64);
  double* inputs[] = {left.data(), right.data()};
  double* outputs[] = {outLeft.data(), outRight.data()};
  effect->processDoubleReplacing(effect, inputs, outputs, 64);
  EXPECT_EQ(outLeft[63], 0.25);
  EXPECT_EQ(outRight[0], -0.5);
  EXPECT_EQ(host.Count(vst2::audioMasterWantMidi), 1);
}

TEST_F(Processing, DoesNothingForNoFrames) {
  Replacing(-256);
  EXPECT_EQ(plugin.blockCount, 0);
  EXPECT_EQ(host.Count(vst2::audioMasterWantMidi), 0);
  EXPECT_EQ(out[0][0], kGuardValue);
}

TEST_F(Processing, CutsACallLongerThanTheBlockSizeIntoBlocks) {
  Dispatch(vst2::effSetBlockSize, 0, 300);
  Replacing(kFrames);
  ASSERT_EQ(plugin.blockCount, 4);
  EXPECT_EQ(plugin.blockFrames[0], 300);
  EXPECT_EQ(plugin.blockFrames[1], 300);
  EXPECT_EQ(plugin.blockFrames[2], 300);
  EXPECT_EQ(plugin.blockFrames[3], 100);
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kFrames; ++i) ASSERT_EQ(out[c][i], in[c][i]) << c << ":" << i;
    EXPECT_EQ(out[c][kFrames], kGuardValue);
  }
  EXPECT_EQ(host.Count(vst2::audioMasterWantMidi), 1);
}

TEST_F(Processing, PlacesMidiFromEachSliceAtItsPlaceInTheOneListOfTheCall) {
  plugin.markBlocks = true;
  Dispatch(vst2::effSetBlockSize, 0, 300);
  Replacing(kFrames);
  std::vector<int32_t> deltas;
  for (const ReceivedEvent& e : host.events) deltas.push_back(e.deltaFrames);
  EXPECT_EQ(deltas, (std::vector<int32_t>{0, 299, 300, 599, 600, 899, 900, 999}));
  EXPECT_EQ(host.Count(vst2::audioMasterProcessEvents), 1);
  // Outside processing nothing is shifted any more.
  host.Clear();
  plugin.markBlocks = false;
  plugin.SendMidiMessage(IMidiMessage::MakeNoteOn(60, 1, 3, 0));
  Replacing(100);
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].deltaFrames, 3);
}

TEST_F(Processing, CutsLongDoubleCallsIntoBlocksAsWell) {
  Dispatch(vst2::effSetBlockSize, 0, 64);
  std::vector<double> left(200, 0.5), outLeft(200, 0.0);
  double* inputs[] = {left.data(), nullptr};
  double* outputs[] = {outLeft.data(), nullptr};
  effect->processDoubleReplacing(effect, inputs, outputs, 200);
  EXPECT_EQ(plugin.blockCount, 4);
  EXPECT_EQ(outLeft[199], 0.5);
}

TEST_F(Processing, SurvivesMissingBufferArraysAndChannels) {
  effect->processReplacing(effect, nullptr, nullptr, 128);
  float* inputs[] = {in[0].data(), nullptr};
  float* outputs[] = {nullptr, out[1].data()};
  effect->processReplacing(effect, inputs, outputs, 128);
  EXPECT_EQ(out[1][0], 0.0f);  // a missing input is silence
  EXPECT_EQ(out[1][127], 0.0f);
  float* noOutputs[] = {nullptr, nullptr};
  effect->process(effect, nullptr, noOutputs, 128);
  effect->processDoubleReplacing(effect, nullptr, nullptr, 128);
  EXPECT_EQ(plugin.blockCount, 4);
}

TEST_F(Processing, ReadsOnlyTheFirstHostBufferAndSilenceWhenTheSecondInputIsDisconnected) {
  Replacing(64);  // both connected: the second input's scratch now holds a converted block
  ASSERT_EQ(out[1][63], in[1][63]);
  vst2::VstSpeakerArrangement input{};
  input.numChannels = 1;
  Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), nullptr);
  for (int round = 0; round < 2; ++round) {
    Replacing(64);  // the host still passes real data in its second buffer
    EXPECT_EQ(out[0][63], in[0][63]);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(out[1][i], 0.0f) << i;
  }
}

TEST_F(Processing, AllocatesNothingEvenWhenSlicing) {
  plugin.markBlocks = true;
  Dispatch(vst2::effSetBlockSize, 0, 128);
  std::vector<double> left(kFrames), outLeft(kFrames);
  double* doubleInputs[] = {left.data(), left.data()};
  double* doubleOutputs[] = {outLeft.data(), outLeft.data()};
  host.recording = false;
  allocation_counter::Start();
  for (int i = 0; i < 100; ++i) {
    Replacing(kFrames);
    effect->processDoubleReplacing(effect, doubleInputs, doubleOutputs, kFrames);
    Replacing(77);
  }
  EXPECT_EQ(allocation_counter::Stop(), 0);
}

// ---- Parameter entries ---------------------------------------------------------------------

TEST_F(Processing, ParametersAreReadAndWrittenNormalized) {
  EXPECT_FLOAT_EQ(effect->getParameter(effect, TestPlugin::kSpeed), 10.0f / 30.0f);
  effect->setParameter(effect, TestPlugin::kSpeed, 0.5f);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kSpeed)->Value(), 15.0);
  EXPECT_EQ(plugin.changes[TestPlugin::kSpeed], 1);
  EXPECT_EQ(host.Count(vst2::audioMasterAutomate), 0);  // nothing goes back to the host
}

TEST_F(Processing, ParameterIndicesOutsideTheListAreIgnored) {
  EXPECT_EQ(effect->getParameter(effect, TestPlugin::kParameters), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  effect->setParameter(effect, -1, 0.5f);
  effect->setParameter(effect, TestPlugin::kParameters, 0.5f);
  for (int count : plugin.changes) EXPECT_EQ(count, 0);
}

TEST_F(Processing, ParameterValuesOutsideZeroToOneAreHeldToTheRange) {
  effect->setParameter(effect, TestPlugin::kCount, -0.5f);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 1.0);
  effect->setParameter(effect, TestPlugin::kCount, 7.0f);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 8.0);
  effect->setParameter(effect, TestPlugin::kCount, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 8.0);
  EXPECT_EQ(plugin.changes[TestPlugin::kCount], 2);
}
