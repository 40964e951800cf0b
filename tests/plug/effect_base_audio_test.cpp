// IEffectBase audio plumbing: scratch sizing, slots, float and double buffers, disconnected
// channels, pass-through and frame counts above the block size.
#include "plug/effect_base.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/plug/recording_effect.h"

namespace {

const double* Scratch(const InputChannel* channel) {
  return static_cast<const double*>(channel->scratch.Data());
}
const double* Scratch(const OutputChannel* channel) {
  return static_cast<const double*>(channel->scratch.Data());
}

// Slots must point at their own entry of the pointer array, wherever that array now lives.
void ExpectSlotsPointIntoArrays(RecordingEffect& effect) {
  for (int i = 0; i < effect.InputCount(); ++i)
    ASSERT_EQ(effect.GetInputChannel(i)->slot, &effect.InputPointers()[i]) << "input " << i;
  for (int i = 0; i < effect.OutputCount(); ++i)
    ASSERT_EQ(effect.GetOutputChannel(i)->slot, &effect.OutputPointers()[i]) << "output " << i;
}

TEST(EffectBaseBlockSize, EveryScratchHoldsTheBlockSizeInZeros) {
  RecordingEffect effect;
  effect.SetBlockSize(512);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(effect.GetInputChannel(i)->scratch.Size(), 512 * 8);
    ASSERT_EQ(effect.GetOutputChannel(i)->scratch.Size(), 512 * 8);
    for (int f = 0; f < 512; ++f) ASSERT_EQ(Scratch(effect.GetOutputChannel(i))[f], 0.0);
  }
}

TEST(EffectBaseBlockSize, SettingTheSameSizeAgainLeavesTheScratchAlone) {
  RecordingEffect effect;
  effect.SetBlockSize(1024);
  effect.SetInputConnections(0, 2, true);
  std::vector<float> host(1024, 0.5f);
  float* hosts[] = {host.data(), host.data()};
  effect.AttachInputs(hosts, 1024);
  effect.SetBlockSize(1024);
  EXPECT_EQ(Scratch(effect.GetInputChannel(0))[1023], 0.5);
  effect.SetBlockSize(-5);
  EXPECT_EQ(effect.GetBlockSize(), 1024);
}

TEST(EffectBaseChannels, GrowingThePointerArraysRepointsEverySlot) {
  RecordingEffect effect;
  effect.SetBlockSize(64);
  effect.PrepareChannels(700, 3);  // 700 pointers no longer fit the first 4000-byte block
  EXPECT_EQ(effect.InputCount(), 700);
  EXPECT_EQ(effect.OutputCount(), 3);
  ExpectSlotsPointIntoArrays(effect);
  EXPECT_EQ(effect.GetInputChannel(699)->scratch.Size(), 64 * 8) << "new channels fit a block";
  effect.PrepareChannels(1, 1);
  EXPECT_EQ(effect.InputCount(), 700) << "the lists only grow";
}

TEST(EffectBaseFloatPlumbing, ADisconnectedInputTakesNoHostBufferAndReadsItsOwnScratch) {
  RecordingEffect effect;
  effect.SetBlockSize(4);
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 2, true);
  effect.SetInputConnections(1, 1, false);
  std::vector<float> in0{1, 2, 3, 4};
  std::vector<float> out0(4, 9.0f), out1(4, 9.0f);
  float* inputs[] = {in0.data()};  // only one: a second read would leave the array
  float* outputs[] = {out0.data(), out1.data()};
  effect.AttachInputs(inputs, 4);
  effect.AttachOutputs(outputs);
  EXPECT_EQ(effect.InputPointers()[1], Scratch(effect.GetInputChannel(1)));
  effect.RunBlock(4);
  EXPECT_EQ(out0, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(out1, (std::vector<float>(4, 0.0f))) << "the stale input scratch is still zeros";
}

TEST(EffectBaseFloatPlumbing, ADisconnectedOutputWritesNowhereTheHostReads) {
  RecordingEffect effect;
  effect.SetBlockSize(3);
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 1, true);
  std::vector<float> in0{1, 2, 3}, in1{4, 5, 6}, out0(3, 0.0f);
  float* inputs[] = {in0.data(), in1.data()};
  float* outputs[] = {out0.data()};
  effect.AttachInputs(inputs, 3);
  effect.AttachOutputs(outputs);
  effect.RunBlock(3);
  EXPECT_EQ(out0, (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Scratch(effect.GetOutputChannel(1))[2], 6.0);
}

TEST(EffectBaseFloatPlumbing, AccumulatingAddsToWhatTheHostBufferHolds) {
  RecordingEffect effect(1, "1-1");
  effect.SetBlockSize(2);
  effect.SetInputConnections(0, 1, true);
  effect.SetOutputConnections(0, 1, true);
  std::vector<float> in{0.25f, 0.5f}, out{1.0f, 1.0f};
  float* inputs[] = {in.data()};
  float* outputs[] = {out.data()};
  effect.AttachInputs(inputs, 2);
  effect.AttachOutputs(outputs);
  effect.RunBlockAccumulating(2);
  EXPECT_EQ(out, (std::vector<float>{1.25f, 1.5f}));
}

