// The plug-in DLL driven through its exports and records, as a Windows host drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/windows/dll_host.h"
#include "tests/windows/windows_test_paths.h"

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr int32_t kBlock = 512;
constexpr int32_t kParameterCount = 28;
constexpr int32_t kChunkSize = 8 + kParameterCount * 8;
constexpr int64_t kBounceFrames = static_cast<int64_t>(0.025 * kSampleRate);

constexpr int32_t FourCC(const char (&c)[5]) {
  return c[0] << 24 | c[1] << 16 | c[2] << 8 | c[3];
}

bool IsNoteOn(const HostMidiEvent& e) {
  return (e.status & 0xF0) == 0x90 && e.data2 > 0;
}
bool IsNoteOff(const HostMidiEvent& e) {
  return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0);
}
bool IsController(const HostMidiEvent& e) {
  return (e.status & 0xF0) == 0xB0;
}

class DllInstance : public testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<DllHost>(PluginPath());
    ASSERT_TRUE(host_->Loaded()) << "LoadLibrary failed for " << PluginPath();
    ASSERT_NE(host_->Create(), nullptr);
  }

  vst2::AEffect* Effect() { return host_->Effect(); }
  void SetNormalized(int32_t index, float value) { Effect()->setParameter(Effect(), index, value); }
  float Normalized(int32_t index) { return Effect()->getParameter(Effect(), index); }
  void Run(double seconds) {
    const auto blocks = static_cast<int>(seconds * kSampleRate / kBlock);
    for (int i = 0; i < blocks; ++i) host_->Process(kBlock);
  }
  std::vector<uint8_t> Chunk(int32_t bankOrProgram) {
    void* data = nullptr;
    const intptr_t size = host_->Dispatch(vst2::effGetChunk, bankOrProgram, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
  }

  std::unique_ptr<DllHost> host_;
};

// ---- Exports and the effect record -------------------------------------------------------------

TEST(DllExports, OfferTheEntryUnderBothNamesHostsLookFor) {
  DllHost host(PluginPath());
  ASSERT_TRUE(host.Loaded());
  EXPECT_NE(host.Export("VSTPluginMain"), nullptr);
  EXPECT_NE(host.Export("main"), nullptr);
}

TEST(DllExports, OldHostsEnteringThroughMainGetAWorkingInstance) {
  DllHost host(PluginPath());
  vst2::AEffect* effect = host.Create("main");
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->magic, vst2::kEffectMagic);
  host.Start(kSampleRate, kBlock);
  EXPECT_EQ(host.ParameterName(0), "WSpeed");
}

TEST(DllExports, EachCallCreatesAnInstanceOfItsOwn) {
  DllHost first(PluginPath());
  DllHost second(PluginPath());
  vst2::AEffect* a = first.Create();
  vst2::AEffect* b = second.Create();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_NE(a->object, b->object);
  first.Start(kSampleRate, kBlock);
  second.Start(kSampleRate, kBlock);
  a->setParameter(a, 0, 1.0f);
  EXPECT_NE(b->getParameter(b, 0), 1.0f);
}

TEST_F(DllInstance, EffectRecordDescribesAMidiInstrumentWithChunks) {
  const vst2::AEffect* e = Effect();
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->numParams, kParameterCount);
  EXPECT_EQ(e->numPrograms, 6);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, 0x1119);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->uniqueID, FourCC("tnta"));
  EXPECT_EQ(e->version, 10000);
  EXPECT_NE(e->object, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_EQ(e->user, host_.get());
}

TEST_F(DllInstance, EditorRectangleMatchesTheEditorFlag) {
  vst2::ERect* rect = nullptr;
  const intptr_t answered = host_->Dispatch(vst2::effEditGetRect, 0, 0, &rect);
  if ((Effect()->flags & vst2::kFlagHasEditor) == 0) GTEST_SKIP() << "built without an editor";
  ASSERT_NE(answered, 0);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 800);
  EXPECT_EQ(rect->bottom - rect->top, 400);
}

// ---- Parameters --------------------------------------------------------------------------------

