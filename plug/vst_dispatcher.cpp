// The dispatcher: everything the host asks of the plug-in that is not audio or one parameter.
#include "plug/vst_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "graphics/graphics_core.h"
#include "plug/text.h"

namespace {

constexpr intptr_t kVendorSpecificAnswer = 0xBEEF;
constexpr intptr_t kHostExtensionAnswer = static_cast<intptr_t>(0xBEEF0000u);
constexpr int32_t kParameterTextIndex = 7;  // effVendorSpecific: display text of a value

bool IsOneOf(const char* text, std::initializer_list<const char*> candidates) {
  for (const char* candidate : candidates)
    if (std::strcmp(text, candidate) == 0) return true;
  return false;
}

}  // namespace

intptr_t IVstEffect::VSTDispatcher(vst2::AEffect* effect, int32_t opcode, int32_t index,
                                   intptr_t value, void* ptr, float opt) {
  IVstEffect* plugin = FromEffect(effect);
  if (!plugin) return 0;
  // The editor's window opens and closes with round trips to the display server, which may be
  // slow: those requests run without the lock, so that processing never waits for them.
  const bool editorWindow = opcode == vst2::effEditOpen || opcode == vst2::effEditClose;
  if (opcode == vst2::effClose) {
    // A call still inside on another thread ends first; the lock lives inside the plug-in, so it
    // must be free before the plug-in goes. Its destructor stops the editor first, unlocked.
    IMutex& lock = plugin->Lock();
    lock.Lock();
    lock.Unlock();
    delete plugin;
    return 0;
  }
  IMutex& lock = plugin->Lock();
  if (!editorWindow) lock.Lock();
  const intptr_t result = plugin->Dispatch(opcode, index, value, ptr, opt);
  if (!editorWindow) lock.Unlock();
  return result;
}

intptr_t IVstEffect::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  const bool validParameter = index >= 0 && index < ParameterCount();
  char* text = static_cast<char*>(ptr);

  switch (opcode) {
    case vst2::effOpen:
      if (!hostSetupDone_) HostSpecificSetup();
      for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
      return 0;

    case vst2::effSetProgram:
      // The range is checked on the full pointer-sized value: cut to an int first,
      // 0x1'0000'0002 would select program 2.
      if (value < 0 || value >= PresetCount()) return 0;
      if (!HasStateChunks()) StorePreset(nullptr);
      ApplyPreset(static_cast<int>(value));
      return 0;
    case vst2::effGetProgram:
      return CurrentPreset();
    case vst2::effSetProgramName:
      if (text) {
        // The host's text is read no further than a preset name can hold.
        char name[IPresetEntry::kNameSize];
        CopyText(name, text);
        StorePreset(name);
      }
      return 0;
    case vst2::effGetProgramName:
      if (text) CopyText(text, vst2::kProgramNameSize, GetPresetName(CurrentPreset()));
      return 0;
    case vst2::effGetProgramNameIndexed:
      if (!text) return 0;
      CopyText(text, vst2::kProgramNameSize, GetPresetName(index));
      return text[0] != '\0' ? 1 : 0;

    case vst2::effGetParamLabel:
      if (validParameter && text)
        CopyText(text, vst2::kParamTextSize, GetParameter(index)->UnitLabel());
      return 0;
    case vst2::effGetParamDisplay:
      if (validParameter && text) {
        IParameter::Text display;
        GetParameter(index)->FormatCurrentValue(display);
        CopyText(text, vst2::kParamTextSize, display);
      }
      return 0;
    case vst2::effGetParamName:
      if (validParameter && text) CopyText(text, vst2::kParamTextSize, GetParameter(index)->Name());
      return 0;
    case vst2::effCanBeAutomated:
      return 1;

    case vst2::effSetSampleRate:
      // Low rates are the instrument's business; a rate that is no rate at all is refused.
      if (!std::isfinite(opt) || opt <= 0.0f) return 0;
      SetSampleRate(opt);
      ResetProcessing();
      return 0;
    case vst2::effSetBlockSize:
      // The scratch buffers are sized from this: nonsense would mean no buffer or a huge one.
      if (value <= 0 || value > kMaxBlockSize) return 0;
      SetBlockSize(static_cast<int>(value));
      ResetProcessing();
      return 0;
    case vst2::effMainsChanged:
      ActivationChanged(value != 0);
      if (value == 0) {
        ResetProcessing();
        Events().Suspend();
      }
      return 0;

    case vst2::effEditGetRect:
      if (!ptr || !GetEditor()) return 0;
      *static_cast<vst2::ERect**>(ptr) = &editorRect_;
      return 1;
    case vst2::effEditOpen:
      if (!GetEditor() || !GetEditor()->OpenEditorWindow(ptr)) return 0;
      EditorOpened();
      return 1;
    case vst2::effEditClose:
      if (!GetEditor()) return 0;
      EditorClosed();
      GetEditor()->CloseEditorWindow();
      return 1;

    case vst2::effIdentify:
      return vst2::kIdentify;
    case vst2::effGetChunk:
      return GetChunk(index, ptr);
    case vst2::effSetChunk:
      return SetChunk(index, value, ptr);
    case vst2::effProcessEvents:
      return ProcessEvents(static_cast<const vst2::VstEvents*>(ptr));

    case vst2::effGetInputProperties:
      return GetPinProperties(index, ptr, true);
    case vst2::effGetOutputProperties:
      return GetPinProperties(index, ptr, false);
    case vst2::effGetPlugCategory:
      return IsInstrument() ? vst2::kPlugCategSynth : vst2::kPlugCategEffect;
    case vst2::effSetSpeakerArrangement:
      return SetSpeakerArrangement(value, ptr);
    case vst2::effGetSpeakerArrangement:
      if (value) *reinterpret_cast<vst2::VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<vst2::VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;

    case vst2::effGetEffectName:
      if (!text) return 0;
      CopyText(text, vst2::kEffectNameSize, EffectName());
      return 1;
    case vst2::effGetVendorString:
      if (!text) return 0;
      CopyText(text, vst2::kVendorStringSize, MakerName());
      return 1;
    case vst2::effGetProductString:
      if (!text) return 0;
      CopyText(text, vst2::kProductStringSize, ProductName());
      return 1;

    case vst2::effVendorSpecific:
      if (index != kParameterTextIndex || !text) return 0;
      if (value >= 0 && value < ParameterCount()) {
        // A normalized value outside 0..1 has no display; NaN none at all.
        IParameter::Text display = {};
        if (!std::isnan(opt))
          GetParameter(static_cast<int>(value))
              ->FormatValue(std::clamp(static_cast<double>(opt), 0.0, 1.0), true, display);
        CopyText(text, vst2::kParamTextSize, display);
      }
      return kVendorSpecificAnswer;
    case vst2::effCanDo:
      return CanDo(text);
    case vst2::effGetVstVersion:
      return vst2::kVstVersion;

    case vst2::effGetMidiKeyName: {
      if (!ptr) return 0;
      auto* key = static_cast<vst2::MidiKeyName*>(ptr);
      key->keyName[0] = '\0';
      const bool named = GetMidiNoteText(key->thisKeyNumber, key->keyName,
                                         static_cast<int>(vst2::kMidiKeyNameSize));
      key->keyName[vst2::kMidiKeyNameSize - 1] = '\0';
      return named ? 1 : 0;
    }

    default:
      // effEditIdle, effIdle, effProcessVarIo and everything not listed.
      return 0;
  }
}

