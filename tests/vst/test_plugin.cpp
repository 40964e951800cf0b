// The test plug-in.
#include "tests/vst/test_plugin.h"

#include "plug/text.h"

TestPlugin::TestPlugin(vst2::HostCallback hostCallback, const TestPluginOptions& options)
    : IVstEffect(hostCallback, kParameters, options.channelIO, options.presets, options.effectName,
                 "Test Product", options.makerName, 0x10203, FourCC("tstp"), FourCC("tstm"), 0,
                 options.midi, options.stateChunks, options.isInstrument) {
  GetParameter(kSpeed)->DefineContinuous("Speed", 10.0, 0.0, 30.0, 1.0, "km/h");
  GetParameter(kEnabled)->DefineBool("Enabled", true);
  GetParameter(kCount)->DefineInteger("Count", 3, 1, 8, "");
  GetParameter(kLevel)->DefineContinuous("Level", 0.5, 0.0, 1.0, 0.01, "");
}

TestPlugin::~TestPlugin() {
  if (destroyed) *destroyed = true;
}

void TestPlugin::ParameterChanged(int index) {
  if (index >= 0 && index < kParameters) ++changes[index];
}

void TestPlugin::ProcessBlock(double** inputs, double** outputs, int frames) {
  if (blockCount < kRecordedBlocks) blockFrames[blockCount] = frames;
  ++blockCount;
  PassThroughAudio(inputs, outputs, frames);
  if (markBlocks) {
    SendMidiMessage(IMidiMessage::MakeNoteOn(60, 100, 0, 0));
    SendMidiMessage(IMidiMessage::MakeNoteOff(60, frames - 1, 0));
  }
}

bool TestPlugin::GetMidiNoteText(int key, char* text, int capacity) {
  if (key != 60) return IVstEffect::GetMidiNoteText(key, text, capacity);
  CopyText(text, static_cast<size_t>(capacity), "Middle C");
  return true;
}
