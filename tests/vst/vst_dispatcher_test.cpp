// The dispatcher, driven through the effect record as a host drives it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/graphics/probe_control.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/vst/recording_host.h"
#include "tests/vst/test_plugin.h"

namespace {

constexpr char kGuard = '#';

class Dispatcher : public ::testing::Test {
 protected:
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  // Text the dispatcher writes into a large, guarded host buffer; checks it stayed within bound.
  std::string Text(int32_t opcode, int32_t index, size_t bound) {
    char buffer[512];
    std::memset(buffer, kGuard, sizeof(buffer));
    last = Dispatch(opcode, index, 0, buffer);
    for (size_t i = bound; i < sizeof(buffer); ++i) {
      if (buffer[i] != kGuard) {
        ADD_FAILURE() << "opcode " << opcode << " wrote byte " << i;
        break;
      }
    }
    const void* end = std::memchr(buffer, '\0', bound);
    if (!end) return "<untouched or unterminated>";
    return std::string(buffer);
  }

  void SetParameter(int index, float value) { effect->setParameter(effect, index, value); }
  float GetParameter(int index) { return effect->getParameter(effect, index); }

  RecordingHost host;
  TestPlugin plugin{RecordingHost::Callback};
  vst2::AEffect* effect = plugin.Effect();
  intptr_t last = 0;
};

}  // namespace

// ---- Parameters ----------------------------------------------------------------------------

TEST_F(Dispatcher, ReportsParameterNamesLabelsAndDisplayTexts) {
  EXPECT_EQ(Text(vst2::effGetParamName, 0, 32), "Speed");
  EXPECT_EQ(Text(vst2::effGetParamLabel, 0, 32), "km/h");
  EXPECT_EQ(Text(vst2::effGetParamDisplay, 0, 32), "10");
  EXPECT_EQ(Text(vst2::effGetParamDisplay, 1, 32), "on");
  EXPECT_EQ(Text(vst2::effGetParamDisplay, 3, 32), "0.50");
  EXPECT_EQ(Text(vst2::effGetParamName, 3, 32), "Level");
}

TEST_F(Dispatcher, LeavesTheBufferAloneForAParameterThatDoesNotExist) {
  EXPECT_EQ(Text(vst2::effGetParamName, TestPlugin::kParameters, 0), "<untouched or unterminated>");
  EXPECT_EQ(last, 0);
  EXPECT_EQ(Text(vst2::effGetParamDisplay, -1, 0), "<untouched or unterminated>");
  EXPECT_EQ(Text(vst2::effGetParamLabel, 1000, 0), "<untouched or unterminated>");
}

TEST_F(Dispatcher, IgnoresNullTextBuffers) {
  for (int32_t opcode : std::initializer_list<int32_t>{
           vst2::effGetParamName, vst2::effGetParamLabel, vst2::effGetParamDisplay,
           vst2::effGetProgramName, vst2::effGetProgramNameIndexed, vst2::effSetProgramName,
           vst2::effGetEffectName, vst2::effGetVendorString, vst2::effGetProductString,
           vst2::effCanDo, vst2::effGetMidiKeyName, vst2::effGetInputProperties,
           vst2::effGetOutputProperties, vst2::effProcessEvents, vst2::effGetChunk,
           vst2::effSetChunk, vst2::effEditGetRect})
    EXPECT_EQ(Dispatch(opcode, 0, 8, nullptr), 0) << "opcode " << opcode;
  EXPECT_EQ(Dispatch(vst2::effVendorSpecific, 7, 0, nullptr, 0.5f), 0);
}

