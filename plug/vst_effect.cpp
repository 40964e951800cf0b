// The adapter's effect record, channel arrangements, chunk header and host-specific set-up.
#include "plug/vst_effect.h"

#include <algorithm>

#include "graphics/graphics_core.h"

namespace {

int32_t ArrangementType(int channels) {
  switch (channels) {
    case 0:
      return vst2::kSpeakerArrEmpty;
    case 1:
      return vst2::kSpeakerArrMono;
    case 2:
      return vst2::kSpeakerArrStereo;
    default:
      return vst2::kSpeakerArrUserDefined;
  }
}

// Hosts that expect at most two connected inputs but want every output connected.
bool TrimsExtraInputs(int hostType) {
  return hostType == 15 || hostType == 17 || hostType == 18 || hostType == 20;
}

// Hosts that refuse a plug-in without any audio channel.
bool NeedsStereoPair(int hostType) {
  return hostType == 5 || hostType == 9 || TrimsExtraInputs(hostType);
}

}  // namespace

IVstEffect::IVstEffect(vst2::HostCallback hostCallback, int parameterCount, const char* channelIO,
                       int presetCount, const char* effectName, const char* productName,
                       const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                       int latency, bool midi, bool stateChunks, bool isInstrument)
    : IEffectBase(parameterCount, channelIO, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, midi, stateChunks, isInstrument),
      hostCallback_(hostCallback),
      midi_(midi) {
  effect_.magic = vst2::kEffectMagic;
  effect_.dispatcher = &IVstEffect::VSTDispatcher;
  effect_.process = &IVstEffect::VSTProcess;
  effect_.setParameter = &IVstEffect::VSTSetParameter;
  effect_.getParameter = &IVstEffect::VSTGetParameter;
  effect_.numPrograms = PresetCount();
  effect_.numParams = ParameterCount();
  effect_.numInputs = InputCount();
  effect_.numOutputs = OutputCount();
  int32_t flags = vst2::kFlagCanReplace | vst2::kFlagCanDoubleReplace;
  if (stateChunks) flags |= vst2::kFlagProgramChunks;
  if (LegalIO(1, -1)) flags |= vst2::kFlagCanMono;
  if (isInstrument) flags |= vst2::kFlagIsSynth;
  effect_.flags = flags;
  effect_.initialDelay = latency;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = uniqueId;
  effect_.version = EffectVersion(true);
  effect_.processReplacing = &IVstEffect::VSTProcessReplacing;
  effect_.processDoubleReplacing = &IVstEffect::VSTProcessDoubleReplacing;

  UpdateArrangements();
  inputArrangement_.type = ArrangementType(InputCount());
  outputArrangement_.type = ArrangementType(OutputCount());

  SetInputConnections(0, InputCount(), true);
  SetOutputConnections(0, OutputCount(), true);
  SetBlockSize(1024);
}

IVstEffect::~IVstEffect() {
  CloseEditor();
  programChunk_.Clear();
  bankChunk_.Clear();
}

IVstEffect* IVstEffect::FromEffect(vst2::AEffect* effect) noexcept {
  return effect ? static_cast<IVstEffect*>(effect->object) : nullptr;
}

void IVstEffect::AttachEditor(IGraphicsCore* graphics) {
  if (!graphics) return;
  ScopedLock lock(&Lock());
  IEffectBase::AttachEditor(graphics);
  effect_.flags |= vst2::kFlagHasEditor;
  editorRect_ = {0, 0, static_cast<int16_t>(graphics->Height()),
                 static_cast<int16_t>(graphics->Width())};
}

void IVstEffect::EditorResized(int /*width*/, int /*height*/) {
  // The editor's own size wins; the host reads the rectangle the next time it asks.
  if (const IGraphicsCore* editor = GetEditor())
    editorRect_ = {0, 0, static_cast<int16_t>(editor->Height()),
                   static_cast<int16_t>(editor->Width())};
}

void IVstEffect::SetLatency(int samples) {
  effect_.initialDelay = samples;
  IEffectBase::SetLatency(samples);
}

void IVstEffect::UpdateArrangements() {
  inputArrangement_.numChannels = InputCount();
  outputArrangement_.numChannels = OutputCount();
}

void IVstEffect::HostSpecificSetup() {
  hostSetupDone_ = true;
  const int host = GetHostType();
  if (TrimsExtraInputs(host)) {
    if (InputCount() > 2) SetInputConnections(2, InputCount() - 2, false);
    if (OutputCount() > 2) SetOutputConnections(2, OutputCount() - 2, true);
  }
  if (NeedsStereoPair(host) && InputCount() == 0 && OutputCount() == 0) {
    AddChannelIO(2, 2);
    PrepareChannels(2, 2);
    const int blockSize = GetBlockSize();
    if (blockSize != 0) {
      // The new channels' scratch is sized only when the block size changes.
      SetBlockSize(0);
      SetBlockSize(blockSize);
    }
    SetInputConnections(0, 2, true);
    SetOutputConnections(0, 2, true);
  }
  effect_.numInputs = InputCount();
  effect_.numOutputs = OutputCount();
  UpdateArrangements();
}