intptr_t IVstEffect::CanDo(const char* capability) {
  if (!capability) return 0;
  if (std::strcmp(capability, "receiveVstTimeInfo") == 0) return 1;
  if (IsOneOf(capability,
              {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"}))
    return midi_ ? 1 : 0;
  if (std::strcmp(capability, "hasHostVendorExtensions") == 0) {
    hostExtensionFlags_ |= 1;
    return kHostExtensionAnswer;
  }
  if (std::strcmp(capability, "hasHostVendorViewAsConfig") == 0) {
    hostExtensionFlags_ |= 2;
    return kHostExtensionAnswer;
  }
  return 0;
}

intptr_t IVstEffect::GetChunk(int32_t index, void* ptr) {
  if (!ptr) return 0;
  const bool bank = index == 0;
  IStateChunk& chunk = bank ? bankChunk_ : programChunk_;
  if (!WriteStateChunk(chunk, bank)) return 0;
  *static_cast<void**>(ptr) = chunk.Data();
  return chunk.Size();
}

intptr_t IVstEffect::SetChunk(int32_t index, intptr_t size, const void* ptr) {
  const bool bank = index == 0;
  return ReadStateChunk(bank ? bankChunk_ : programChunk_, ptr, size, bank) ? 1 : 0;
}

intptr_t IVstEffect::ProcessEvents(const vst2::VstEvents* events) {
  if (!events) return 0;
  // The list is declared with two entries but holds numEvents: reach them through a pointer.
  vst2::VstEvent* const* list = &events->events[0];
  for (int32_t i = 0; i < events->numEvents; ++i) {
    vst2::VstEvent* event = list[i];
    if (!event) continue;
    if (event->type == vst2::kVstMidiType) {
      const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
      IMidiMessage message;
      message.offset = midi->deltaFrames;
      message.status = static_cast<uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<uint8_t>(midi->midiData[2]);
      ProcessMidiMessage(message);
    } else {
      ForwardHostEvent(event);
    }
  }
  return 1;
}

intptr_t IVstEffect::GetPinProperties(int32_t index, void* ptr, bool input) {
  const int count = input ? InputCount() : OutputCount();
  if (!ptr || index < 0 || index >= count) return 0;
  auto* pin = static_cast<vst2::VstPinProperties*>(ptr);
  // Pins pair up as stereo from an even index that still has a partner.
  pin->flags = vst2::kVstPinIsActive;
  if (index % 2 == 0 && index < count - 1) pin->flags |= vst2::kVstPinIsStereo;
  std::snprintf(pin->label, vst2::kPinLabelSize, input ? "Input %d" : "Output %d", index + 1);
  return 1;
}

intptr_t IVstEffect::SetSpeakerArrangement(intptr_t input, void* output) {
  // The host's channel counts are clamped to the channels that exist.
  if (input) {
    const auto* arrangement = reinterpret_cast<const vst2::VstSpeakerArrangement*>(input);
    const int n = std::clamp(arrangement->numChannels, 0, InputCount());
    SetInputConnections(0, n, true);
    SetInputConnections(n, InputCount() - n, false);
  }
  if (output) {
    const auto* arrangement = static_cast<const vst2::VstSpeakerArrangement*>(output);
    const int n = std::clamp(arrangement->numChannels, 0, OutputCount());
    SetOutputConnections(0, n, true);
    SetOutputConnections(n, OutputCount() - n, false);
  }
  return 1;
}