TEST_F(Dispatcher, ShowsTheTextOfANormalizedValueOnRequest) {
  char text[64] = {};
  EXPECT_EQ(Dispatch(vst2::effVendorSpecific, 7, 0, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "15");
  EXPECT_EQ(Dispatch(vst2::effVendorSpecific, 6, 0, text, 0.5f), 0);
}

TEST_F(Dispatcher, HoldsVendorSpecificValuesOutsideTheRangeToItsEnds) {
  char text[64] = {};
  Dispatch(vst2::effVendorSpecific, 7, 0, text, 7.0f);
  EXPECT_STREQ(text, "30");
  Dispatch(vst2::effVendorSpecific, 7, 0, text, std::numeric_limits<float>::quiet_NaN());
  EXPECT_STREQ(text, "");
  std::strcpy(text, "kept");
  EXPECT_EQ(Dispatch(vst2::effVendorSpecific, 7, TestPlugin::kParameters, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "kept");
}

TEST_F(Dispatcher, SaysEveryParameterCanBeAutomated) {
  EXPECT_EQ(Dispatch(vst2::effCanBeAutomated, 0), 1);
  EXPECT_EQ(Dispatch(vst2::effCanBeAutomated, 99), 1);
}

// ---- Names and identity ----------------------------------------------------------------------

TEST_F(Dispatcher, ReportsTheNamesOfThePlugIn) {
  EXPECT_EQ(Text(vst2::effGetEffectName, 0, 32), "Test Effect");
  EXPECT_EQ(last, 1);
  EXPECT_EQ(Text(vst2::effGetVendorString, 0, 64), "Test Maker");
  EXPECT_EQ(Text(vst2::effGetProductString, 0, 64), "Test Product");
  EXPECT_EQ(Dispatch(vst2::effIdentify), 0x4E764566);
  EXPECT_EQ(Dispatch(vst2::effGetPlugCategory), 2);
  EXPECT_EQ(Dispatch(vst2::effGetVstVersion), 2400);
}

TEST(DispatcherNames, CutsLongNamesToTheHostBuffers) {
  RecordingHost host;
  TestPluginOptions options;
  options.effectName = "An Effect Name Much Longer Than Thirty-One Characters";
  options.makerName =
      "A Maker Whose Name Runs On Well Past The Sixty-Four Bytes A Host Provides For It";
  options.isInstrument = false;
  TestPlugin plugin(RecordingHost::Callback, options);
  vst2::AEffect* effect = plugin.Effect();
  char buffer[256];
  std::memset(buffer, kGuard, sizeof(buffer));
  effect->dispatcher(effect, vst2::effGetEffectName, 0, 0, buffer, 0);
  EXPECT_EQ(std::strlen(buffer), 31u);
  EXPECT_EQ(buffer[32], kGuard);
  std::memset(buffer, kGuard, sizeof(buffer));
  effect->dispatcher(effect, vst2::effGetVendorString, 0, 0, buffer, 0);
  EXPECT_EQ(std::strlen(buffer), 63u);
  EXPECT_EQ(buffer[64], kGuard);
  EXPECT_EQ(effect->dispatcher(effect, vst2::effGetPlugCategory, 0, 0, nullptr, 0), 1);
}

TEST_F(Dispatcher, AnswersZeroToOpcodesItDoesNotHandle) {
  for (int32_t opcode : std::initializer_list<int32_t>{
           vst2::effEditIdle, vst2::effIdle, vst2::effProcessVarIo, vst2::effSetBypass,
           vst2::effGetVendorVersion, vst2::effGetTailSize, vst2::effString2Parameter,
           vst2::effStartProcess, vst2::effStopProcess, 9, 70, 1000, -3})
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
}

TEST(DispatcherFrame, DoesNothingWithoutAPlugIn) {
  vst2::AEffect effect{};
  effect.dispatcher = nullptr;
  RecordingHost host;
  TestPlugin plugin(RecordingHost::Callback);
  vst2::DispatcherProc dispatcher = plugin.Effect()->dispatcher;
  EXPECT_EQ(dispatcher(&effect, vst2::effIdentify, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(dispatcher(nullptr, vst2::effIdentify, 0, 0, nullptr, 0), 0);
}

TEST(DispatcherFrame, CloseDestroysThePlugIn) {
  RecordingHost host;
  bool destroyed = false;
  auto* plugin = new TestPlugin(RecordingHost::Callback);
  plugin->destroyed = &destroyed;
  vst2::AEffect* effect = plugin->Effect();
  EXPECT_EQ(effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0), 0);
  EXPECT_TRUE(destroyed);
}

// ---- Open, rate, block size, activation ------------------------------------------------------

TEST(DispatcherOpen, RunsTheHostSetupOnceButNotifiesEveryParameterEachTime) {
  RecordingHost host;
  host.product = "Adobe Audition";  // type 17: inputs from the third on are cut at set-up
  TestPluginOptions options;
  options.channelIO = "4-4";
  TestPlugin plugin(RecordingHost::Callback, options);
  vst2::AEffect* effect = plugin.Effect();
  effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  ASSERT_FALSE(plugin.GetInputChannel(2)->connected);
  vst2::VstSpeakerArrangement four{};
  four.numChannels = 4;
  effect->dispatcher(effect, vst2::effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&four),
                     nullptr, 0.0f);
  ASSERT_TRUE(plugin.GetInputChannel(3)->connected);
  effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  EXPECT_TRUE(plugin.GetInputChannel(2)->connected) << "the set-up ran again";
  EXPECT_TRUE(plugin.GetInputChannel(3)->connected);
  for (int count : plugin.changes) EXPECT_EQ(count, 2);
}

TEST_F(Dispatcher, AcceptsLowSampleRatesButRefusesOnesThatAreNoRate) {
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 500.0f);
  EXPECT_EQ(plugin.GetSampleRate(), 500.0);
  EXPECT_EQ(plugin.resets, 1);
  for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity()})
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
  EXPECT_EQ(plugin.GetSampleRate(), 500.0);
  EXPECT_EQ(plugin.resets, 1);
}