TEST(EffectBaseFloatPlumbing, FramesBeyondTheBlockSizeAreSilencedNotOverrun) {
  RecordingEffect effect(1, "1-1");
  effect.SetBlockSize(4);
  effect.SetInputConnections(0, 1, true);
  effect.SetOutputConnections(0, 1, true);
  std::vector<float> in(16, 1.0f), out(16, 7.0f);
  float* inputs[] = {in.data()};
  float* outputs[] = {out.data()};
  effect.AttachInputs(inputs, 16);
  effect.AttachOutputs(outputs);
  effect.RunBlock(16);
  EXPECT_EQ(effect.blockFrames.back(), 4);
  EXPECT_EQ(out[3], 1.0f);
  EXPECT_EQ(out[4], 0.0f);
  EXPECT_EQ(out[15], 0.0f);
}

TEST(EffectBaseFloatPlumbing, WithoutABlockSizeNothingIsProcessed) {
  RecordingEffect effect(1, "1-1");
  effect.SetInputConnections(0, 1, true);
  effect.SetOutputConnections(0, 1, true);
  std::vector<float> in(8, 1.0f), out(8, 7.0f);
  float* inputs[] = {in.data()};
  float* outputs[] = {out.data()};
  effect.AttachInputs(inputs, 8);
  effect.AttachOutputs(outputs);
  effect.RunBlock(8);
  EXPECT_EQ(effect.blockFrames.back(), 0);
  EXPECT_EQ(out, std::vector<float>(8, 0.0f));
}

TEST(EffectBaseDoublePlumbing, ConnectedSlotsPointAtTheHostBuffersDirectly) {
  RecordingEffect effect;
  effect.SetBlockSize(4);
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 2, true);
  effect.SetInputConnections(0, 1, false);
  std::vector<double> in0{1, 2, 3, 4}, out0(4), out1(4);
  double* inputs[] = {in0.data()};
  double* outputs[] = {out0.data(), out1.data()};
  effect.AttachInputs(inputs);
  effect.AttachOutputs(outputs);
  EXPECT_EQ(effect.InputPointers()[0], Scratch(effect.GetInputChannel(0)));
  EXPECT_EQ(effect.InputPointers()[1], in0.data()) << "the first connected input takes buffer 0";
  EXPECT_EQ(effect.OutputPointers()[1], out1.data());
  effect.RunBlockDouble(4);
  EXPECT_EQ(out1, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(out0, (std::vector<double>(4, 0.0)));
}

TEST(EffectBaseDoublePlumbing, DisconnectingAChannelLetsGoOfTheHostBuffer) {
  RecordingEffect effect;
  effect.SetBlockSize(4);
  effect.SetInputConnections(0, 2, true);
  std::vector<double> in0(4), in1(4);
  double* inputs[] = {in0.data(), in1.data()};
  effect.AttachInputs(inputs);
  EXPECT_EQ(effect.InputPointers()[1], in1.data());
  effect.SetInputConnections(1, 5, false);  // a count past the end stops at the last channel
  EXPECT_EQ(effect.InputPointers()[1], Scratch(effect.GetInputChannel(1)));
  EXPECT_TRUE(effect.GetInputChannel(0)->connected);
}

TEST(EffectBaseDoublePlumbing, FramesBeyondTheBlockSizeAreSilenced) {
  RecordingEffect effect(1, "1-1");
  effect.SetBlockSize(2);
  effect.SetInputConnections(0, 1, true);
  effect.SetOutputConnections(0, 1, true);
  std::vector<double> in(6, 1.0), out(6, 7.0);
  double* inputs[] = {in.data()};
  double* outputs[] = {out.data()};
  effect.AttachInputs(inputs);
  effect.AttachOutputs(outputs);
  effect.RunBlockDouble(6);
  EXPECT_EQ(effect.blockFrames.back(), 2);
  EXPECT_EQ(out, (std::vector<double>{1, 1, 0, 0, 0, 0}));
}

TEST(EffectBasePassThrough, InputsCopyToMatchingOutputsAndTheRestIsZeroed) {
  RecordingEffect effect(1, "1-2");
  std::vector<double> in{1, 2}, out0{9, 9}, out1{9, 9};
  double* inputs[] = {in.data()};
  double* outputs[] = {out0.data(), out1.data()};
  effect.PassThroughAudio(inputs, outputs, 2);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, (std::vector<double>{0, 0}));

  RecordingEffect stereo(1, "2-2");
  std::vector<double> left{1, 2}, right{3, 4}, outLeft(2), outRight(2);
  double* stereoIn[] = {left.data(), right.data()};
  double* stereoOut[] = {outLeft.data(), outRight.data()};
  stereo.PassThroughAudio(stereoIn, stereoOut, 2);
  EXPECT_EQ(outLeft, left);
  EXPECT_EQ(outRight, right);
}

}  // namespace