TEST_F(DllInstance, ParametersReportTheirNamesThroughTheDispatcher) {
  host_->Start(kSampleRate, kBlock);
  const char* expected[kParameterCount] = {"WSpeed",
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
                                           nullptr,
                                           "CC A",
                                           "ChannelB",
                                           "CC Number B",
                                           "CC B",
                                           "",
                                           "",
                                           "",
                                           "",
                                           ""};
  for (int32_t i = 0; i < kParameterCount; ++i) {
    if (expected[i] == nullptr) {
      EXPECT_FALSE(host_->ParameterName(i).empty()) << "parameter " << i;
    } else {
      EXPECT_EQ(host_->ParameterName(i), expected[i]) << "parameter " << i;
    }
  }
}

TEST_F(DllInstance, ParametersShowTheirValueTexts) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(13, 1.0f);
  EXPECT_EQ(host_->ParameterDisplay(13), "Favor Neighbors");
  SetNormalized(13, 0.0f);
  EXPECT_EQ(host_->ParameterDisplay(13), "Select Any");
  SetNormalized(15, 1.0f);
  EXPECT_EQ(host_->ParameterDisplay(15), "16");
  SetNormalized(19, 1.0f);
  EXPECT_EQ(host_->ParameterDisplay(19), "on");
}

// ---- State -------------------------------------------------------------------------------------

TEST_F(DllInstance, ProgramChunkCarriesTheHeaderAndOneDoublePerParameter) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(0, 0.5f);  // WSpeed 15 in real units
  const std::vector<uint8_t> chunk = Chunk(1);
  ASSERT_EQ(chunk.size(), static_cast<size_t>(kChunkSize));
  EXPECT_EQ(std::string(chunk.begin(), chunk.begin() + 4), "tffp");
  const std::vector<uint8_t> version(chunk.begin() + 4, chunk.begin() + 8);
  EXPECT_EQ(version, (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x00}));
  double wspeed = 0.0;
  std::memcpy(&wspeed, chunk.data() + 8, sizeof wspeed);
  EXPECT_DOUBLE_EQ(wspeed, 15.0);
}

TEST_F(DllInstance, ChunkRoundTripRestoresEveryParameter) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(0, 0.8f);
  SetNormalized(3, 0.25f);
  SetNormalized(14, 0.4f);
  std::vector<float> saved;
  for (int32_t i = 0; i < kParameterCount; ++i) saved.push_back(Normalized(i));
  for (int32_t bankOrProgram : {0, 1}) {
    std::vector<uint8_t> chunk = Chunk(bankOrProgram);
    ASSERT_FALSE(chunk.empty());
    SetNormalized(0, 0.1f);
    SetNormalized(3, 0.9f);
    SetNormalized(14, 1.0f);
    host_->Dispatch(vst2::effSetChunk, bankOrProgram, static_cast<intptr_t>(chunk.size()),
                    chunk.data());
    for (int32_t i = 0; i < kParameterCount; ++i) {
      EXPECT_FLOAT_EQ(Normalized(i), saved[i]) << "parameter " << i << ", chunk " << bankOrProgram;
    }
  }
}

TEST_F(DllInstance, TruncatedChunkIsRefusedAndLeavesLaterParametersAlone) {
  host_->Start(kSampleRate, kBlock);
  std::vector<uint8_t> chunk = Chunk(1);
  ASSERT_EQ(chunk.size(), static_cast<size_t>(kChunkSize));
  SetNormalized(5, 0.7f);
  const float before = Normalized(5);
  // Header and half a value: the load fails, and nothing past the cut is touched.
  EXPECT_EQ(host_->Dispatch(vst2::effSetChunk, 1, 12, chunk.data()), 0);
  EXPECT_FLOAT_EQ(Normalized(5), before);
}

// ---- Processing --------------------------------------------------------------------------------

TEST_F(DllInstance, AudioPassesThroughUnchanged) {
  host_->Start(kSampleRate, kBlock);
  host_->Process(kBlock);
  for (int c = 0; c < 2; ++c) EXPECT_EQ(host_->Output(c), host_->Input(c)) << "channel " << c;
}