TEST_F(Dispatcher, SetsTheBlockSizeAndRefusesSizesThatAreNoBlock) {
  Dispatch(vst2::effSetBlockSize, 0, 256);
  EXPECT_EQ(plugin.GetBlockSize(), 256);
  EXPECT_EQ(plugin.resets, 1);
  for (intptr_t size : {intptr_t{0}, intptr_t{-64}, intptr_t{IVstEffect::kMaxBlockSize} + 1,
                        static_cast<intptr_t>(std::numeric_limits<intptr_t>::max())})
    Dispatch(vst2::effSetBlockSize, 0, size);
  EXPECT_EQ(plugin.GetBlockSize(), 256);
  EXPECT_EQ(plugin.resets, 1);
}

TEST_F(Dispatcher, SwitchingOffResetsProcessing) {
  Dispatch(vst2::effMainsChanged, 0, 1);
  EXPECT_EQ(plugin.resets, 0);
  Dispatch(vst2::effMainsChanged, 0, 0);
  EXPECT_EQ(plugin.resets, 1);
  EXPECT_EQ(plugin.activations, (std::vector<bool>{true, false}));
}

// ---- Programs ------------------------------------------------------------------------------

TEST_F(Dispatcher, NamesFreshProgramsByNumber) {
  EXPECT_EQ(Dispatch(vst2::effGetProgram), 0);
  EXPECT_EQ(Text(vst2::effGetProgramName, 0, 24), "- 1 -");
  EXPECT_EQ(Text(vst2::effGetProgramNameIndexed, 2, 24), "- 3 -");
  EXPECT_EQ(last, 1);
  EXPECT_EQ(Text(vst2::effGetProgramNameIndexed, 3, 24), "");
  EXPECT_EQ(last, 0);
  EXPECT_EQ(Text(vst2::effGetProgramNameIndexed, -1, 24), "");
  EXPECT_EQ(last, 0);
}