TEST_F(DllInstance, PlayingTransportStrikesTheChimesInTuneAndOnTheirChannel) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(0, 1.0f);           // strongest mean wind
  SetNormalized(11, 0.0f);          // lowest sensitivity constant: strikes come easily
  SetNormalized(15, 3.0f / 15.0f);  // notes on channel 4
  Run(20.0);
  const auto ons = std::count_if(host_->midi.begin(), host_->midi.end(), IsNoteOn);
  ASSERT_GT(ons, 10);
  const std::vector<int> tones = {48, 50, 52, 53, 55, 57};  // the six chimes in play
  for (const HostMidiEvent& e : host_->midi) {
    if (!IsNoteOn(e) && !IsNoteOff(e)) continue;
    EXPECT_EQ(e.status & 0x0F, 3);
    EXPECT_NE(std::find(tones.begin(), tones.end(), e.data1), tones.end()) << int{e.data1};
  }
}

TEST_F(DllInstance, EveryStruckNoteEndsWithinItsDuration) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(0, 1.0f);
  SetNormalized(11, 0.0f);
  SetNormalized(14, (0.3f - 0.1f) / 9.9f);  // Duration 0.3 s
  Run(20.0);
  const int64_t end = host_->SamplePosition();
  const auto duration = static_cast<int64_t>(0.3 * kSampleRate);
  int checked = 0;
  const auto& midi = host_->midi;
  for (size_t i = 0; i < midi.size(); ++i) {
    if (!IsNoteOn(midi[i]) || midi[i].time + duration + kBlock >= end) continue;
    const auto off = std::find_if(midi.begin() + i + 1, midi.end(), [&](const HostMidiEvent& e) {
      return IsNoteOff(e) && e.data1 == midi[i].data1 && e.status % 16 == midi[i].status % 16;
    });
    ASSERT_NE(off, midi.end()) << "note " << int{midi[i].data1} << " at " << midi[i].time;
    EXPECT_GE(off->time, midi[i].time);
    // Due note-offs go out in the block in which they fall due; only a bounce placed up to
    // 25 ms past a block's end can re-strike, and so end, a note a little later.
    EXPECT_LE(off->time, midi[i].time + duration + kBlock + kBounceFrames);
    ++checked;
  }
  EXPECT_GT(checked, 10);
}

TEST_F(DllInstance, StoppedTransportStrikesNothing) {
  host_->Start(kSampleRate, kBlock);
  SetNormalized(0, 1.0f);
  SetNormalized(11, 0.0f);
  host_->SetPlaying(false);
  Run(10.0);
  EXPECT_EQ(std::count_if(host_->midi.begin(), host_->midi.end(), IsNoteOn), 0);
}

TEST_F(DllInstance, WindControllersFollowTheirSwitches) {
  host_->Start(kSampleRate, kBlock);
  Run(3.0);
  const auto withA = std::count_if(host_->midi.begin(), host_->midi.end(), IsController);
  EXPECT_GE(withA, 3) << "controller A is on by default and sends at least once a second";

  SetNormalized(19, 1.0f);  // CC A silent
  SetNormalized(22, 1.0f);  // CC B silent
  host_->midi.clear();
  Run(3.0);
  EXPECT_EQ(std::count_if(host_->midi.begin(), host_->midi.end(), IsController), 0);
}

TEST_F(DllInstance, IncomingMidiIsPassedThroughToTheHost) {
  host_->Start(kSampleRate, kBlock);
  host_->SetPlaying(false);
  vst2::VstMidiEvent note{};
  note.type = vst2::kVstMidiType;
  note.byteSize = sizeof note;
  note.deltaFrames = 17;
  note.midiData[0] = static_cast<char>(0x91);
  note.midiData[1] = 70;
  note.midiData[2] = 99;
  vst2::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst2::VstEvent*>(&note);
  host_->Dispatch(vst2::effProcessEvents, 0, 0, &events);
  host_->Process(kBlock);
  ASSERT_FALSE(host_->midi.empty());
  const HostMidiEvent& e = host_->midi.front();
  EXPECT_EQ(e.status, 0x91);
  EXPECT_EQ(e.data1, 70);
  EXPECT_EQ(e.data2, 99);
  EXPECT_EQ(e.time, 17);
}

}  // namespace