TEST_F(Dispatcher, SelectingANewProgramMakesItAUserPresetWithTheCurrentValues) {
  Dispatch(vst2::effSetProgram, 0, 2);
  EXPECT_EQ(Dispatch(vst2::effGetProgram), 2);
  EXPECT_EQ(Text(vst2::effGetProgramName, 0, 24), "user preset 1");
  SetParameter(TestPlugin::kSpeed, 1.0f);
  Dispatch(vst2::effSetProgram, 0, 1);
  EXPECT_EQ(GetParameter(TestPlugin::kSpeed), 1.0f);
  SetParameter(TestPlugin::kSpeed, 0.0f);
  // Back to program 2: the values it held when program 1 was selected return.
  Dispatch(vst2::effSetProgram, 0, 2);
  EXPECT_EQ(GetParameter(TestPlugin::kSpeed), 1.0f);
}

TEST_F(Dispatcher, IgnoresProgramsThatDoNotExist) {
  std::vector<intptr_t> values = {3, -1};
  if constexpr (sizeof(intptr_t) == 8) values.push_back(static_cast<intptr_t>(0x1'0000'0002LL));
  for (intptr_t value : values) {
    Dispatch(vst2::effSetProgram, 0, value);
    EXPECT_EQ(Dispatch(vst2::effGetProgram), 0) << value;
  }
  EXPECT_EQ(plugin.GetPreset(0)->chunk.Size(), 0) << "nothing stored for a refused change";
}

TEST_F(Dispatcher, RenamesTheCurrentProgramAndCutsLongNamesOnTheWayOut) {
  char name[] = "A Program Name Of Forty Characters Long!";
  Dispatch(vst2::effSetProgramName, 0, 0, name);
  const std::string reported = Text(vst2::effGetProgramName, 0, 24);
  EXPECT_EQ(reported, std::string(name).substr(0, 23));
  EXPECT_STREQ(plugin.GetPresetName(0), name);
}

// ---- Chunks --------------------------------------------------------------------------------

TEST_F(Dispatcher, GivesAChunkWithHeaderAndOneDoublePerParameter) {
  void* data = nullptr;
  const intptr_t size = Dispatch(vst2::effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 8 + 8 * TestPlugin::kParameters);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "tffp", 4), 0);
  double speed = 0.0;
  std::memcpy(&speed, static_cast<uint8_t*>(data) + 8, 8);
  EXPECT_EQ(speed, 10.0);
}

TEST_F(Dispatcher, RestoresTheStateFromItsOwnChunk) {
  for (int32_t kind : {0, 1}) {
    SetParameter(TestPlugin::kSpeed, 0.5f);
    SetParameter(TestPlugin::kCount, 1.0f);
    void* data = nullptr;
    const intptr_t size = Dispatch(vst2::effGetChunk, kind, 0, &data);
    const std::vector<uint8_t> saved(static_cast<uint8_t*>(data),
                                     static_cast<uint8_t*>(data) + size);
    SetParameter(TestPlugin::kSpeed, 0.0f);
    SetParameter(TestPlugin::kCount, 0.0f);
    EXPECT_EQ(Dispatch(vst2::effSetChunk, kind, size, const_cast<uint8_t*>(saved.data())), 1);
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kSpeed)->Value(), 15.0) << kind;
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 8.0) << kind;
  }
}

TEST_F(Dispatcher, AcceptsBackTheVeryBufferItsLastChunkRequestReturned) {
  SetParameter(TestPlugin::kSpeed, 1.0f);
  void* data = nullptr;
  const intptr_t size = Dispatch(vst2::effGetChunk, 1, 0, &data);
  SetParameter(TestPlugin::kSpeed, 0.0f);
  EXPECT_EQ(Dispatch(vst2::effSetChunk, 1, size, data), 1);
  EXPECT_EQ(plugin.GetParameter(TestPlugin::kSpeed)->Value(), 30.0);
}

TEST_F(Dispatcher, LoadsAChunkWithoutHeaderFromItsStart) {
  const double values[TestPlugin::kParameters] = {20.0, 0.0, 5.0, 0.25};
  EXPECT_EQ(Dispatch(vst2::effSetChunk, 1, sizeof(values), const_cast<double*>(values)), 1);
  for (int i = 0; i < TestPlugin::kParameters; ++i)
    EXPECT_EQ(plugin.GetParameter(i)->Value(), values[i]);
}

TEST_F(Dispatcher, RefusesChunkSizesThatCannotBeAndKeepsTheState) {
  std::vector<uint8_t> bytes(64, 0x41);
  for (intptr_t size : {intptr_t{-1}, intptr_t{0}, IVstEffect::kMaxChunkSize + 1,
                        static_cast<intptr_t>(std::numeric_limits<intptr_t>::min()),
                        static_cast<intptr_t>(std::numeric_limits<intptr_t>::max())}) {
    EXPECT_EQ(Dispatch(vst2::effSetChunk, 1, size, bytes.data()), 0) << size;
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kSpeed)->Value(), 10.0) << size;
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 3.0) << size;
  }
  for (int count : plugin.changes) EXPECT_EQ(count, 0);
}

TEST_F(Dispatcher, AppliesWhatAShortChunkHoldsButReportsItAsNotLoaded) {
  auto* editor = new RecordingGraphics(&plugin);
  auto* speedControl = new ProbeControl(&plugin, IBounds{0, 0, 10, 10}, TestPlugin::kSpeed);
  editor->AttachControl(speedControl);
  plugin.AttachEditor(editor);
  SetParameter(TestPlugin::kEnabled, 0.0f);
  uint8_t bytes[8 + 8 + 4] = {'t', 'f', 'f', 'p', 0, 0, 1, 0};
  const double speed = 25.0;
  std::memcpy(bytes + 8, &speed, 8);  // then half of the next value
  for (int32_t kind : {0, 1}) {
    EXPECT_EQ(Dispatch(vst2::effSetChunk, kind, sizeof(bytes), bytes), 0);
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kSpeed)->Value(), 25.0);
    EXPECT_DOUBLE_EQ(speedControl->Value(), 25.0 / 30.0) << "the editor shows what changed";
    EXPECT_EQ(GetParameter(TestPlugin::kEnabled), 0.0f) << "where it ran out: unchanged";
    EXPECT_EQ(plugin.GetParameter(TestPlugin::kCount)->Value(), 3.0);
    EXPECT_EQ(plugin.GetPreset(0)->chunk.Size(), 0) << "no half state in the program";
  }
}

TEST_F(Dispatcher, ChunksStoreTheValuesInTheCurrentProgramOnlyWhereTheyMust) {
  auto stored = [this] {
    const bool any = plugin.GetPreset(0)->chunk.Size() > 0;
    plugin.GetPreset(0)->chunk.Clear();
    return any;
  };
  void* data = nullptr;
  Dispatch(vst2::effGetChunk, 1, 0, &data);
  EXPECT_FALSE(stored()) << "getting a program";
  Dispatch(vst2::effGetChunk, 0, 0, &data);
  EXPECT_TRUE(stored()) << "getting a bank";

  auto chunk = [](int32_t version) {
    std::vector<uint8_t> bytes = {'t', 'f', 'f', 'p'};
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((version >> shift) & 0xFF);
    const double values[TestPlugin::kParameters] = {20.0, 1.0, 5.0, 0.25};
    const auto* raw = reinterpret_cast<const uint8_t*>(values);
    bytes.insert(bytes.end(), raw, raw + sizeof(values));
    return bytes;
  };
  for (auto [kind, version, stores] : {std::tuple{0, 0x10000, false}, std::tuple{0, 0x20000, false},
                                       std::tuple{0, 0xFFFF, true}, std::tuple{1, 0x10000, true}}) {
    std::vector<uint8_t> bytes = chunk(version);
    ASSERT_EQ(Dispatch(vst2::effSetChunk, kind, static_cast<intptr_t>(bytes.size()), bytes.data()),
              1);
    EXPECT_EQ(stored(), stores) << kind << " " << version;
  }
  const double raw[TestPlugin::kParameters] = {20.0, 1.0, 5.0, 0.25};  // no header: version 0
  Dispatch(vst2::effSetChunk, 0, sizeof(raw), const_cast<double*>(raw));
  EXPECT_TRUE(stored()) << "a bank without a header";
}

// ---- Capabilities --------------------------------------------------------------------------

TEST_F(Dispatcher, AnswersTheCapabilitiesItHas) {
  auto can = [this](const char* text) {
    std::string copy(text);
    return Dispatch(vst2::effCanDo, 0, 0, copy.data());
  };
  EXPECT_EQ(can("receiveVstTimeInfo"), 1);
  EXPECT_EQ(can("sendVstEvents"), 1);
  EXPECT_EQ(can("sendVstMidiEvent"), 1);
  EXPECT_EQ(can("receiveVstEvents"), 1);
  EXPECT_EQ(can("receiveVstMidiEvent"), 1);
  EXPECT_EQ(can("bypass"), 0);
  EXPECT_EQ(can("ReceiveVstMidiEvent"), 0);
  EXPECT_EQ(can(""), 0);
  EXPECT_EQ(plugin.HostExtensionFlags(), 0);
  EXPECT_EQ(can("hasHostVendorExtensions"), static_cast<intptr_t>(0xBEEF0000u));
  EXPECT_EQ(plugin.HostExtensionFlags(), 1);
  EXPECT_EQ(can("hasHostVendorViewAsConfig"), static_cast<intptr_t>(0xBEEF0000u));
  EXPECT_EQ(plugin.HostExtensionFlags(), 3);
}

TEST(DispatcherCapabilities, DeclinesMidiWithoutTheMidiFlag) {
  RecordingHost host;
  TestPluginOptions options;
  options.midi = false;
  TestPlugin plugin(RecordingHost::Callback, options);
  vst2::AEffect* effect = plugin.Effect();
  char text[] = "receiveVstMidiEvent";
  EXPECT_EQ(effect->dispatcher(effect, vst2::effCanDo, 0, 0, text, 0), 0);
  char time[] = "receiveVstTimeInfo";
  EXPECT_EQ(effect->dispatcher(effect, vst2::effCanDo, 0, 0, time, 0), 1);
}

// ---- Pins and speakers ---------------------------------------------------------------------

TEST_F(Dispatcher, DescribesInputAndOutputPins) {
  vst2::VstPinProperties pin{};
  EXPECT_EQ(Dispatch(vst2::effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 3);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(Dispatch(vst2::effGetInputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_STREQ(pin.label, "Input 2");
  EXPECT_EQ(Dispatch(vst2::effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  std::strcpy(pin.label, "kept");
  EXPECT_EQ(Dispatch(vst2::effGetInputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(Dispatch(vst2::effGetOutputProperties, -1, 0, &pin), 0);
  EXPECT_STREQ(pin.label, "kept");
}

TEST_F(Dispatcher, ConnectsAsManyChannelsAsTheHostArrangementHas) {
  vst2::VstSpeakerArrangement input{};
  vst2::VstSpeakerArrangement output{};
  input.numChannels = 1;
  output.numChannels = 2;
  EXPECT_EQ(
      Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 1);
  EXPECT_TRUE(plugin.GetInputChannel(0)->connected);
  EXPECT_FALSE(plugin.GetInputChannel(1)->connected);
  EXPECT_TRUE(plugin.GetOutputChannel(1)->connected);
}

TEST_F(Dispatcher, HoldsArrangementChannelCountsToTheChannelsThatExist) {
  vst2::VstSpeakerArrangement input{};
  input.numChannels = -5;
  Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), nullptr);
  EXPECT_FALSE(plugin.GetInputChannel(0)->connected);
  EXPECT_FALSE(plugin.GetInputChannel(1)->connected);
  input.numChannels = 1 << 30;
  Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), nullptr);
  EXPECT_TRUE(plugin.GetInputChannel(0)->connected);
  EXPECT_TRUE(plugin.GetInputChannel(1)->connected);
}

// ---- MIDI and the editor -------------------------------------------------------------------

TEST_F(Dispatcher, PassesIncomingEventsThroughInTheNextCallAtTheirOwnOffsets) {
  auto midi = [](int32_t delta, uint8_t status) {
    vst2::VstMidiEvent event{};
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(event);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = 64;
    event.midiData[2] = 99;
    return event;
  };
  vst2::VstMidiEvent late = midi(17, 0x91), early = midi(2, 0xB1), beyond = midi(5000, 0x92);
  char bytes[] = "\xF0\x7E\x01\xF7";
  vst2::VstMidiSysexEvent sysex{vst2::kVstSysExType, sizeof(sysex), 5, 0, 4, 0, bytes, 0};
  char huge[EventQueue::kSysexBytes + 1] = {};
  vst2::VstMidiSysexEvent tooLong{
      vst2::kVstSysExType, sizeof(sysex), 6, 0, sizeof huge, 0, huge, 0};
  vst2::VstMidiSysexEvent notWhole{vst2::kVstSysExType, 16, 7, 0, 4, 0, bytes, 0};
  vst2::VstEvent unknown{};
  unknown.type = 3;
  unknown.byteSize = 64;  // more than a record it could be copied from
  auto any = [](auto& event) { return reinterpret_cast<vst2::VstEvent*>(&event); };
  struct {
    int32_t numEvents;
    intptr_t reserved;
    vst2::VstEvent* events[8];
  } list{8,
         0,
         {any(late), nullptr, any(sysex), any(tooLong), any(notWhole), &unknown, any(early),
          any(beyond)}};

  EXPECT_EQ(Dispatch(vst2::effProcessEvents, 0, 0, &list), 1);
  EXPECT_TRUE(host.events.empty()) << "nothing goes back from inside effProcessEvents";
  bytes[1] = 0;  // the host's memory is its own again once the call returned
  float silence[64] = {};
  float* buffers[] = {silence, silence};
  plugin.Effect()->processReplacing(plugin.Effect(), buffers, buffers, 64);

  ASSERT_EQ(host.events.size(), 4u);
  EXPECT_EQ(host.Count(vst2::audioMasterProcessEvents), 1);
  EXPECT_EQ(host.events[0].deltaFrames, 2);
  EXPECT_EQ(host.events[0].bytes[0], 0xB1);
  EXPECT_EQ(host.events[1].type, vst2::kVstSysExType);
  EXPECT_EQ(host.events[1].deltaFrames, 5);
  EXPECT_EQ(host.events[1].dump, std::string("\xF0\x7E\x01\xF7", 4)) << "a copy, taken in time";
  EXPECT_NE(host.events[1].address, reinterpret_cast<vst2::VstEvent*>(&sysex));
  EXPECT_EQ(host.events[2].deltaFrames, 17);
  EXPECT_EQ(host.events[2].bytes[0], 0x91);
  EXPECT_EQ(host.events[2].bytes[1], 64);
  EXPECT_EQ(host.events[2].bytes[2], 99);
  // Passed in for this call, so it stays in it even though its offset lies beyond.
  EXPECT_EQ(host.events[3].deltaFrames, 63);
  EXPECT_EQ(host.events[3].bytes[0], 0x92);
  EXPECT_EQ(plugin.QueuedEvents().Dropped(), 3);
  plugin.Effect()->processReplacing(plugin.Effect(), buffers, buffers, 64);
  EXPECT_EQ(host.events.size(), 4u);
}

TEST_F(Dispatcher, NamesMidiKeysThePlugInKnows) {
  vst2::MidiKeyName key{};
  key.thisKeyNumber = 60;
  EXPECT_EQ(Dispatch(vst2::effGetMidiKeyName, 0, 0, &key), 1);
  EXPECT_STREQ(key.keyName, "Middle C");
  key.thisKeyNumber = 61;
  EXPECT_EQ(Dispatch(vst2::effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
}

TEST_F(Dispatcher, HasNoEditorRectangleOrWindowWithoutAnEditor) {
  vst2::ERect sentinel{};
  vst2::ERect* rect = &sentinel;
  EXPECT_EQ(Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, &sentinel);
  EXPECT_EQ(Dispatch(vst2::effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(Dispatch(vst2::effEditClose), 0);
}
